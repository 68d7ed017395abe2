// The overlay page in headless Chromium, fed by the server with events made
// here: where it puts the boxes and how it scales them, the marquee it moves
// by itself, and a page turned away that comes back by itself.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonObject>

#include <thread>

#include "overlay/live_area_json.h"
#include "overlay/overlay_server.h"
#include "platform/text/gbk.h"
#include "tests/overlay/headless_chromium.h"
#include "tests/overlay/overlay_client.h"

namespace overlay {
namespace {

using namespace std::chrono_literals;
using overlay_test::HeadlessChromium;

class OverlayPageTest : public ::testing::Test {
 protected:
  void SetUp() override {
    LiveAreaLayout layout{400, 600, {}};
    layout.boxes.push_back({"框"_gbk, -1, BoxKind::Container, 10, 100, 200, 60, "", 0, false, TextAlign::Left, false});
    layout.boxes.push_back({"甲"_gbk, 0, BoxKind::Caption, 5, 0, 100, 60, "微软雅黑"_gbk, 20, true, TextAlign::Centre, true});
    layout.boxes.push_back({"乙"_gbk, -1, BoxKind::Caption, 0, 300, 300, 80, "宋体"_gbk, 16, false, TextAlign::Left, false});
    layout.boxes.push_back({"丙"_gbk, -1, BoxKind::EditBox, 50, 400, 200, 40, "", 24, true, TextAlign::Right, false});
    server.hub().publish(EventKind::Layout, layoutEvent(layout));
    publish(true);
    ASSERT_TRUE(server.start(0));
  }
  void publish(bool shown, const char* text = "一行\r\n两行") {
    LiveAreaState state;
    state.background = RGB(0, 136, 255);
    state.boxes = {{"", SystemDefaultColour, shown, 10, 200},
                   {"标题"_gbk, RGB(255, 0, 0), true, 5, 100},
                   {utf8ToGbk(text), SystemDefaultColour, true, 0, 300},
                   {"8888", RGB(255, 255, 0), true, 50, 200}};
    server.hub().publish(EventKind::State, stateEvent(state, ++seq));
  }
  std::unique_ptr<HeadlessChromium> open(int width, int height) {
    auto page = std::make_unique<HeadlessChromium>("http://127.0.0.1:" + std::to_string(server.port()) + "/", width, height);
    EXPECT_TRUE(page->running());
    EXPECT_TRUE(page->waitUntil(shown(), 30s));
    return page;
  }
  static QString shown() { return "!document.getElementById('stage').hidden && !!document.querySelector('[data-name=\"丙\"]')"; }
  static QString of(const char* name, const char* expression) {
    return QStringLiteral("(e => %1)(document.querySelector('[data-name=\"%2\"]'))").arg(expression, QString::fromUtf8(name));
  }

  OverlayServer server;
  uint64_t seq = 0;
};

TEST_F(OverlayPageTest, BoxesStandWhereTheLayoutPutsThemInTheirFontsAndColoursScaledToThePage) {
  std::unique_ptr<HeadlessChromium> page = open(400, 600);
  const QJsonObject first = page->evaluate(of("甲", "{const r = e.getBoundingClientRect(), s = getComputedStyle(e); "
                                                  "return {x: r.left, y: r.top, w: r.width, colour: s.color, "
                                                  "size: s.fontSize, weight: s.fontWeight, text: e.textContent}}"))
                                .toObject();
  EXPECT_EQ(first["x"].toDouble(), 15);  // inside its container at 10, 100
  EXPECT_EQ(first["y"].toDouble(), 100);
  EXPECT_EQ(first["w"].toDouble(), 100);
  EXPECT_EQ(first["colour"].toString(), QStringLiteral("rgb(255, 0, 0)"));
  EXPECT_EQ(first["size"].toString(), QStringLiteral("20px"));
  EXPECT_EQ(first["weight"].toString(), QStringLiteral("700"));
  EXPECT_EQ(first["text"].toString(), QStringLiteral("标题"));
  EXPECT_EQ(page->evaluate(of("乙", "e.textContent")).toString(), QStringLiteral("一行\n两行"));
  EXPECT_GT(page->evaluate(of("乙", "e.firstChild.getBoundingClientRect().height")).toDouble(), 24);  // two lines of 16 pixels
  EXPECT_EQ(page->evaluate(of("丙", "getComputedStyle(e).justifyContent")).toString(), QStringLiteral("flex-end"));
  EXPECT_EQ(page->evaluate("getComputedStyle(document.documentElement).getPropertyValue('--background')").toString(),
            QStringLiteral("#0088ff"));
  // Transparent apart from the text.
  const QImage shot = page->screenshot();
  EXPECT_EQ(shot.pixelColor(300, 200).alpha(), 0);
  int red = 0;
  for (int y = 100; y < 160; ++y)
    for (int x = 15; x < 115; ++x) red += shot.pixelColor(x, y) == QColor(255, 0, 0);
  EXPECT_GT(red, 50);

  // A hidden container hides what is in it.
  publish(false);
  EXPECT_TRUE(page->waitUntil(of("甲", "getComputedStyle(e).visibility === 'hidden'"), 10s));
  // A source of half the size shows the area at half the size, centred across.
  page->resize(400, 300);
  EXPECT_TRUE(page->waitUntil(of("丙", "e.getBoundingClientRect().width === 100"), 10s));
  EXPECT_EQ(page->evaluate(of("丙", "e.getBoundingClientRect().left")).toDouble(), 100 + 25);
}

TEST_F(OverlayPageTest, TheMarqueeMovesOnePixelPerPeriodFromItsLastSyncAndWaitsWithoutNews) {
  std::unique_ptr<HeadlessChromium> page = open(400, 600);
  server.hub().publish(EventKind::Marquee, marqueeEvent({1, true, 5, 10.0}));
  ASSERT_TRUE(page->waitUntil(of("甲", "parseFloat(e.style.left) < -20"), 10s));
  // No sync for more than two seconds: it stands still, at most 200 pixels on.
  std::this_thread::sleep_for(2500ms);
  const double left = page->evaluate(of("甲", "parseFloat(e.style.left)")).toDouble();
  EXPECT_GE(left, 5 - 200);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(page->evaluate(of("甲", "parseFloat(e.style.left)")).toDouble(), left);
  // A sync puts it where the window has it; stopped, it stays there.
  server.hub().publish(EventKind::Marquee, marqueeEvent({1, false, 300, 10.0}));
  EXPECT_TRUE(page->waitUntil(of("甲", "e.style.left === '300px'"), 10s));
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(page->evaluate(of("甲", "e.style.left")).toString(), QStringLiteral("300px"));
}

TEST_F(OverlayPageTest, APageTurnedAwayWhileEveryStreamIsTakenComesBackByItself) {
  std::vector<std::unique_ptr<overlay_test::EventStream>> streams;
  for (int i = 0; i < EventHub::MaxStreams; ++i) {
    streams.push_back(std::make_unique<overlay_test::EventStream>(server.port()));
    ASSERT_GE(streams.back()->waitForEvent("state", 10s), 0);
  }
  auto page = std::make_unique<HeadlessChromium>("http://127.0.0.1:" + std::to_string(server.port()) + "/", 400, 600);
  ASSERT_TRUE(page->waitUntil("document.readyState === 'complete'", 30s));
  std::this_thread::sleep_for(1500ms);
  EXPECT_FALSE(page->evaluate(shown()).toBool());
  // One client goes; the server notices at its next writes.
  streams.pop_back();
  publish(true, "一");
  publish(true, "二");
  EXPECT_TRUE(page->waitUntil(shown() + " && " + of("乙", "e.textContent === '二'"), 30s));
}

}  // namespace
}  // namespace overlay

// The live overlay of the main window in this process: switched by the INI
// file, fed by the window's handlers, read by an event-stream client.
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMessageBox>
#include <QTimer>

#include <thread>

#include "app/window_overlay.h"
#include "tests/app/notice_endpoint.h"
#include "tests/overlay/overlay_client.h"
#include "tests/ui/main_window_fixture.h"

namespace {

using namespace std::chrono_literals;
using overlay_test::EventStream;

QJsonObject json(const std::string& data) { return QJsonDocument::fromJson(QByteArray::fromStdString(data)).object(); }

class WindowOverlayTest : public MainWindowTest {
 protected:
  void TearDown() override {
    stream.reset();
    overlay.reset();
    MainWindowTest::TearDown();
  }

  // The window with [Overlay] Port=`value` in its INI file, its overlay,
  // and the message boxes shown while it started.
  void startWith(const std::string& value) {
    writeIni("[Overlay]\r\nPort=" + value + "\r\n");
    open();
    // Each message box is noted and dismissed as an operator would.
    QTimer dismiss;
    QObject::connect(&dismiss, &QTimer::timeout, [this] {
      if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
        told.push_back(box->windowTitle().toStdString() + "|" + box->text().toStdString());
        box->accept();
      }
    });
    dismiss.start(20);
    overlay = WindowOverlay::start(*window);
  }
  void startServing() {
    port = freeLoopbackPort();
    startWith(std::to_string(port));
    ASSERT_NE(overlay, nullptr);
    ASSERT_TRUE(told.empty());
    stream = std::make_unique<EventStream>(port);
    const int layout = stream->waitForEvent("layout", 10s);
    ASSERT_EQ(layout, 0);
    const QJsonArray boxes = json(stream->events()[0].data)["boxes"].toArray();
    for (int i = 0; i < boxes.size(); ++i) names.push_back(boxes[i]["name"].toString().toStdString());
  }

  // A box of a state event, by its control's name.
  QJsonObject box(const QJsonObject& state, const std::string& name) const {
    const auto it = std::find(names.begin(), names.end(), name);
    return it == names.end() ? QJsonObject() : state["boxes"].toArray()[it - names.begin()].toObject();
  }
  // The index of the first state at `from` or later that satisfies `check`.
  int waitForState(const std::function<bool(const QJsonObject&)>& check, size_t from = 0) {
    return stream->waitFor([&](const EventStream::Event& e) { return e.name == "state" && check(json(e.data)); },
                           10s, from);
  }

  uint16_t port = 0;
  std::unique_ptr<WindowOverlay> overlay;
  std::unique_ptr<EventStream> stream;
  std::vector<std::string> names;
  std::vector<std::string> told;
};

TEST_F(WindowOverlayTest, TheBoxesAreTheLiveAreasCaptionsAndEditBoxInTheirContainers) {
  startServing();
  EXPECT_EQ(names, (std::vector<std::string>{
                       "图片框_滚动", "滚动标题", "图片框_标题1", "直播标题1", "直播标题2", "直播标题3", "直播标题4",
                       "直播标题5", "图片框_标题2", "直播标题6", "直播标题7", "直播标题8", "标题5", "编辑框_号码",
                       "标题6", "标题10", "标题_价格", "标题7", "标题11", "标题_等级", "标题9", "标题12",
                       "标题_建议", "标题8"}));
  const QJsonObject layout = json(stream->events()[0].data);
  EXPECT_EQ(layout["width"].toInt(), 488);
  EXPECT_EQ(layout["height"].toInt(), 888);
  const QJsonObject headline = layout["boxes"].toArray()[4].toObject();  // 直播标题2 in 图片框_标题1
  EXPECT_EQ(headline["parent"].toInt(), 2);
  EXPECT_EQ(headline["left"].toInt(), 76);
  EXPECT_EQ(headline["face"].toString(), QStringLiteral("微软雅黑"));
  EXPECT_EQ(headline["size"].toInt(), 29);
  // The state as the window shows it at start.
  const QJsonObject start = json(stream->events()[stream->waitForEvent("state", 10s)].data);
  EXPECT_EQ(start["background"].toString(), QStringLiteral("#0088ff"));
  EXPECT_EQ(box(start, "直播标题1")["text"].toString(), QStringLiteral("寻找"));
  EXPECT_EQ(box(start, "直播标题2")["colour"].toString(), QStringLiteral("#ff0000"));
  EXPECT_FALSE(box(start, "图片框_标题2")["visible"].toBool());
  EXPECT_EQ(box(start, "标题_价格")["text"].toString(), QString());
}

TEST_F(WindowOverlayTest, EachChangeOfTheLiveAreaReachesTheStream) {
  startServing();
  const struct {
    const char* what;
    std::function<void()> act;
    const char* name;       // box
    const char* member;     // of its state
    QJsonValue expected;
  } cases[] = {
      {"a tail typed", [&] { type("编辑框_号码", "8888"); }, "编辑框_号码", "text", "8888"},
      {"the query", [&] { key("编辑框_号码", Qt::Key_Return); }, "标题_价格", "text", "￥ 16888 米"},
      {"the query's advice", [] {}, "标题_建议", "text", "传家使用"},
      {"the price colour", [&] { form().colorPicker("颜色选择器_价格颜色"_gbk).choose(RGB(255, 255, 255)); },
       "标题_价格", "colour", "#ffffff"},
      {"the text colour", [&] { form().colorPicker("颜色选择器_字体颜色"_gbk).choose(RGB(0, 255, 0)); },
       "标题_等级", "colour", "#00ff00"},
      {"a headline number", [&] { retype("编辑框1", "20"); }, "直播标题2", "text", "20"},
      {"the other headline", [&] { click("软件标题2"); }, "图片框_标题2", "visible", true},
      {"the marquee switched on", [&] { click("选择框_滚动"); }, "滚动标题", "width", 1500},
  };
  size_t from = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    c.act();
    const int at = waitForState([&](const QJsonObject& s) { return box(s, c.name)[c.member] == c.expected; }, from);
    ASSERT_GE(at, 0) << stream->events().back().data;
    from = static_cast<size_t>(at);
  }
  const int running = stream->waitFor([](const EventStream::Event& e) {
    return e.name == "marquee" && json(e.data)["running"].toBool();
  }, 10s);
  EXPECT_GE(running, 0);
}

TEST_F(WindowOverlayTest, MarqueeTicksAreSyncedAtAJumpAndOnceASecondNeverOneByOne) {
  startServing();
  click("选择框_滚动");
  auto marqueeEvents = [&] {
    std::vector<QJsonObject> out;
    for (const auto& e : stream->events())
      if (e.name == "marquee") out.push_back(json(e.data));
    return out;
  };
  ASSERT_GE(stream->waitFor([](const auto& e) { return e.name == "marquee" && json(e.data)["running"].toBool(); }, 10s), 0);
  const size_t before = marqueeEvents().size();
  const gui::Timer timer = form().timer("时钟_滚动"_gbk);
  timer.setInterval(0);  // the ticks below are the only ones
  for (int i = 0; i < 300; ++i) timer.tick();
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(marqueeEvents().size(), before);  // 300 ticks within a second, no jump: nothing

  for (int i = 0; i < 200; ++i) timer.tick();  // passes -489 at the 490th tick
  ASSERT_GE(stream->waitFor([](const auto& e) { return e.name == "marquee" && json(e.data)["left"].toInt() == 488; }, 10s), 0);
  std::this_thread::sleep_for(300ms);
  EXPECT_EQ(marqueeEvents().size(), before + 1);
  EXPECT_EQ(marqueeEvents().back()["left"].toInt(), 488);

  std::this_thread::sleep_for(1100ms);
  timer.tick();  // a second after the last sync
  ASSERT_GE(stream->waitFor([](const auto& e) { return e.name == "marquee" && json(e.data)["left"].toInt() == 477; }, 10s), 0);
  EXPECT_EQ(marqueeEvents().size(), before + 2);
  EXPECT_GT(marqueeEvents().back()["period"].toDouble(), 0);
}

TEST_F(WindowOverlayTest, WithoutAPortThereIsNoOverlayAndTheIniFileStaysAsItWas) {
  open();
  EXPECT_EQ(WindowOverlay::start(*window), nullptr);
  EXPECT_FALSE(iniExists());
  for (const char* off : {"0", ""}) {
    startWith(off);
    EXPECT_EQ(overlay, nullptr);
    EXPECT_TRUE(told.empty());
    EXPECT_EQ(iniBytes(), "[Overlay]\r\nPort=" + std::string(off) + "\r\n");
  }
}

TEST_F(WindowOverlayTest, APortTakenOrNoPortAtAllIsToldOnceAndTheWindowGoesOn) {
  SilentPort taken;  // another program listens there
  const struct {
    std::string value;
    const char* says;
  } cases[] = {{std::to_string(taken.port()), "已被占用"}, {"80", "Port=80"}, {"http", "Port=http"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.value);
    told.clear();
    startWith(c.value);
    EXPECT_EQ(overlay, nullptr);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].rfind("温馨提示|字幕网页没有开启：", 0), 0u) << told[0];
    EXPECT_NE(told[0].find(c.says), std::string::npos) << told[0];
    type("编辑框_号码", "8888");
    key("编辑框_号码", Qt::Key_Return);
    EXPECT_EQ(caption("标题_价格"), "￥ 16888 米");
  }
}

TEST_F(WindowOverlayTest, WhenTheOverlayGoesItsStreamsEndAndTheWindowWorksOn) {
  startServing();
  overlay.reset();
  EXPECT_GE(stream->waitFor([](const auto&) { return false; }, 10s), -1);
  EXPECT_TRUE(stream->ended());
  type("编辑框_号码", "8888");
  key("编辑框_号码", Qt::Key_Return);
  click("选择框_滚动");
  form().timer("时钟_滚动"_gbk).tick();
  EXPECT_EQ(caption("标题_价格"), "￥ 16888 米");
}

}  // namespace

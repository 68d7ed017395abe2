// What the event streams send: the hub between the GUI thread and the
// streams, the events' JSON, and the switch in the INI file.
#include <gtest/gtest.h>

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "overlay/event_hub.h"
#include "overlay/live_area_json.h"
#include "overlay/overlay_settings.h"
#include "platform/text/gbk.h"

namespace overlay {
namespace {

using namespace std::chrono_literals;

TEST(EventHub, AStreamGetsTheNewestEventOfEachKindInOrderAndNothingTwice) {
  EventHub hub;
  hub.publish(EventKind::State, "s1 ");
  hub.publish(EventKind::Marquee, "m1 ");
  hub.publish(EventKind::State, "s2 ");  // replaces s1 for a stream that has not read it
  hub.publish(EventKind::Layout, "L ");
  EventHub::Cursor cursor;
  std::string out;
  ASSERT_EQ(hub.next(cursor, out, 0ms), EventHub::Wait::Events);
  EXPECT_EQ(out, "L s2 m1 ");
  out.clear();
  EXPECT_EQ(hub.next(cursor, out, 0ms), EventHub::Wait::Idle);
  hub.publish(EventKind::State, "s3 ");
  ASSERT_EQ(hub.next(cursor, out, 0ms), EventHub::Wait::Events);
  EXPECT_EQ(out, "s3 ");
  // Another stream starts from the newest of each.
  EventHub::Cursor late;
  out.clear();
  ASSERT_EQ(hub.next(late, out, 0ms), EventHub::Wait::Events);
  EXPECT_EQ(out, "L s3 m1 ");
}

TEST(EventHub, StreamsHaveSixteenPlacesAndStopWakesEveryWaiter) {
  EventHub hub;
  for (int i = 0; i < EventHub::MaxStreams; ++i) ASSERT_TRUE(hub.openStream());
  EXPECT_FALSE(hub.openStream());
  hub.closeStream();
  EXPECT_TRUE(hub.openStream());
  EXPECT_EQ(hub.openStreams(), EventHub::MaxStreams);

  EventHub::Wait waited = EventHub::Wait::Events;
  std::thread waiter([&] {
    EventHub::Cursor cursor;
    std::string out;
    waited = hub.next(cursor, out, 1h);
  });
  std::this_thread::sleep_for(50ms);
  hub.stop();
  waiter.join();
  EXPECT_EQ(waited, EventHub::Wait::Stopped);
  for (int i = 0; i < EventHub::MaxStreams; ++i) hub.closeStream();
  EXPECT_FALSE(hub.openStream());
}

// The JSON of an event's data line.
QJsonObject dataOf(const std::string& event, const char* name) {
  const std::string head = std::string("event: ") + name + "\ndata: ";
  EXPECT_EQ(event.rfind(head, 0), 0u) << event;
  EXPECT_EQ(event.substr(event.size() - 2), "\n\n");
  const std::string data = event.substr(head.size(), event.size() - head.size() - 2);
  EXPECT_EQ(data.find('\n'), std::string::npos);
  QJsonParseError error;
  const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(data), &error);
  EXPECT_EQ(error.error, QJsonParseError::NoError) << data;
  return json.object();
}

TEST(LiveAreaJson, TextsColoursAndPlacesReachThePageAsWritten) {
  LiveAreaLayout layout{488, 888, {}};
  layout.boxes.push_back({"图片框_滚动"_gbk, -1, BoxKind::Container, 10, 129, 470, 64, "", 0, false, TextAlign::Left, false});
  layout.boxes.push_back({"滚动标题"_gbk, 0, BoxKind::Caption, 0, 0, 50, 64, "楷体"_gbk, 48, true, TextAlign::Left, true});
  layout.boxes.push_back({"编辑框_号码"_gbk, -1, BoxKind::EditBox, 220, 307, 224, 42, "微软雅黑"_gbk, 29, true, TextAlign::Centre, false});
  const QJsonObject l = dataOf(layoutEvent(layout), "layout");
  EXPECT_EQ(l["width"].toInt(), 488);
  EXPECT_EQ(l["height"].toInt(), 888);
  const QJsonArray boxes = l["boxes"].toArray();
  ASSERT_EQ(boxes.size(), 3);
  EXPECT_EQ(boxes[1]["name"].toString(), QStringLiteral("滚动标题"));
  EXPECT_EQ(boxes[1]["parent"].toInt(), 0);
  EXPECT_EQ(boxes[1]["face"].toString(), QStringLiteral("楷体"));
  EXPECT_EQ(boxes[1]["size"].toInt(), 48);
  EXPECT_TRUE(boxes[1]["bold"].toBool());
  EXPECT_TRUE(boxes[1]["middle"].toBool());
  EXPECT_EQ(boxes[0]["kind"].toString(), QStringLiteral("container"));
  EXPECT_EQ(boxes[2]["kind"].toString(), QStringLiteral("edit"));
  EXPECT_EQ(boxes[2]["align"].toString(), QStringLiteral("centre"));
  EXPECT_EQ(boxes[2]["left"].toInt(), 220);
  EXPECT_EQ(boxes[2]["top"].toInt(), 307);

  LiveAreaState state;
  state.background = RGB(0, 136, 255);
  state.boxes = {{"", SystemDefaultColour, false, 10, 470},
                 {"棒棒糖\"排队\\\r\n\t、"_gbk, RGB(255, 0, 0), true, -489, 1500},
                 {"8888", RGB(255, 255, 0), true, 220, 224}};
  const QJsonObject s = dataOf(stateEvent(state, 42), "state");
  EXPECT_EQ(s["seq"].toInt(), 42);
  EXPECT_EQ(s["background"].toString(), QStringLiteral("#0088ff"));
  const QJsonArray states = s["boxes"].toArray();
  ASSERT_EQ(states.size(), 3);
  EXPECT_TRUE(states[0]["colour"].isNull());
  EXPECT_FALSE(states[0]["visible"].toBool());
  EXPECT_EQ(states[1]["text"].toString(), QStringLiteral("棒棒糖\"排队\\\r\n\t、"));
  EXPECT_EQ(states[1]["colour"].toString(), QStringLiteral("#ff0000"));
  EXPECT_EQ(states[1]["left"].toInt(), -489);
  EXPECT_EQ(states[1]["width"].toInt(), 1500);
  EXPECT_EQ(states[2]["colour"].toString(), QStringLiteral("#ffff00"));

  const QJsonObject m = dataOf(marqueeEvent({1, true, -12, 15.625}), "marquee");
  EXPECT_EQ(m["box"].toInt(), 1);
  EXPECT_TRUE(m["running"].toBool());
  EXPECT_EQ(m["left"].toInt(), -12);
  EXPECT_DOUBLE_EQ(m["period"].toDouble(), 15.625);
}

class OverlaySettingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kestrune-overlay-setting.XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    prefix_ = pattern;
    setenv("KESTRUNE_PREFIX", prefix_.c_str(), 1);
    std::filesystem::create_directories(prefix_ + "/drive_c/Windows");
  }
  void TearDown() override {
    unsetenv("KESTRUNE_PREFIX");
    std::filesystem::remove_all(prefix_);
  }
  std::string ini() const { return prefix_ + "/drive_c/Windows/Kestrune.ini"; }
  std::string prefix_;
};

TEST_F(OverlaySettingTest, APortFrom1024To65535TurnsTheOverlayOnAnythingElseIsToldOrOff) {
  const struct {
    const char* file;  // null: no file
    uint16_t port;
    bool told;
  } cases[] = {
      {nullptr, 0, false},
      {"[背景色]\r\n背景色=255\r\n", 0, false},
      {"[Overlay]\r\nPort=8080\r\n", 8080, false},
      {"[overlay]\r\nport = 1024\r\n", 1024, false},
      {"[Overlay]\r\nPort=65535\r\n", 65535, false},
      {"[Overlay]\r\nPort=0\r\n", 0, false},
      {"[Overlay]\r\nPort=\r\n", 0, false},
      {"[Overlay]\r\nPort=1023\r\n", 0, true},
      {"[Overlay]\r\nPort=65536\r\n", 0, true},
      {"[Overlay]\r\nPort=080800\r\n", 0, true},
      {"[Overlay]\r\nPort=-8080\r\n", 0, true},
      {"[Overlay]\r\nPort=8080a\r\n", 0, true},
      {"[Overlay]\r\nPort=端口\r\n", 0, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file ? c.file : "no file");
    std::filesystem::remove(ini());
    if (c.file) std::ofstream(ini(), std::ios::binary) << utf8ToGbk(c.file);
    const auto before = c.file ? std::filesystem::last_write_time(ini()) : std::filesystem::file_time_type{};
    const OverlaySetting setting = readOverlaySetting("C:\\Windows\\Kestrune.ini");
    EXPECT_EQ(setting.port, c.port);
    EXPECT_EQ(!setting.problem.empty(), c.told) << gbkToUtf8(setting.problem);
    // Reading writes nothing.
    EXPECT_EQ(std::filesystem::exists(ini()), c.file != nullptr);
    if (c.file) {
      EXPECT_EQ(std::filesystem::last_write_time(ini()), before);
    }
  }
  EXPECT_NE(gbkToUtf8(portUnavailableMessage(8080)).find("8080"), std::string::npos);
}

}  // namespace
}  // namespace overlay

// The version notice over the system's WinHTTP and script control, and the
// hot-fix query through the system's WMI.
#include <gtest/gtest.h>

#include <regex>

#include "app/program_state.h"
#include "app/version_notice.h"
#include "net/hot_fix_query.h"
#include "platform/com/class_registry.h"
#include "platform/text/gbk.h"
#include "script/json_document.h"
#include "tests/windows/wine.h"

TEST(WindowsVersionNotice, GoesOnOnlyForTheSameVersion) {
  initProgramState();
  const std::string peer = "https://" + peerAddress("KESTRUNE_TEST_HTTPS");
  struct Case {
    std::string address;
    bool starts;
    Text version;
  } cases[] = {{peer + "/Admins/ksxt.json", true, "25.14"},
               {peer + "/newer/Admins/ksxt.json", false, "25.15"},
               {peer + "/status/404", false, ""},
               {"https://127.0.0.1:1/Admins/ksxt.json", false, ""}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.address);
    JsonDocument document;
    EXPECT_EQ(readVersionNotice(document, c.address), c.starts);
    EXPECT_EQ(NoticeVersion, c.version);
    EXPECT_EQ(NoticeC, c.version.empty() ? "" : "欢迎使用"_gbk);  // UTF-8 on the wire, GBK here
  }
  onProgramExit();
}

TEST(WindowsHotFixQuery, ListsFindsAndRefuses) {
  HotFixList list{"stale"};
  EXPECT_EQ(queryHotFixes(list, "", false), 0) << "COM is not initialised on this thread yet";
  EXPECT_TRUE(list.empty());

  ASSERT_EQ(CoInitialize(nullptr), S_OK);
  const int32_t all = queryHotFixes(list, "", false);
  EXPECT_EQ(all, static_cast<int32_t>(list.size()));
  ASSERT_GE(all, 1) << "no hot-fix installed";
  for (const Text& id : list) EXPECT_TRUE(std::regex_match(id, std::regex("KB[0-9]+"))) << id;

  const Text first = list.front();
  HotFixList one;
  EXPECT_EQ(queryHotFixes(one, first, true), 1);
  EXPECT_EQ(one, HotFixList{first});
  EXPECT_EQ(queryHotFixes(one, "KB0000001", true), 0);
  EXPECT_EQ(queryHotFixes(one, "KB1' OR HotFixID <> '", true), 0);  // a quote ends the literal
  EXPECT_TRUE(one.empty());
  CoUninitialize();
}

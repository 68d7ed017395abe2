// Files the program did not write itself: reads make sense of them and
// writes keep every byte they do not touch.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/profile/private_profile.h"
#include "platform/text/gbk.h"
#include "profile_test_support.h"

using namespace std::string_literals;

namespace {

class BadProfileFile : public ProfileTest {};

TEST_F(BadProfileFile, NoSectionsAtAll) {
  const std::string before = "just some text\r\nk=v\r\n";
  writeBytes(hostIni(), before);
  EXPECT_EQ(get("k", "k", "d"), "d\0"s);
  EXPECT_EQ(get(nullptr, nullptr), "\0"s);
  ASSERT_NE(put("s", "k", "1"), 0);
  EXPECT_EQ(readBytes(hostIni()), before + "[s]\r\nk=1\r\n");
}

TEST_F(BadProfileFile, KeysWithoutEqualsSignAreNeitherReadNorLost) {
  const std::string before = "[s]\r\nlonely\r\nk=v\r\n=no key\r\n";
  writeBytes(hostIni(), before);
  EXPECT_EQ(get("s", "lonely", "d"), "d\0"s);
  EXPECT_EQ(get("s", nullptr), "k\0\0"s);
  ASSERT_NE(put("s", "lonely", "now"), 0);
  EXPECT_EQ(readBytes(hostIni()), before + "lonely=now\r\n");
  EXPECT_EQ(get("s", "lonely"), "now\0"s);
}

TEST_F(BadProfileFile, VeryLongLines) {
  const std::string longValue(300000, 'x');
  const std::string junk(200000, 'j');
  const std::string before = junk + "\r\n[s]\r\nlong=" + longValue + "\r\n";
  writeBytes(hostIni(), before);
  uint32_t n = 0;
  std::string read = get("s", "long", "", 10240, &n);
  EXPECT_EQ(n, 10239u);
  EXPECT_EQ(read, std::string(10239, 'x') + "\0"s);
  EXPECT_EQ(get("s", "long", "", 400000, &n).size(), 300001u);
  ASSERT_NE(put("s", "k", "v"), 0);
  EXPECT_EQ(readBytes(hostIni()), before + "k=v\r\n");
}

TEST_F(BadProfileFile, NulBytesEndAValueButSurviveWrites) {
  const std::string before = "[s]\r\nk=ab\0cd\r\n\0\0\0\r\n[t]\r\nx=1\r\n"s;
  writeBytes(hostIni(), before);
  EXPECT_EQ(get("s", "k"), "ab\0"s);
  EXPECT_EQ(get("t", "x"), "1\0"s);
  ASSERT_NE(put("t", "x", "2"), 0);
  EXPECT_EQ(readBytes(hostIni()), "[s]\r\nk=ab\0cd\r\n\0\0\0\r\n[t]\r\nx=2\r\n"s);
}

TEST_F(BadProfileFile, Utf8ByteOrderMarkIsSkippedAndKept) {
  const std::string bom = "\xEF\xBB\xBF";
  writeBytes(hostIni(), bom + "[s]\r\nk=v\r\n");
  EXPECT_EQ(get("s", "k"), "v\0"s);
  EXPECT_EQ(get(nullptr, nullptr), "s\0\0"s);
  ASSERT_NE(put("s", nullptr, nullptr), 0);
  EXPECT_EQ(readBytes(hostIni()), bom);
  ASSERT_NE(put("t", "k", "v"), 0);
  EXPECT_EQ(readBytes(hostIni()), bom + "[t]\r\nk=v\r\n");
}

TEST_F(BadProfileFile, LfOnlyLinesAndAMissingLastLineEnd) {
  writeBytes(hostIni(), "[s]\nk=v\n[t]\nx=1");
  EXPECT_EQ(get("s", "k"), "v\0"s);
  EXPECT_EQ(get("t", "x"), "1\0"s);
  ASSERT_NE(put("s", "new", "n"), 0);
  ASSERT_NE(put("t", "y", "2"), 0);
  EXPECT_EQ(readBytes(hostIni()), "[s]\nk=v\nnew=n\r\n[t]\nx=1\r\ny=2\r\n");
}

TEST_F(BadProfileFile, UnclosedSectionHeaderAndBlanksEverywhere) {
  writeBytes(hostIni(), "  [ open \r\n\t key \t=\t value \t\r\n");
  EXPECT_EQ(get("open", "key"), "value\0"s);
  ASSERT_NE(put("OPEN", "KEY", "other"), 0);
  EXPECT_EQ(readBytes(hostIni()), "  [ open \r\n\t key \t=\t other \t\r\n");
}

TEST_F(BadProfileFile, AFolderWhereTheFileShouldBe) {
  std::filesystem::create_directories(hostIni());
  EXPECT_EQ(get("s", "k", "d"), "d\0"s);
  EXPECT_EQ(put("s", "k", "v"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(hostIni()));
}

}  // namespace

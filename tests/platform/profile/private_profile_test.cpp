// Windows behaviour of GetPrivateProfileStringA / WritePrivateProfileStringA.
#include "platform/profile/private_profile.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "platform/text/gbk.h"
#include "platform/text/text.h"
#include "profile_test_support.h"
#include "tests/support/wine.h"

using namespace std::string_literals;

namespace {

ino_t fileInode(const std::string& path) {
  struct stat st {};
  ::stat(path.c_str(), &st);
  return st.st_ino;
}

Text crlf(std::string_view utf8Lines) { return replaceText(utf8ToGbk(utf8Lines), "\n", "\r\n"); }

class PrivateProfile : public ProfileTest {};

TEST_F(PrivateProfile, RememberedColoursFileHasTheExactBytes) {
  const char* keys[] = {"记住配色", "背景色", "字体颜色", "特殊字颜色", "滚动字幕颜色", "尾号颜色", "价格颜色"};
  const char* values[] = {"1", "16746496", "16777215", "255", "255", "65535", "65535"};
  for (int i = 0; i < 7; ++i) {
    Text key = utf8ToGbk(keys[i]);
    ASSERT_NE(put(key.c_str(), key.c_str(), values[i]), 0);
  }
  EXPECT_EQ(readBytes(hostIni()), crlf("[记住配色]\n记住配色=1\n[背景色]\n背景色=16746496\n"
                                       "[字体颜色]\n字体颜色=16777215\n[特殊字颜色]\n特殊字颜色=255\n"
                                       "[滚动字幕颜色]\n滚动字幕颜色=255\n[尾号颜色]\n尾号颜色=65535\n"
                                       "[价格颜色]\n价格颜色=65535\n"));
  Text key = "背景色"_gbk;
  EXPECT_EQ(get(key.c_str(), key.c_str()), "16746496\0"s);
  // Writing the same value again leaves the file itself alone.
  ino_t before = fileInode(hostIni());
  ASSERT_NE(put(key.c_str(), key.c_str(), "16746496"), 0);
  EXPECT_EQ(fileInode(hostIni()), before);
}

TEST_F(PrivateProfile, MissingFileSectionOrKeyGivesTheDefaultWithoutTrailingBlanks) {
  SKIP_UNDER_WINE(wine_gap::ProfileEdges);
  uint32_t n = 99;
  EXPECT_EQ(get("s", "k", "fallback  \t", 10240, &n), "fallback\0"s);
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(get("s", "k", "  lead", 10240, &n), "  lead\0"s);
  EXPECT_EQ(get("s", "k", nullptr, 10240, &n), "\0"s);
  EXPECT_EQ(n, 0u);

  writeBytes(hostIni(), "[s]\r\nempty=\r\nk=v\r\n");
  EXPECT_EQ(get("s", "missing", "d"), "d\0"s);
  EXPECT_EQ(get("other", "k", "d"), "d\0"s);
  // A key that is there with an empty value is not missing.
  EXPECT_EQ(get("s", "empty", "d", 10240, &n), "\0"s);
  EXPECT_EQ(n, 0u);
}

TEST_F(PrivateProfile, NamesMatchWithoutCaseForAsciiLettersOnly) {
  ASSERT_NE(put("Colours", "Back", "1"), 0);
  EXPECT_EQ(get("COLOURS", "bACK"), "1\0"s);
  ASSERT_NE(put("colours", "BACK", "2"), 0);
  EXPECT_EQ(readBytes(hostIni()), "[Colours]\r\nBack=2\r\n");

  // 誂 and 誥 differ only in a second byte that looks like "A" / "a".
  Text upper = "誂"_gbk, lower = "誥"_gbk;
  ASSERT_NE(put(upper.c_str(), "k", "upper"), 0);
  ASSERT_NE(put(lower.c_str(), "k", "lower"), 0);
  EXPECT_EQ(get(upper.c_str(), "k"), "upper\0"s);
  EXPECT_EQ(get(lower.c_str(), "k"), "lower\0"s);
}

TEST_F(PrivateProfile, SecondByteThatLooksLikeABracketStaysInTheSectionName) {
  Text section = "誡色"_gbk;  // the first character's second byte is "]"
  ASSERT_NE(put(section.c_str(), "k", "v"), 0);
  EXPECT_EQ(get(section.c_str(), "k"), "v\0"s);
  EXPECT_EQ(get(nullptr, nullptr), section + "\0\0"s);
}

TEST_F(PrivateProfile, NewKeysGoToTheirSectionAndNewSectionsToTheEnd) {
  SKIP_UNDER_WINE(wine_gap::ProfileRewrite);
  writeBytes(hostIni(), "[a]\r\nx=1\r\n\r\n[b]\r\ny=2\r\n");
  ASSERT_NE(put("A", "z", "3"), 0);
  ASSERT_NE(put("c", "k", "v"), 0);
  ASSERT_NE(put("b", "w", "4"), 0);
  EXPECT_EQ(readBytes(hostIni()), "[a]\r\nx=1\r\nz=3\r\n\r\n[b]\r\ny=2\r\nw=4\r\n[c]\r\nk=v\r\n");
}

TEST_F(PrivateProfile, ReplacingAValueKeepsEveryOtherByte) {
  SKIP_UNDER_WINE(wine_gap::ProfileRewrite);
  const std::string before = "; kept comment\r\nloose line\r\n[s]\r\n  Key = old \r\nno equals sign\r\n"
                             "[t]\r\nKey=other\n[U]\r\n";
  writeBytes(hostIni(), before);
  ASSERT_NE(put(" s ", " key ", " new value "), 0);
  EXPECT_EQ(readBytes(hostIni()), "; kept comment\r\nloose line\r\n[s]\r\n  Key = new value \r\n"
                                  "no equals sign\r\n[t]\r\nKey=other\n[U]\r\n");
  EXPECT_EQ(get("s", "key"), "new value\0"s);
  EXPECT_EQ(get("t", "KEY"), "other\0"s);
}

TEST_F(PrivateProfile, EnclosingQuotesAreDropped) {
  writeBytes(hostIni(), "[s]\r\nd=\"double\"\r\ns='single'\r\nm=\"mixed'\r\none=\"\r\n");
  EXPECT_EQ(get("s", "d"), "double\0"s);
  EXPECT_EQ(get("s", "s"), "single\0"s);
  EXPECT_EQ(get("s", "m"), "\"mixed'\0"s);
  EXPECT_EQ(get("s", "one"), "\"\0"s);
}

TEST_F(PrivateProfile, NullValueDeletesAKeyAndNullKeyDeletesASection) {
  writeBytes(hostIni(), "[a]\r\nx=1\r\ny=2\r\n[b]\r\n; about b\r\nz=3\r\n[c]\r\nw=4\r\n");
  ASSERT_NE(put("a", "X", nullptr), 0);
  EXPECT_EQ(readBytes(hostIni()), "[a]\r\ny=2\r\n[b]\r\n; about b\r\nz=3\r\n[c]\r\nw=4\r\n");
  ASSERT_NE(put("B", nullptr, nullptr), 0);
  EXPECT_EQ(readBytes(hostIni()), "[a]\r\ny=2\r\n[c]\r\nw=4\r\n");
  EXPECT_EQ(get("b", "z", "gone"), "gone\0"s);

  // Deleting from a file that is not there succeeds without creating it.
  std::string other = "C:\\Windows\\Other.ini";
  EXPECT_NE(WritePrivateProfileStringA("a", "x", nullptr, other.c_str()), 0);
  EXPECT_NE(WritePrivateProfileStringA("a", nullptr, nullptr, other.c_str()), 0);
  EXPECT_FALSE(std::filesystem::exists(hostIni("Other.ini")));
}

TEST_F(PrivateProfile, NullSectionListsSectionsAndNullKeyListsKeys) {
  SKIP_UNDER_WINE(wine_gap::ProfileEdges);
  writeBytes(hostIni(), "[one]\r\na=1\r\nB=2\r\nb=3\r\n[two]\r\n[ONE]\r\nc=4\r\n");
  uint32_t n = 0;
  EXPECT_EQ(get(nullptr, "ignored", "d", 10240, &n), "one\0two\0\0"s);
  EXPECT_EQ(n, 8u);
  EXPECT_EQ(get("One", nullptr, "d", 10240, &n), "a\0B\0\0"s);
  EXPECT_EQ(n, 4u);

  char buffer[4] = {'#', '#', '#', '#'};
  EXPECT_EQ(GetPrivateProfileStringA("none", nullptr, "d", buffer, 4, Ini), 0u);
  EXPECT_EQ(std::string(buffer, 2), "\0\0"s);
  EXPECT_EQ(GetPrivateProfileStringA("two", nullptr, "d", buffer, 4, Ini), 0u);
  EXPECT_EQ(std::string(buffer, 2), "\0\0"s);
}

TEST_F(PrivateProfile, LongValuesAreCutToTheBufferAsWindowsDoes) {
  SKIP_UNDER_WINE(wine_gap::ProfileEdges);
  writeBytes(hostIni(), "[s]\r\nk=0123456789\r\n" + crlf("g=配色配色\n"));
  uint32_t n = 0;
  EXPECT_EQ(get("s", "k", "", 5, &n), "0123\0"s);
  EXPECT_EQ(n, 4u);
  EXPECT_EQ(get("s", "k", "", 11, &n), "0123456789\0"s);
  EXPECT_EQ(n, 10u);
  EXPECT_EQ(get("s", "k", "", 10, &n), "012345678\0"s);
  EXPECT_EQ(n, 9u);
  EXPECT_EQ(get("s", "k", "", 1, &n), "\0"s);
  EXPECT_EQ(n, 0u);
  EXPECT_EQ(get("s", "missing", "abcdef", 4, &n), "abc\0"s);
  EXPECT_EQ(n, 3u);
  // Three bytes of room hold one two-byte character, never half of the next.
  EXPECT_EQ(get("s", "g", "", 4, &n), "配"_gbk + "\0\0"s);
  EXPECT_EQ(n, 3u);

  char untouched[2] = {'#', '#'};
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", untouched, 0, Ini), 0u);
  EXPECT_EQ(untouched[0], '#');
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", nullptr, 10, Ini), 0u);
}

TEST_F(PrivateProfile, ListsThatDoNotFitEndInTwoZerosAndGiveSizeMinusTwo) {
  SKIP_UNDER_WINE(wine_gap::ProfileEdges);
  writeBytes(hostIni(), "[alpha]\r\n[beta]\r\n[keys]\r\nalpha=1\r\nbeta=2\r\n");
  const struct {
    const char* section;  // NULL: the section list
    uint32_t size, returned;
    std::string buffer;   // size + 1 bytes
  } rows[] = {
      {nullptr, 8, 6, "alpha\0\0\0#"s},
      {nullptr, 9, 7, "alpha\0b\0\0#"s},
      {nullptr, 16, 14, "alpha\0beta\0key\0\0#"s},
      {nullptr, 17, 16, "alpha\0beta\0keys\0\0#"s},
      {"keys", 2, 0, "\0\0#"s},
      {"keys", 3, 1, "a\0\0#"s},
      {"keys", 9, 7, "alpha\0b\0\0#"s},
      {"keys", 11, 9, "alpha\0bet\0\0#"s},
      {"keys", 12, 11, "alpha\0beta\0\0#"s},
  };
  for (const auto& row : rows) {
    char buffer[32];
    std::fill(std::begin(buffer), std::end(buffer), '#');
    EXPECT_EQ(GetPrivateProfileStringA(row.section, nullptr, "", buffer, row.size, Ini), row.returned)
        << (row.section ? row.section : "(sections)") << " in " << row.size;
    EXPECT_EQ(std::string(buffer, row.size + 1), row.buffer) << (row.section ? row.section : "(sections)") << " in " << row.size;
  }
}

TEST_F(PrivateProfile, AnEmptyFileNameReadsTheDefault) {
  SKIP_UNDER_WINE(wine_gap::ProfileEdges);
  const Text twoCharacters = "中文"_gbk;
  const struct {
    const char *section, *key, *defaultValue;
    uint32_t size;
    std::string buffer;  // the bytes before the terminating zero, and that zero
    uint32_t returned;
  } rows[] = {
      {"s", "k", "default", 8, "default\0"s, 7},
      {"s", "k", "fallback  \t", 16, "fallback\0"s, 8},
      {"s", "k", "  lead", 16, "  lead\0"s, 6},
      {"s", "k", "", 8, "\0"s, 0},
      {"s", "k", nullptr, 8, "\0"s, 0},
      {"s", "k", "toolongdefault", 8, "toolong\0"s, 7},
      {"s", "k", twoCharacters.c_str(), 4, "中"_gbk + "\0"s, 3},  // never half a character
      {"s", nullptr, "default", 8, "\0\0"s, 0},                // an empty list of keys
      {nullptr, nullptr, "default", 8, "\0\0"s, 0},            // an empty list of sections
  };
  auto readEveryRow = [&rows] {
    for (const auto& row : rows) {
      SCOPED_TRACE(testing::PrintToString(row.defaultValue ? row.defaultValue : "(null)") + " into " +
                   std::to_string(row.size));
      char buffer[16];
      std::fill(std::begin(buffer), std::end(buffer), '#');
      EXPECT_EQ(GetPrivateProfileStringA(row.section, row.key, row.defaultValue, buffer, row.size, ""),
                row.returned);
      EXPECT_EQ(std::string(buffer, row.buffer.size()), row.buffer);
    }
  };
  readEveryRow();
  EXPECT_EQ(WritePrivateProfileStringA("s", "k", "v", ""), 0);
  EXPECT_EQ(WritePrivateProfileStringA("s", "k", nullptr, ""), 0);
  EXPECT_EQ(WritePrivateProfileStringA("s", nullptr, nullptr, ""), 0);
  // No file is read for it either, not the Windows folder's files.
  ASSERT_NE(put("s", "k", "v"), 0);
  ASSERT_NE(WritePrivateProfileStringA("s", "k", "v", nullptr), 0);  // win.ini
  readEveryRow();
}

TEST_F(PrivateProfile, FileNamesWithoutAFolderLiveInTheWindowsFolder) {
  ASSERT_NE(WritePrivateProfileStringA("s", "k", "v", "Kestrune.ini"), 0);
  EXPECT_EQ(readBytes(hostIni()), "[s]\r\nk=v\r\n");
  char buffer[16];
  EXPECT_EQ(GetPrivateProfileStringA("s", "k", "", buffer, 16, "c:/WINDOWS/kestrune.INI"), 1u);
  EXPECT_EQ(std::string(buffer), "v");
}

}  // namespace

// The stand-in's own rules around the Windows functions: writes that could
// not be read back as written are refused (Windows would write them), the
// drive under the per-user prefix, names that name a folder.
#include "platform/profile/private_profile.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/text/text.h"
#include "profile_test_support.h"

using namespace std::string_literals;

namespace {

class PrivateProfileHost : public ProfileTest {};

TEST_F(PrivateProfileHost, AnEmptyFileNameCreatesNothing) {
  EXPECT_EQ(WritePrivateProfileStringA("s", "k", "v", ""), 0);
  EXPECT_EQ(WritePrivateProfileStringA("s", "k", nullptr, ""), 0);
  EXPECT_EQ(WritePrivateProfileStringA("s", nullptr, nullptr, ""), 0);
  char buffer[8];
  GetPrivateProfileStringA("s", "k", "default", buffer, sizeof buffer, "");
  EXPECT_EQ(listFolder(prefix_), "");
}

TEST_F(PrivateProfileHost, WritesThatCouldNotBeReadBackAreRefused) {
  writeBytes(hostIni(), "[s]\r\nk=v\r\n");
  EXPECT_EQ(put("s", "k", "a\r\n[x]\r\ny=z"), 0);
  EXPECT_EQ(put("s", "k=j", "v"), 0);
  EXPECT_EQ(put("s]", "k", "v"), 0);
  EXPECT_EQ(put("s", ";k", "v"), 0);
  EXPECT_EQ(put("s", "  ", "v"), 0);
  EXPECT_EQ(put(nullptr, "k", "v"), 0);
  EXPECT_EQ(put(nullptr, nullptr, nullptr), 0);
  EXPECT_EQ(readBytes(hostIni()), "[s]\r\nk=v\r\n");
}


TEST_F(PrivateProfileHost, WritesThatWouldReadBackOtherwiseAreRefused) {
  // Each would be written, then read back as something else (or not at all).
  const struct {
    Text section, key, value;
  } rows[] = {
      {"s\x81", "k", "v"},        // "\x81]" is one character: the header never closes
      {"\x81", "k", "v"},
      {" s\xfe ", "k", "v"},
      {"s", "k\x81\rj", "v"},     // a lead byte before a line break
      {"s", "k", "v\x81\n[x]"},
  };
  const std::string before = "[s]\r\nk=old\r\n";
  writeBytes(hostIni(), before);
  for (const auto& row : rows) {
    EXPECT_EQ(put(row.section.c_str(), row.key.c_str(), row.value.c_str()), 0) << testing::PrintToString(row.section);
    EXPECT_EQ(readBytes(hostIni()), before);
  }
  // Stray lead bytes that read back as written are fine, and so are quotes,
  // which a read drops as it would from any file.
  const struct {
    Text section, key, value, read;
  } fine[] = {
      {"t", "k\x81", "v", "v"},
      {"t", "k", "\x81", "\x81"},
      {"t\x81]", "k", "v", "v"},
      {"t", "q", "\"quoted\"", "quoted"},
  };
  for (const auto& row : fine) {
    ASSERT_NE(put(row.section.c_str(), row.key.c_str(), row.value.c_str()), 0) << testing::PrintToString(row.key);
    EXPECT_EQ(get(row.section.c_str(), row.key.c_str()), row.read + "\0"s);
  }
}


TEST_F(PrivateProfileHost, NamesThatNameAFolderFailAndCreateNothing) {
  const char* names[] = {"C:\\Windows\\", "C:\\Windows", "c:/WINDOWS", "C:\\", "D:\\",
                         "C:\\Windows\\x\\..", "C:\\Windows\\Sub\\", "Sub\\"};
  for (const char* name : names) {
    SCOPED_TRACE(name);
    char buffer[8] = {'#', '#', '#', '#', '#', '#', '#', '#'};
    EXPECT_EQ(GetPrivateProfileStringA("s", "k", "default", buffer, sizeof buffer, name), 0u);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(WritePrivateProfileStringA("s", "k", "v", name), 0);
    EXPECT_EQ(WritePrivateProfileStringA("s", "k", nullptr, name), 0);
    EXPECT_EQ(listFolder(prefix_), "");
  }
  // The Windows folder is still free to become a folder.
  ASSERT_NE(put("s", "k", "v"), 0);
  EXPECT_EQ(get("s", "k"), "v\0"s);
}


TEST_F(PrivateProfileHost, MissingFoldersUnderThePrefixAreCreatedOnWrite) {
  std::string deeper = prefix_ + "/not/yet";
  ::setenv("KESTRUNE_PREFIX", deeper.c_str(), 1);
  ASSERT_NE(WritePrivateProfileStringA("s", "k", "v", "C:\\Windows\\Sub\\Kestrune.ini"), 0);
  EXPECT_EQ(readBytes(deeper + "/drive_c/Windows/Sub/Kestrune.ini"), "[s]\r\nk=v\r\n");
  ::setenv("KESTRUNE_PREFIX", prefix_.c_str(), 1);
}

}  // namespace

// Windows drive paths under the per-user prefix.
#include "platform/profile/windows_path.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "platform/text/gbk.h"
#include "profile_test_support.h"

namespace {

class WindowsPath : public ProfileTest {};

TEST_F(WindowsPath, DriveLettersMapUnderThePrefix) {
  EXPECT_EQ(hostPathFor("C:\\Windows\\Kestrune.ini"), prefix_ + "/drive_c/Windows/Kestrune.ini");
  EXPECT_EQ(hostPathFor("c:/Windows//Kestrune.ini"), prefix_ + "/drive_c/Windows/Kestrune.ini");
  EXPECT_EQ(hostPathFor("D:\\x\\.\\y\\..\\z"), prefix_ + "/drive_d/x/z");
  EXPECT_EQ(hostPathFor("\\Windows\\a.ini"), prefix_ + "/drive_c/Windows/a.ini");
  // ".." stops at the drive root, so no path leaves its drive folder.
  EXPECT_EQ(hostPathFor("C:\\..\\..\\etc\\passwd"), prefix_ + "/drive_c/etc/passwd");
}

TEST_F(WindowsPath, PathsThatAreNotFullMapToNothing) {
  EXPECT_EQ(hostPathFor("Kestrune.ini"), "");
  EXPECT_EQ(hostPathFor("sub\\Kestrune.ini"), "");
  EXPECT_EQ(hostPathFor("C:Kestrune.ini"), "");
  EXPECT_EQ(hostPathFor("\\\\server\\share\\a.ini"), "");
  EXPECT_EQ(hostPathFor(""), "");
}

TEST_F(WindowsPath, GbkNamesBecomeUtf8WithoutSplittingAtSecondBytes) {
  // The second byte of 誠 is "\"; it must not separate names.
  Text path = "C:\\配置\\誠.ini"_gbk;
  EXPECT_EQ(hostPathFor(path), prefix_ + "/drive_c/配置/誠.ini");
}

TEST_F(WindowsPath, ExistingNamesMatchWithoutCase) {
  std::filesystem::create_directories(prefix_ + "/drive_c/Windows");
  EXPECT_EQ(hostPathFor("C:\\WINDOWS\\NEW\\A.ini"), prefix_ + "/drive_c/Windows/NEW/A.ini");
}

TEST_F(WindowsPath, PrefixDefaultsToTheHomeFolder) {
  ::unsetenv("KESTRUNE_PREFIX");
  const char* home = std::getenv("HOME");
  std::string savedHome = home ? home : "";
  ::setenv("HOME", "/home/someone", 1);
  EXPECT_EQ(kestrunePrefix(), "/home/someone/.kestrune");
  ::setenv("KESTRUNE_PREFIX", "", 1);
  EXPECT_EQ(kestrunePrefix(), "/home/someone/.kestrune");
  if (home) ::setenv("HOME", savedHome.c_str(), 1); else ::unsetenv("HOME");
}

TEST_F(WindowsPath, FoldersAreCreatedOnlyBelowThePrefix) {
  EXPECT_TRUE(createFoldersFor(prefix_ + "/drive_c/Windows/Kestrune.ini"));
  EXPECT_TRUE(std::filesystem::is_directory(prefix_ + "/drive_c/Windows"));
  std::string outside = std::filesystem::path(prefix_).parent_path().string() + "/kestrune-not-here/x.ini";
  EXPECT_FALSE(createFoldersFor(outside));
  EXPECT_FALSE(std::filesystem::exists(std::filesystem::path(outside).parent_path()));
}

}  // namespace

#include "profile_test_support.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "platform/profile/private_profile.h"

namespace fs = std::filesystem;

void ProfileTest::SetUp() {
  if (const char* old = std::getenv("KESTRUNE_PREFIX")) {
    hadPrefix_ = true;
    savedPrefix_ = old;
  }
  std::string pattern = (fs::temp_directory_path() / "kestrune-profile-XXXXXX").string();
  ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
  ::chmod(pattern.c_str(), 0755);
  prefix_ = pattern;
  ::setenv("KESTRUNE_PREFIX", prefix_.c_str(), 1);
}

void ProfileTest::TearDown() {
  std::error_code ignored;
  for (auto& entry : fs::recursive_directory_iterator(prefix_, ignored))
    if (entry.is_directory(ignored)) ::chmod(entry.path().c_str(), 0755);
  fs::remove_all(prefix_, ignored);
  if (hadPrefix_) {
    ::setenv("KESTRUNE_PREFIX", savedPrefix_.c_str(), 1);
  } else {
    ::unsetenv("KESTRUNE_PREFIX");
  }
}

std::string ProfileTest::hostIni(const std::string& name) const {
  return prefix_ + "/drive_c/Windows/" + name;
}

void ProfileTest::writeBytes(const std::string& path, const std::string& bytes) {
  fs::create_directories(fs::path(path).parent_path());
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}




// The profile tests' support on Windows: the files are the real ones in the
// Windows folder (the suite's own Wine prefix), removed around each test.
#include "tests/platform/profile/profile_test_support.h"

#include <fstream>

#include "platform/profile/private_profile.h"

namespace {

void removeTestFiles() {
  for (const char* name : {"Kestrune.ini", "Other.ini"}) DeleteFileA((std::string("C:\\Windows\\") + name).c_str());
  // The profile functions keep a file they read; a flush makes them read it anew.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, "C:\\Windows\\Kestrune.ini");
}

}  // namespace

void ProfileTest::SetUp() {
  prefix_ = "C:\\Windows";
  removeTestFiles();
}

void ProfileTest::TearDown() { removeTestFiles(); }

std::string ProfileTest::hostIni(const std::string& name) const { return "C:\\Windows\\" + name; }

void ProfileTest::writeBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
}

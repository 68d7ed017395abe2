// A private prefix per test and small file helpers for the profile tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

// Points KESTRUNE_PREFIX at a fresh folder (mode 0755) for each test and
// removes it afterwards.
class ProfileTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // Host path of "C:\Windows\<name>".
  std::string hostIni(const std::string& name = "Kestrune.ini") const;
  static void writeBytes(const std::string& path, const std::string& bytes);
  static std::string readBytes(const std::string& path);
  // Names in a folder, sorted.
  static std::string listFolder(const std::string& folder);

  // GetPrivateProfileStringA on Ini into a buffer of `size` bytes; `returned`
  // receives the function's result. Gives the first result + 1 bytes of the
  // buffer: a value with its zero, a list with its final zero.
  std::string get(const char* section, const char* key, const char* def = "",
                  uint32_t size = 10240, uint32_t* returned = nullptr) const;
  int put(const char* section, const char* key, const char* value) const;

  static constexpr const char* Ini = "C:\\Windows\\Kestrune.ini";
  std::string prefix_;
  std::string savedPrefix_;
  bool hadPrefix_ = false;
};

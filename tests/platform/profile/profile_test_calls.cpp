// The profile tests' file and call helpers, the same on Linux and Windows.
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <vector>

#include "platform/profile/private_profile.h"
#include "profile_test_support.h"

namespace fs = std::filesystem;

std::string ProfileTest::readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::string ProfileTest::listFolder(const std::string& folder) {
  std::vector<std::string> names;
  for (auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  std::ostringstream out;
  for (auto& name : names) out << name << ";";
  return out.str();
}

std::string ProfileTest::get(const char* section, const char* key, const char* def, uint32_t size,
                             uint32_t* returned) const {
  std::vector<char> buffer(size + 4, '#');
  uint32_t n = GetPrivateProfileStringA(section, key, def, buffer.data(), size, Ini);
  if (returned) *returned = n;
  return std::string(buffer.data(), std::min<std::size_t>(n + 1, size));
}

int ProfileTest::put(const char* section, const char* key, const char* value) const {
  return WritePrivateProfileStringA(section, key, value, Ini);
}

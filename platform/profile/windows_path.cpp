#include "platform/profile/windows_path.h"

#include <dirent.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

#include "platform/text/gbk.h"

namespace {

bool isDriveLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Splits at "\" and "/" without breaking two-byte GBK characters, whose
// second byte may be 0x5C.
std::vector<std::string_view> splitPath(std::string_view path) {
  std::vector<std::string_view> parts;
  std::size_t start = 0, i = 0;
  while (i < path.size()) {
    const std::size_t size = gbkCharSize(path, i);
    if (size == 1 && isSeparator(path[i])) {
      parts.push_back(path.substr(start, i - start));
      start = i + 1;
    }
    i += size;
  }
  parts.push_back(path.substr(start));
  return parts;
}

// GBK name to a UTF-8 host name; a name that is not valid GBK keeps its bytes,
// so two different names never map to the same host name.
std::string hostName(std::string_view name) {
  std::string utf8 = gbkToUtf8(name);
  return utf8ToGbk(utf8) == name ? utf8 : std::string(name);
}

bool sameIgnoringAsciiCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    char x = a[i], y = b[i];
    if (x >= 'A' && x <= 'Z') x = static_cast<char>(x + 32);
    if (y >= 'A' && y <= 'Z') y = static_cast<char>(y + 32);
    if (x != y) return false;
  }
  return true;
}

// Windows names do not care about case: an existing entry of `folder` whose
// name differs from `name` only in ASCII case stands for it. Empty when
// nothing matches.
std::string existingName(const std::string& folder, const std::string& name) {
  if (::access((folder + "/" + name).c_str(), F_OK) == 0) return name;
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return {};
  std::string found;
  while (dirent* entry = ::readdir(dir)) {
    if (sameIgnoringAsciiCase(entry->d_name, name)) {
      found = entry->d_name;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

bool isFolder(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

std::string kestrunePrefix() {
  if (const char* prefix = std::getenv("KESTRUNE_PREFIX"); prefix && *prefix) return prefix;
  if (const char* home = std::getenv("HOME"); home && *home) return std::string(home) + "/.kestrune";
  struct passwd entry;
  struct passwd* found = nullptr;
  std::vector<char> scratch(16384);
  if (::getpwuid_r(::getuid(), &entry, scratch.data(), scratch.size(), &found) == 0 && found &&
      found->pw_dir && *found->pw_dir)
    return std::string(found->pw_dir) + "/.kestrune";
  return {};
}

bool isFullWindowsPath(std::string_view path) {
  if (path.size() >= 3 && isDriveLetter(path[0]) && path[1] == ':' && isSeparator(path[2]))
    return true;
  return !path.empty() && isSeparator(path[0]) && !(path.size() >= 2 && isSeparator(path[1]));
}

std::string hostPathFor(std::string_view path) {
  if (!isFullWindowsPath(path)) return {};
  char drive = 'c';
  if (path[1] == ':') {
    drive = static_cast<char>(path[0] | 0x20);
    path.remove_prefix(2);
  }
  std::vector<std::string_view> names;
  for (std::string_view part : splitPath(path)) {
    if (part.empty() || part == ".") continue;
    if (part == "..") {
      if (!names.empty()) names.pop_back();
      continue;
    }
    names.push_back(part);
  }
  std::string prefix = kestrunePrefix();
  if (prefix.empty()) return {};
  std::string host = prefix + "/drive_" + drive;
  bool resolving = true;  // while the folders on the way exist
  for (std::string_view windowsName : names) {
    std::string name = hostName(windowsName);
    if (resolving) {
      std::string existing = existingName(host, name);
      resolving = !existing.empty();
      if (resolving) name = existing;
    }
    host += "/" + name;
  }
  return host;
}

bool createFoldersFor(const std::string& hostFilePath) {
  std::size_t slash = hostFilePath.rfind('/');
  if (slash == std::string::npos || slash == 0) return true;
  std::string folder = hostFilePath.substr(0, slash);
  if (isFolder(folder)) return true;
  std::string prefix = kestrunePrefix();
  while (!prefix.empty() && prefix.size() > 1 && prefix.back() == '/') prefix.pop_back();
  if (prefix.empty() || folder.compare(0, prefix.size(), prefix) != 0 ||
      (folder.size() > prefix.size() && folder[prefix.size()] != '/'))
    return false;
  // The prefix may itself be nested in missing folders (a fresh home).
  for (std::size_t at = 1; at <= folder.size(); ++at) {
    if (at != folder.size() && folder[at] != '/') continue;
    std::string step = folder.substr(0, at);
    if (isFolder(step)) continue;
    if (::mkdir(step.c_str(), 0755) != 0 && errno != EEXIST) return false;
  }
  return isFolder(folder);
}

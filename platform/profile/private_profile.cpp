#include "platform/profile/private_profile.h"

#include <algorithm>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/atomic_file.h"
#include "platform/profile/ini_document.h"
#include "platform/profile/windows_path.h"

namespace {

constexpr std::string_view WindowsFolder = "C:\\Windows\\";
constexpr std::string_view DefaultProfile = "win.ini";

bool endsInSeparator(std::string_view name) {
  bool separator = false;
  for (std::size_t i = 0; i < name.size(); i += gbkCharSize(name, i))
    separator = name[i] == '\\' || name[i] == '/';
  return separator;
}

// The host file of a profile name; "" for a name that names no file: an
// empty name, a name ending in a separator, a drive root or the Windows
// folder itself (which must stay a folder).
std::string hostPathOfProfile(const char* fileName) {
  std::string_view name = fileName ? fileName : DefaultProfile;
  if (name.empty() || endsInSeparator(name)) return {};
  std::string host = isFullWindowsPath(name) ? hostPathFor(name)
                                             : hostPathFor(std::string(WindowsFolder) + std::string(name));
  const std::string windowsFolder = hostPathFor(WindowsFolder);
  // A drive root maps to "<prefix>/drive_c" and has nothing after it.
  const std::size_t driveRootEnd = kestrunePrefix().size() + std::string_view("/drive_c").size();
  if (host.empty() || host.size() <= driveRootEnd || profileNamesEqual(host, windowsFolder)) return {};
  return host;
}

// Text up to its first zero byte: what a C string reader sees of it.
std::string_view cString(std::string_view s) { return s.substr(0, s.find('\0')); }

// Longest prefix of s of at most `room` bytes that does not end inside a
// two-byte character.
std::size_t fittingLength(std::string_view s, std::size_t room) {
  std::size_t i = 0;
  while (i < s.size()) {
    const std::size_t width = gbkCharSize(s, i);
    if (i + width > room) break;
    i += width;
  }
  return i;
}

uint32_t copyString(std::string_view s, char* buffer, uint32_t size) {
  s = cString(s);
  if (s.size() < size) {
    s.copy(buffer, s.size());
    buffer[s.size()] = '\0';
    return static_cast<uint32_t>(s.size());
  }
  std::size_t kept = fittingLength(s, size - 1);
  s.copy(buffer, kept);
  std::fill(buffer + kept, buffer + size, '\0');
  return size - 1;
}

uint32_t copyList(const std::vector<Text>& names, char* buffer, uint32_t size) {
  std::string list;
  for (const Text& name : names) {
    std::string_view shown = cString(name);
    if (shown.empty()) continue;
    list.append(shown);
    list.push_back('\0');
  }
  if (list.size() + 1 <= size) {
    list.copy(buffer, list.size());
    std::fill(buffer + list.size(), buffer + std::min<std::size_t>(list.size() + 2, size), '\0');
    return static_cast<uint32_t>(list.size());
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::size_t kept = fittingLength(list, size - 2);
  list.copy(buffer, kept);
  std::fill(buffer + kept, buffer + size, '\0');
  return size - 2;
}

std::string_view withoutTrailingBlanks(const char* text) {
  std::string_view s = text ? text : "";
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

// True when a read of the edited text gives exactly what the write meant.
bool readsBackAsWritten(const std::string& edited, const char* section, const char* key,
                        const char* value) {
  const IniDocument reread(edited);
  if (key == nullptr) return !reread.keyNames(section).has_value();
  const std::optional<Text> found = reread.value(section, key);
  if (value == nullptr) return !found.has_value();
  return found == valueAsRead(value);
}

}  // namespace

uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                  char* buffer, uint32_t size, const char* fileName) {
  if (buffer == nullptr || size == 0) return 0;
  const std::string hostPath = hostPathOfProfile(fileName);
  // An empty name reads like a missing file (the default); a folder gives nothing.
  const bool emptyName = fileName != nullptr && *fileName == '\0';
  if (hostPath.empty() && !emptyName) {
    buffer[0] = '\0';
    return 0;
  }
  const IniDocument profile(hostPath.empty() ? std::string() : readWholeFile(hostPath).value_or(std::string()));
  if (section == nullptr) return copyList(profile.sectionNames(), buffer, size);
  if (key == nullptr) return copyList(profile.keyNames(section).value_or(std::vector<Text>()), buffer, size);
  std::optional<Text> value = profile.value(section, key);
  return copyString(value ? std::string_view(*value) : withoutTrailingBlanks(defaultValue), buffer, size);
}

int WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                               const char* fileName) {
  if (section == nullptr) return 0;
  if (!isWritableSectionName(section) || (key && !isWritableKeyName(key)) ||
      (key && value && !isWritableValue(value)))
    return 0;
  std::string hostPath = hostPathOfProfile(fileName);
  if (hostPath.empty()) return 0;
  std::optional<std::string> old = readWholeFile(hostPath);
  if (!old && pathExists(hostPath)) return 0;  // there but unreadable: never replace it blindly
  IniDocument profile(old.value_or(std::string()));
  if (key == nullptr) {
    profile.removeSection(section);
  } else if (value == nullptr) {
    profile.removeKey(section, key);
  } else {
    profile.setValue(section, key, value);
  }
  if (!readsBackAsWritten(profile.bytes(), section, key, value)) return 0;
  if (old && profile.bytes() == *old) return 1;
  if (!old && key && !value) return 1;
  if (!old && !key) return 1;
  return createFoldersFor(hostPath) && replaceFileAtomically(hostPath, profile.bytes()) ? 1 : 0;
}

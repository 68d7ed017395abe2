// The private-profile (INI) reader and writer on an arbitrary file: every
// name the file lists reads back, reads cut to a buffer stay inside it, and
// a write either reads back as written, leaving every other entry as it
// was, or is refused with the file untouched. An edit whose names and value
// the writable-name checks accept reads back, in the document and through
// the file functions, which never refuse it.
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "platform/profile/atomic_file.h"
#include "platform/profile/ini_document.h"
#include "platform/profile/private_profile.h"

namespace {

namespace fs = std::filesystem;

constexpr const char* kProfile = "C:\\fuzz.ini";
constexpr size_t kMostSections = 16;
constexpr size_t kMostKeys = 16;

// A private prefix (in memory where the machine offers it, as every write
// is flushed to disk), removed at exit.
const std::string& profilePath() {
  static const std::string path = [] {
    const fs::path base = fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string prefix = (base / "kestrune-fuzz-ini-XXXXXX").string();
    if (!::mkdtemp(prefix.data())) std::abort();
    ::setenv("KESTRUNE_PREFIX", prefix.c_str(), 1);
    fs::create_directories(fs::path(prefix) / "drive_c");
    static const std::string removed = prefix;
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(removed, ignored);
    });
    return (fs::path(prefix) / "drive_c" / "fuzz.ini").string();
  }();
  return path;
}

std::string cString(std::string_view s) { return std::string(s.substr(0, s.find('\0'))); }

std::string read(const char* section, const char* key, const char* fallback, uint32_t size = 4096) {
  std::vector<char> buffer(size + 1, '\x7F');
  const uint32_t length = GetPrivateProfileStringA(section, key, fallback, buffer.data(), size, kProfile);
  FUZZ_CHECK(length < size || size == 0);
  FUZZ_CHECK(buffer[size] == '\x7F');  // nothing written past the buffer
  return std::string(buffer.data(), length);
}

using Entries = std::map<std::pair<std::string, std::string>, std::string>;

// Sections and keys as the reader lists them (the first so many), each
// checked against the reads of the file functions.
Entries readAll(const std::string& bytes, uint32_t smallSize) {
  const IniDocument document(bytes);
  Entries entries;
  const std::vector<Text> sections = document.sectionNames();
  std::string listed;
  for (const Text& s : sections)
    if (!cString(s).empty()) listed += cString(s) + '\0';
  FUZZ_CHECK(read(nullptr, nullptr, nullptr, static_cast<uint32_t>(listed.size() + 2)) == listed);
  for (size_t i = 0; i < sections.size() && i < kMostSections; ++i) {
    const std::optional<std::vector<Text>> keys = document.keyNames(sections[i]);
    FUZZ_CHECK(keys.has_value());
    for (size_t j = 0; j < keys->size() && j < kMostKeys; ++j) {
      const std::optional<Text> value = document.value(sections[i], (*keys)[j]);
      FUZZ_CHECK(value.has_value());
      entries[{sections[i], (*keys)[j]}] = *value;
      const std::string section = cString(sections[i]), key = cString((*keys)[j]);
      if (section != sections[i] || key != (*keys)[j] || key.empty()) continue;
      FUZZ_CHECK(read(section.c_str(), key.c_str(), "\x01") == cString(*value));
      // Cut to a small buffer: a prefix of the value, never half a character.
      const std::string cut = read(section.c_str(), key.c_str(), "\x01", smallSize);
      const std::string whole = cString(*value);
      if (smallSize > 0 && whole.size() >= smallSize) {
        const size_t kept = std::strlen(cut.c_str());
        FUZZ_CHECK(whole.compare(0, kept, cut.c_str()) == 0);
        size_t boundary = 0;
        while (boundary < kept) boundary += gbkCharSize(whole, boundary);
        FUZZ_CHECK(boundary == kept);
      }
    }
  }
  return entries;
}

bool sameName(const std::string& a, const std::string& b) {
  auto trim = [](std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t' || s.front() == '\r')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
    return s;
  };
  return profileNamesEqual(trim(a), trim(b));
}

// The checks a write with these arguments must pass (key and value nullptr
// where the operation takes none).
bool writableEdit(std::string_view section, const std::string_view* key, const std::string_view* value) {
  return isWritableSectionName(section) && (!key || isWritableKeyName(*key)) &&
         (!key || !value || isWritableValue(*value));
}

// The edit on the document itself, with every byte of the names and value
// (zero bytes too): when the checks accept them, it reads back as meant.
void checkAcceptedEditReadsBack(const std::string& before, int operation, const std::string& section,
                                const std::string& key, const std::string& value) {
  const std::string_view keyView = key, valueView = value;
  if (!writableEdit(section, operation == 2 ? nullptr : &keyView, operation == 0 ? &valueView : nullptr))
    return;
  IniDocument document(before);
  if (operation == 0) {
    document.setValue(section, key, value);
    FUZZ_CHECK(document.value(section, key) == valueAsRead(value));
  } else if (operation == 1) {
    document.removeKey(section, key);
    FUZZ_CHECK(!document.value(section, key).has_value());
  } else {
    document.removeSection(section);
    FUZZ_CHECK(!document.keyNames(section).has_value());
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& path = profilePath();
  FuzzInput in(data, size);
  const uint8_t flags = in.byte();
  const uint32_t smallSize = in.byte() % 16;
  const std::string section = in.field(), key = in.field(), value = in.field();
  const std::string file = in.rest();
  const bool noFile = flags & 4;
  if (noFile) {
    ::unlink(path.c_str());
  } else {
    std::ofstream(path, std::ios::binary | std::ios::trunc) << file;
  }
  const std::string before = noFile ? std::string() : file;
  const Entries old = readAll(before, smallSize);

  // 0: set the value, 1: delete the key, 2: delete the section.
  const int operation = (flags & 3) % 3;
  checkAcceptedEditReadsBack(before, operation, section, key, value);
  const char* keyArgument = operation == 2 ? nullptr : key.c_str();
  const char* valueArgument = operation == 0 ? value.c_str() : nullptr;
  const int written = WritePrivateProfileStringA(section.c_str(), keyArgument, valueArgument, kProfile);
  const std::optional<std::string> after = readWholeFile(path);
  // What the file functions see of the arguments: C strings.
  const std::string_view keySeen = keyArgument ? keyArgument : "", valueSeen = valueArgument ? valueArgument : "";
  if (writableEdit(section.c_str(), keyArgument ? &keySeen : nullptr, valueArgument ? &valueSeen : nullptr))
    FUZZ_CHECK(written);
  if (!written) {
    FUZZ_CHECK(after == (noFile ? std::nullopt : std::optional<std::string>(file)));
    return 0;
  }
  if (!after) {  // deleting from no file creates none
    FUZZ_CHECK(noFile && operation != 0);
    return 0;
  }
  const Entries now = readAll(*after, smallSize);
  if (operation == 0) FUZZ_CHECK(read(section.c_str(), key.c_str(), "\x01") == cString(valueAsRead(value)));
  if (operation == 1) FUZZ_CHECK(read(section.c_str(), key.c_str(), "\x01") == "\x01");
  if (operation == 2) FUZZ_CHECK(!IniDocument(*after).keyNames(section).has_value());
  // Every other entry reads as before.
  for (const auto& [name, oldValue] : old) {
    const bool touched = sameName(name.first, section) && (operation == 2 || sameName(name.second, key));
    if (touched) continue;
    const auto found = now.find(name);
    if (found != now.end()) {
      FUZZ_CHECK(found->second == oldValue);
    } else {
      // Listed no more: only because the lists stop at so many names.
      const std::optional<Text> still = IniDocument(*after).value(name.first, name.second);
      FUZZ_CHECK(still == oldValue);
    }
  }
  return 0;
}

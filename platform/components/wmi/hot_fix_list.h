// The installed hot-fixes that the WMI stand-in reports as instances of
// Win32_QuickFixEngineering: the list file C:\Windows\Kestrune\hotfixes.txt
// under the per-user prefix (platform/profile maps the path).
//
// One hot-fix a line: its identifier ("KB3140245"), optionally followed by a
// tab and a description ("Security Update"). Blanks around either are
// dropped; blank lines and lines whose first non-blank character is "#" are
// skipped. The file is GBK, or UTF-8 when it starts with the UTF-8 byte-order
// mark; lines end in LF or CR LF. No file means no hot-fixes.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

inline constexpr char HotFixListPath[] = "C:\\Windows\\Kestrune\\hotfixes.txt";

struct InstalledHotFix {
  std::u16string id;
  std::optional<std::u16string> description;
};

// The hot-fixes in the bytes of a list file, in file order, duplicates kept.
std::vector<InstalledHotFix> parseHotFixList(std::string_view bytes);

// The hot-fixes of the list file; empty when it is missing or unreadable.
std::vector<InstalledHotFix> readInstalledHotFixes();

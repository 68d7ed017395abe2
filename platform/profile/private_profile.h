// The Windows private-profile functions (ANSI forms) over INI files on this
// host. Section names, keys and values are GBK bytes. File names are Windows
// paths mapped by platform/profile/windows_path.h; a name that is not a full
// path ("Kestrune.ini") lives in the Windows folder, C:\Windows. An empty
// name reads like a missing file (a read gives the default and its length, a
// list is empty) and fails every write. A name that names a folder (ending in
// a separator, a drive root, the Windows folder itself) fails every read and
// write: the functions return 0. Neither creates anything.
//
// File rules (see ini_document.h): names match without case, a new section is
// appended at the end of the file, a new key at the end of its section, an
// existing value is replaced in place, lines may end in CR LF, LF or a lone
// CR, new lines end in CR LF, and every line a write does not touch keeps its
// bytes. A write replaces the file
// atomically, so a crash leaves either the old or the new file.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include "platform/windows_sdk.h"  // GetPrivateProfileStringA, WritePrivateProfileStringA
#else
// Copies the value of `key` in `section` into buffer (size bytes, zero
// terminated) and returns its length. When the file, section or key is
// missing, copies defaultValue (NULL = "") without its trailing blanks.
// A value enclosed in a pair of " or ' is given without them.
// A value that does not fit is cut to size - 1 bytes (never inside a two-byte
// character) and size - 1 is returned.
// section NULL lists all section names, key NULL all keys of the section:
// each name zero terminated, one more zero at the end; the return value
// counts the bytes before that last zero. A list that does not fit is cut
// so that it still ends in two zeros, and size - 2 is returned.
// A NULL buffer or a size of 0 returns 0.
uint32_t GetPrivateProfileStringA(const char* section, const char* key, const char* defaultValue,
                                  char* buffer, uint32_t size, const char* fileName);

// Sets `key` in `section` to `value` (blanks around it dropped), creating
// the file, the section, the key and the missing folders under the prefix
// as needed. value NULL deletes the key; key NULL deletes the section with
// all its lines. Returns non-zero on success and 0 when the file could not be
// written (the old file then stays as it was), when section is NULL, or for
// names and values that could not be read back as written (those that
// isWritableSectionName / isWritableKeyName / isWritableValue of
// ini_document.h refuse: a line break anywhere, "]" in the section or a
// section ending in a lone lead byte, "=" in the key, a key that is empty or
// begins with "[" or ";"; the edited file is also read back before it
// replaces the old one). All three NULL only flushes, which Windows reports
// as 0; there is no cache, so there is nothing to flush.
int WritePrivateProfileStringA(const char* section, const char* key, const char* value,
                               const char* fileName);
#endif  // _WIN32

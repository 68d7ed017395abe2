// Whole-file reads and crash-safe whole-file replacement.
#pragma once

#include <functional>
#include <optional>
#include <string>

// The file's bytes; nullopt when it does not exist, cannot be read or is
// not a regular file (a folder or a FIFO in its place).
std::optional<std::string> readWholeFile(const std::string& path);

// True when something (even an unreadable file) exists at path.
bool pathExists(const std::string& path);

// Replaces (or creates) the file with `bytes`: writes a temporary file in the
// same folder, flushes it to disk, renames it over the file and flushes the
// folder, so the file is at every moment either the old or the new one.
// An existing file keeps its permission bits; a symbolic link is written
// through to its target. An existing file without write permission is not
// replaced. False on any failure, with the old file untouched and no
// temporary file left behind.
bool replaceFileAtomically(const std::string& path, const std::string& bytes);

// Test hook: called with the temporary file's path after it has been written
// and flushed, right before the rename. Empty by default.
void setBeforeRenameHookForTesting(std::function<void(const std::string& tempPath)> hook);

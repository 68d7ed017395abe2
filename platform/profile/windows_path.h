// Windows drive paths on this host. Drive letters live under a per-user
// prefix: "C:\Windows\Kestrune.ini" is $KESTRUNE_PREFIX/drive_c/Windows/Kestrune.ini,
// the prefix defaulting to ~/.kestrune.
#pragma once

#include <string>
#include <string_view>

// The prefix: $KESTRUNE_PREFIX when set and not empty, else $HOME/.kestrune
// (the home folder of the user's account entry when HOME is unset).
// Empty when neither can be found.
std::string kestrunePrefix();

// True for a full Windows path: a drive letter, a colon and a separator
// ("C:\X", "c:/X"), or a path rooted without a drive ("\X"), which means drive C.
bool isFullWindowsPath(std::string_view windowsPath);

// Maps a full Windows path (GBK bytes) to the host path. The drive letter
// and the names of existing files and folders match without case (ASCII
// letters), as on Windows; "\" and "/" both separate; "." and ".." are resolved
// and ".." stops at the drive root as on Windows, so a path never leaves its
// drive folder. Names are converted to UTF-8. Gives "" for paths that are not
// full (relative, drive-relative, UNC "\\server\share") or when no prefix exists.
std::string hostPathFor(std::string_view windowsPath);

// Creates the missing folders on the way to hostFilePath, starting from the
// prefix itself, but only when hostFilePath lies below the prefix. True when
// the folder that should hold the file exists afterwards.
bool createFoldersFor(const std::string& hostFilePath);

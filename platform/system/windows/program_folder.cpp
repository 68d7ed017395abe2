#include "platform/system/program_folder.h"

#include <string>

#include "platform/windows_sdk.h"

void enterProgramFolder() {
  // The module's path in the system's code page; long paths grow the buffer.
  std::string path(MAX_PATH, '\0');
  for (;;) {
    const DWORD n = GetModuleFileNameA(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return;
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const size_t slash = path.find_last_of("\\/");
  if (slash == std::string::npos) return;
  path.resize(slash == 2 && path[1] == ':' ? slash + 1 : slash);  // "C:\" keeps its backslash
  SetCurrentDirectoryA(path.c_str());
}

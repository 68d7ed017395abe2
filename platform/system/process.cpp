#include "platform/system/process.h"

#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdint>
#include <iostream>

namespace {

// The pseudo-handle of the own process, as on Windows: (HANDLE)-1.
HANDLE const CurrentProcessHandle = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// A handle to another process carries its id, tagged so that it can never
// equal null or the pseudo-handle.
constexpr uintptr_t ProcessHandleTag = uintptr_t{1} << 40;

pid_t processOf(HANDLE handle) {
  if (handle == CurrentProcessHandle) return getpid();
  const auto value = reinterpret_cast<uintptr_t>(handle);
  if ((value & ProcessHandleTag) == 0) return 0;
  return static_cast<pid_t>(value & ~ProcessHandleTag);
}

}  // namespace

HANDLE GetCurrentProcess() { return CurrentProcessHandle; }

DWORD GetCurrentProcessId() { return static_cast<DWORD>(getpid()); }

HANDLE OpenProcess(DWORD desiredAccess, BOOL, DWORD processId) {
  if (desiredAccess != PROCESS_TERMINATE || processId == 0 || processId > INT32_MAX) return nullptr;
  if (kill(static_cast<pid_t>(processId), 0) != 0) return nullptr;
  return reinterpret_cast<HANDLE>(ProcessHandleTag | processId);
}

BOOL TerminateProcess(HANDLE process, uint32_t exitCode) {
  const pid_t pid = processOf(process);
  if (pid <= 0) return 0;
  if (pid == getpid()) {
    // What was written so far still reaches its destination.
    std::fflush(nullptr);
    std::cout.flush();
    std::cerr.flush();
    _exit(static_cast<int>(exitCode & 0xFF));
  }
  return kill(pid, SIGKILL) == 0;
}

BOOL CloseHandle(HANDLE handle) { return handle != nullptr; }

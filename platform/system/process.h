// Kernel process functions: the program's own process, opening another one
// with terminate access, terminating, closing the handle.
#pragma once

#include <cstdint>

#ifdef _WIN32
#include "platform/windows_sdk.h"  // the process functions of the kernel
#else
using HANDLE = void*;
using BOOL = int;
using DWORD = uint32_t;

inline constexpr DWORD PROCESS_TERMINATE = 0x0001;

// The pseudo-handle of the calling process; closing it does nothing.
HANDLE GetCurrentProcess();
DWORD GetCurrentProcessId();

// A handle to process `processId` when it exists and this process may signal
// it; null otherwise. Only PROCESS_TERMINATE access is supported.
HANDLE OpenProcess(DWORD desiredAccess, BOOL inheritHandle, DWORD processId);

// Ends the process at once. For the calling process: exit code `exitCode`,
// without exit clean-up (atexit routines and static destructors do not run)
// and without returning. For another process: it is killed (SIGKILL; a
// process ended by a signal has no exit code of its own on this platform).
BOOL TerminateProcess(HANDLE process, uint32_t exitCode);

BOOL CloseHandle(HANDLE handle);
#endif  // _WIN32

// Pointer tests of the kernel (IsBadReadPtr / IsBadCodePtr) that never fault.
//
// IsBadReadPtr asks the kernel to copy the bytes into a pipe: an address it
// cannot read fails the copy with EFAULT instead of raising a signal, so the
// test also finds pages that are mapped but unreadable (guard pages,
// PROT_NONE) and file pages past the end of their file.
//
// IsBadCodePtr is stricter than on Windows, where it only tests read access:
// here the address must lie in an executable mapping of this process
// (/proc/self/maps), so a pointer into data, the stack or the heap is bad.
#pragma once

#include <cstddef>

#ifdef _WIN32
#include "platform/windows_sdk.h"  // IsBadReadPtr, IsBadCodePtr
// Any address, as the stand-in takes it (the kernel's takes a FARPROC).
inline BOOL IsBadCodePtr(const void* address) {
  return ::IsBadCodePtr(reinterpret_cast<FARPROC>(const_cast<void*>(address)));
}
#else
// True when any of the `bytes` bytes from `address` cannot be read; null is
// bad, zero bytes are never bad (as on Windows).
bool IsBadReadPtr(const void* address, std::size_t bytes);

// True when `address` is not in an executable mapping of this process.
bool IsBadCodePtr(const void* address);
#endif  // _WIN32

// Local heap blocks (LocalAlloc / LocalFree) for code written against the
// kernel's local-memory functions. Only fixed blocks exist here: the handle
// is the block's address, as for LMEM_FIXED on Windows.
#pragma once

#include <cstddef>
#include <cstdint>

#ifdef _WIN32
#include "platform/windows_sdk.h"  // LocalAlloc, LocalFree
#else
using HLOCAL = void*;

constexpr uint32_t LMEM_FIXED = 0x0000;
constexpr uint32_t LMEM_ZEROINIT = 0x0040;
constexpr uint32_t LPTR = LMEM_FIXED | LMEM_ZEROINIT;

// A block of `bytes` bytes (a usable block also for 0), zero-filled with
// LMEM_ZEROINIT. Null when memory runs out or for flags other than
// LMEM_FIXED / LMEM_ZEROINIT (movable and discardable blocks do not exist).
HLOCAL LocalAlloc(uint32_t flags, std::size_t bytes);

// Frees a block from LocalAlloc; null does nothing. Returns null (success).
HLOCAL LocalFree(HLOCAL block);
#endif  // _WIN32

#include "platform/system/local_memory.h"

#include <cstdlib>

HLOCAL LocalAlloc(uint32_t flags, std::size_t bytes) {
  if (flags & ~(LMEM_FIXED | LMEM_ZEROINIT)) return nullptr;
  const std::size_t size = bytes == 0 ? 1 : bytes;
  return (flags & LMEM_ZEROINIT) ? std::calloc(1, size) : std::malloc(size);
}

HLOCAL LocalFree(HLOCAL block) {
  std::free(block);
  return nullptr;
}

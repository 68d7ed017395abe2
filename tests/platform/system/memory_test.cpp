// Pointer tests and local memory blocks.
#include <gtest/gtest.h>

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "platform/system/local_memory.h"
#include "platform/system/memory_probe.h"

namespace {

// Three pages: readable, unreadable (PROT_NONE), unmapped.
class GuardedPages {
 public:
  GuardedPages() : size_(static_cast<size_t>(::sysconf(_SC_PAGESIZE))) {
    void* p = ::mmap(nullptr, 3 * size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    base_ = p == MAP_FAILED ? nullptr : static_cast<char*>(p);
    if (!base_) return;
    std::memset(base_, 'x', size_);
    ::mprotect(base_ + size_, size_, PROT_NONE);
    ::munmap(base_ + 2 * size_, size_);
  }
  ~GuardedPages() {
    if (base_) ::munmap(base_, 2 * size_);
  }
  char* readable() const { return base_; }
  char* unreadable() const { return base_ + size_; }
  char* unmapped() const { return base_ + 2 * size_; }
  size_t pageSize() const { return size_; }

 private:
  size_t size_;
  char* base_ = nullptr;
};

int codeFunction() { return 1; }
const char readOnlyData[] = "data";

TEST(MemoryProbeTest, ReadPointers) {
  GuardedPages pages;
  ASSERT_NE(pages.readable(), nullptr);
  int onStack = 7;
  auto onHeap = std::make_unique<std::vector<char>>(3 * pages.pageSize(), 'y');
  const size_t page = pages.pageSize();
  struct Case {
    const char* what;
    const void* address;
    size_t bytes;
    bool bad;
  } cases[] = {
      {"null", nullptr, 4, true},
      {"null, no bytes", nullptr, 0, false},
      {"stack", &onStack, sizeof onStack, false},
      {"heap, more than a page", onHeap->data(), onHeap->size(), false},
      {"read-only data", readOnlyData, sizeof readOnlyData, false},
      {"code", reinterpret_cast<const void*>(&codeFunction), 1, false},
      {"whole readable page", pages.readable(), page, false},
      {"last byte before the guard", pages.readable() + page - 1, 1, false},
      {"into the guard page", pages.readable() + page - 2, 4, true},
      {"guard page", pages.unreadable(), 1, true},
      {"unreadable, no bytes", pages.unreadable(), 0, false},
      {"unmapped page", pages.unmapped(), 8, true},
      {"range that wraps around", reinterpret_cast<const void*>(UINTPTR_MAX - 3), 8, true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsBadReadPtr(c.address, c.bytes), c.bad) << c.what;
}

TEST(MemoryProbeTest, CodePointersLieInExecutableMappings) {
  GuardedPages pages;
  int onStack = 7;
  auto onHeap = std::make_unique<int>(3);
  struct Case {
    const char* what;
    const void* address;
    bool bad;
  } cases[] = {
      {"function of this program", reinterpret_cast<const void*>(&codeFunction), false},
      {"function of the C library", reinterpret_cast<const void*>(&::getpid), false},
      {"null", nullptr, true},
      {"stack", &onStack, true},
      {"heap", onHeap.get(), true},
      {"read-only data", readOnlyData, true},
      {"guard page", pages.unreadable(), true},
      {"unmapped page", pages.unmapped(), true},
  };
  for (const Case& c : cases) EXPECT_EQ(IsBadCodePtr(c.address), c.bad) << c.what;
}

TEST(LocalMemoryTest, FixedBlocks) {
  auto* zeroed = static_cast<unsigned char*>(LocalAlloc(LPTR, 24));
  ASSERT_NE(zeroed, nullptr);
  for (int i = 0; i < 24; ++i) EXPECT_EQ(zeroed[i], 0) << i;
  EXPECT_EQ(LocalFree(zeroed), nullptr);

  void* empty = LocalAlloc(LMEM_FIXED, 0);
  EXPECT_NE(empty, nullptr);
  EXPECT_EQ(LocalFree(empty), nullptr);
  EXPECT_EQ(LocalFree(nullptr), nullptr);

  constexpr uint32_t LMEM_MOVEABLE = 0x0002;
  EXPECT_EQ(LocalAlloc(LMEM_MOVEABLE, 16), nullptr);
}

}  // namespace

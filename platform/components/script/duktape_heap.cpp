#include "platform/components/script/duktape_heap.h"

#include <duktape.h>

#include <chrono>
#include <csetjmp>
#include <cstdint>
#include <cstdlib>

// Every block carries a header that links it into the heap's list of live
// blocks, so a broken heap can be released block by block without Duktape.
struct BlockHeader {
  BlockHeader* prev;
  BlockHeader* next;
  std::size_t size;
  std::size_t pad;  // keeps the payload 16-byte aligned
};
static_assert(sizeof(BlockHeader) % 16 == 0);

struct DuktapeHeap::Allocator {
  std::size_t cap = 0;
  std::size_t used = 0;
  BlockHeader list{&list, &list, 0, 0};
  std::jmp_buf* fatalTarget = nullptr;
  bool hasDeadline = false;
  std::chrono::steady_clock::time_point deadline;

  bool pastDeadline() const { return hasDeadline && std::chrono::steady_clock::now() >= deadline; }

  void link(BlockHeader* h) {
    h->prev = list.prev;
    h->next = &list;
    list.prev->next = h;
    list.prev = h;
  }
  static void unlink(BlockHeader* h) {
    h->prev->next = h->next;
    h->next->prev = h->prev;
  }
  bool fits(std::size_t more) const { return more <= cap && used <= cap - more; }

  void releaseAll() {
    BlockHeader* h = list.next;
    while (h != &list) {
      BlockHeader* next = h->next;
      std::free(h);
      h = next;
    }
    list.prev = list.next = &list;
    used = 0;
  }
};

namespace {

using Allocator = DuktapeHeap::Allocator;

BlockHeader* headerOf(void* p) { return static_cast<BlockHeader*>(p) - 1; }

void* capAlloc(void* udata, duk_size_t size) {
  auto* a = static_cast<Allocator*>(udata);
  if (size == 0) return nullptr;
  if (size > SIZE_MAX - sizeof(BlockHeader) || !a->fits(size) || a->pastDeadline()) return nullptr;
  auto* h = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
  if (!h) return nullptr;
  h->size = size;
  a->link(h);
  a->used += size;
  return h + 1;
}

void capFree(void* udata, void* ptr) {
  if (!ptr) return;
  auto* a = static_cast<Allocator*>(udata);
  BlockHeader* h = headerOf(ptr);
  a->used -= h->size;
  Allocator::unlink(h);
  std::free(h);
}

void* capRealloc(void* udata, void* ptr, duk_size_t size) {
  auto* a = static_cast<Allocator*>(udata);
  if (!ptr) return capAlloc(udata, size);
  if (size == 0) {
    capFree(udata, ptr);
    return nullptr;
  }
  BlockHeader* h = headerOf(ptr);
  const std::size_t old = h->size;
  if (size > old && (!a->fits(size - old) || a->pastDeadline())) return nullptr;
  if (size > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
  // Unlink first: realloc may move the block and its neighbours' links.
  BlockHeader* prev = h->prev;
  BlockHeader* next = h->next;
  auto* moved = static_cast<BlockHeader*>(std::realloc(h, sizeof(BlockHeader) + size));
  if (!moved) return nullptr;  // the old block is untouched and still linked
  moved->prev = prev;
  moved->next = next;
  prev->next = moved;
  next->prev = moved;
  moved->size = size;
  a->used = a->used - old + size;
  return moved + 1;
}

// Duktape calls this for errors it cannot deliver to a protected call. It
// must not return (Duktape would abort), so it jumps back into `run`.
void fatalHandler(void* udata, const char* /*message*/) {
  auto* a = static_cast<Allocator*>(udata);
  if (a && a->fatalTarget) std::longjmp(*a->fatalTarget, 1);
  // Unreachable: Duktape is only entered through `run` and the destructor,
  // both of which set the jump target.
  std::abort();
}

}  // namespace

// Duktape's execution-timeout check (see the build's duk_config.h): asked
// periodically while script code runs; true from the deadline on.
extern "C" int kestrune_duktape_exec_timeout(void* udata) {
  auto* a = static_cast<Allocator*>(udata);
  return a && a->pastDeadline();
}

std::unique_ptr<DuktapeHeap> DuktapeHeap::create(std::size_t memoryCap) {
  std::unique_ptr<DuktapeHeap> heap(new DuktapeHeap);
  heap->allocator_ = std::make_unique<Allocator>();
  heap->allocator_->cap = memoryCap;
  heap->ctx_ = duk_create_heap(capAlloc, capRealloc, capFree, heap->allocator_.get(), fatalHandler);
  if (!heap->ctx_) return nullptr;
  return heap;
}

DuktapeHeap::~DuktapeHeap() {
  if (!ctx_) return;
  if (!broken_) {
    std::jmp_buf target;
    allocator_->fatalTarget = &target;
    if (setjmp(target) == 0) {
      duk_destroy_heap(ctx_);
      allocator_->fatalTarget = nullptr;
      return;
    }
  }
  allocator_->fatalTarget = nullptr;
  allocator_->releaseAll();
}

DuktapeHeap::RunResult DuktapeHeap::run(SafeFunction fn, void* data, int nargs) {
  if (broken_) return RunResult::Broken;
  // Nothing with a destructor lives in this frame: a fatal error jumps here.
  std::jmp_buf target;
  std::jmp_buf* outer = allocator_->fatalTarget;
  allocator_->fatalTarget = &target;
  allocator_->hasDeadline = timeLimitMs_ >= 0;
  if (allocator_->hasDeadline)
    allocator_->deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeLimitMs_);
  if (setjmp(target) != 0) {
    allocator_->fatalTarget = outer;
    timedOut_ = allocator_->pastDeadline();
    allocator_->hasDeadline = false;
    broken_ = true;
    allocator_->releaseAll();
    return RunResult::Broken;
  }
  const duk_int_t rc = duk_safe_call(ctx_, fn, data, nargs, 1);
  allocator_->fatalTarget = outer;
  timedOut_ = allocator_->pastDeadline();
  allocator_->hasDeadline = false;
  return rc == DUK_EXEC_SUCCESS ? RunResult::Success : RunResult::Thrown;
}

std::size_t DuktapeHeap::bytesInUse() const { return allocator_->used; }
std::size_t DuktapeHeap::memoryCap() const { return allocator_->cap; }

#include "platform/components/script/stack_headroom.h"

#include <pthread.h>

#include <cstdint>

namespace {

struct StackBounds {
  bool known = false;
  std::uintptr_t low = 0;  // lowest usable address; the stack grows down
};

StackBounds findStackBounds() {
  StackBounds b;
  pthread_attr_t attr;
  if (pthread_getattr_np(pthread_self(), &attr) != 0) return b;
  void* addr = nullptr;
  std::size_t size = 0;
  if (pthread_attr_getstack(&attr, &addr, &size) == 0 && addr) {
    std::size_t guard = 0;
    pthread_attr_getguardsize(&attr, &guard);
    b.known = true;
    b.low = reinterpret_cast<std::uintptr_t>(addr) + guard;
  }
  pthread_attr_destroy(&attr);
  return b;
}

void* runWork(void* arg) {
  (*static_cast<const std::function<void()>*>(arg))();
  return nullptr;
}

}  // namespace

std::size_t remainingStack() {
  thread_local const StackBounds bounds = findStackBounds();
  if (!bounds.known) return SIZE_MAX;
  char here;
  const auto pos = reinterpret_cast<std::uintptr_t>(&here);
  return pos > bounds.low ? pos - bounds.low : 0;
}

bool withStackHeadroom(const std::function<void()>& work, std::size_t headroom) {
  if (remainingStack() >= headroom) {
    work();
    return true;
  }
  pthread_attr_t attr;
  pthread_t thread;
  bool started = false;
  if (pthread_attr_init(&attr) == 0) {
    if (pthread_attr_setstacksize(&attr, headroom + (std::size_t(1) << 20)) == 0)
      started = pthread_create(&thread, &attr, runWork,
                               const_cast<std::function<void()>*>(&work)) == 0;
    pthread_attr_destroy(&attr);
  }
  if (started) pthread_join(thread, nullptr);
  return started;
}

// The heap's fatal path and memory accounting, driven through the Duktape API.
#include <duktape.h>
#include <gtest/gtest.h>

#include "platform/components/script/duktape_heap.h"

namespace {

int callFatal(duk_context* ctx, void*) {
  duk_fatal(ctx, "forced");
  return 0;
}

int pushNumber(duk_context* ctx, void*) {
  duk_push_int(ctx, 42);
  return 1;
}

}  // namespace

TEST(DuktapeHeap, FatalErrorBreaksOnlyThisHeapAndFreesItsMemory) {
  auto heap = DuktapeHeap::create();
  ASSERT_TRUE(heap);
  EXPECT_GT(heap->bytesInUse(), 0u);
  EXPECT_EQ(heap->run(callFatal, nullptr), DuktapeHeap::RunResult::Broken);
  EXPECT_TRUE(heap->broken());
  EXPECT_EQ(heap->bytesInUse(), 0u);
  EXPECT_EQ(heap->run(pushNumber, nullptr), DuktapeHeap::RunResult::Broken);

  auto other = DuktapeHeap::create();
  ASSERT_EQ(other->run(pushNumber, nullptr), DuktapeHeap::RunResult::Success);
  EXPECT_EQ(duk_get_int(other->context(), -1), 42);
  duk_pop(other->context());
}

TEST(DuktapeHeap, CapTooSmallForAnEmptyHeapGivesNoHeap) {
  EXPECT_FALSE(DuktapeHeap::create(1024));
}

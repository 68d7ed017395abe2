// Duktape recurses on the C stack while it compiles deeply nested source,
// runs regular expressions and converts nested values; its recursion limits
// keep that below about 2 MiB. Engine calls go through `withStackHeadroom`,
// which runs the work directly when the calling thread has enough stack left
// and otherwise on a short-lived thread with a stack of its own, waiting for
// it. Returns false, without running the work, only when such a thread
// could not be started.
#pragma once

#include <cstddef>
#include <functional>

inline constexpr std::size_t kScriptStackHeadroom = std::size_t(3) << 20;

// Bytes of stack left below the caller's frame on this thread; SIZE_MAX
// when the thread's stack bounds cannot be found.
std::size_t remainingStack();

[[nodiscard]] bool withStackHeadroom(const std::function<void()>& work,
                       std::size_t headroom = kScriptStackHeadroom);

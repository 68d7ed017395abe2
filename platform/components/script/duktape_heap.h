// One Duktape heap with a memory cap and a fatal-error path that never ends
// the process.
//
// Every allocation of the heap goes through a counting allocator: a request
// that would take the heap past its cap fails, which Duktape reports to the
// running script as a RangeError ("alloc failed") after a last garbage
// collection. All work on the heap goes through `run`, which executes a
// Duktape safe call; should Duktape still reach its fatal handler (an error
// outside any protected call, which `run` is built to rule out), the handler
// jumps back into `run`, the heap is marked broken, every block it had
// allocated is freed, and the heap is never touched again.
//
// With a time limit set, nothing a `run` does may outlast the limit: script
// code is stopped with a RangeError ("execution timeout") that no try/catch
// of the script can keep (Duktape rethrows it until it has left every catch
// point); a built-in function is stopped because from the deadline on the
// heap refuses every request for more memory, which unwinds anything that
// builds strings, arrays or objects; and a regular-expression match checks
// the deadline as it steps. Whatever the outcome, `timedOut` tells whether
// the run reached its deadline.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

struct duk_hthread;
typedef struct duk_hthread duk_context;

class DuktapeHeap {
 public:
  static constexpr std::size_t kDefaultMemoryCap = std::size_t(256) << 20;

  // Null when not even the empty heap fits under the cap.
  static std::unique_ptr<DuktapeHeap> create(std::size_t memoryCap = kDefaultMemoryCap);
  ~DuktapeHeap();
  DuktapeHeap(const DuktapeHeap&) = delete;
  DuktapeHeap& operator=(const DuktapeHeap&) = delete;

  // Outcome of `run`.
  enum class RunResult { Success, Thrown, Broken };

  // Runs fn as a Duktape safe call with the top `nargs` values as arguments,
  // leaving exactly one value on the stack on Success and Thrown (the
  // function's result or the error thrown), none when Broken. fn must keep
  // no object with a destructor alive across a Duktape call that can throw:
  // Duktape unwinds with longjmp.
  using SafeFunction = int (*)(duk_context* ctx, void* data);
  RunResult run(SafeFunction fn, void* data, int nargs = 0);

  // Milliseconds each `run` may execute script code; negative: no limit.
  void setTimeLimit(int32_t milliseconds) { timeLimitMs_ = milliseconds; }
  int32_t timeLimit() const { return timeLimitMs_; }
  // True when the last `run` reached the time limit before it ended.
  bool timedOut() const { return timedOut_; }

  duk_context* context() const { return ctx_; }
  bool broken() const { return broken_; }
  std::size_t bytesInUse() const;
  std::size_t memoryCap() const;

  struct Allocator;  // the counting allocator and the fatal jump target

 private:
  DuktapeHeap() = default;

  std::unique_ptr<Allocator> allocator_;
  duk_context* ctx_ = nullptr;
  bool broken_ = false;
  int32_t timeLimitMs_ = -1;
  bool timedOut_ = false;
};

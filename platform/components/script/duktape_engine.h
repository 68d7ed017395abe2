// The JavaScript engine behind the script control: one Duktape heap per
// engine with a memory cap, code added as global program code, expressions
// or statements evaluated with their completion value, and the last failure
// recorded as a ScriptFailure (numbers and descriptions: script_errors.h).
//
// `eval` runs its text as an indirect eval: in global scope, so that `var`
// declarations made through it become globals. No script can end the
// process: failures of the text, an exhausted heap, a runaway recursion or
// a too deeply nested text all fail the one call (see duktape_heap.h and
// stack_headroom.h), and so does a call running past the time limit, even
// when its time goes into a built-in function. A heap that Duktape itself
// gave up on fails every later call until `reset`.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "platform/components/script/duktape_heap.h"
#include "platform/components/script/script_value.h"

class DuktapeEngine {
 public:
  explicit DuktapeEngine(std::size_t memoryCap = DuktapeHeap::kDefaultMemoryCap);
  ~DuktapeEngine();
  DuktapeEngine(const DuktapeEngine&) = delete;
  DuktapeEngine& operator=(const DuktapeEngine&) = delete;

  // Global program code: function declarations and `var`s become globals.
  bool addCode(std::u16string_view code);
  // An expression or statements; `result` (may be null) receives the
  // completion value on success.
  bool eval(std::u16string_view code, ScriptValue* result);
  bool executeStatement(std::u16string_view code);

  // A fresh heap: every global, function and object reference is gone, and
  // so is the recorded error.
  void reset();

  // Milliseconds one call may run before it is stopped (error E_ABORT,
  // "Script execution timed out"), whatever it reached by then; negative: no
  // limit (the default).
  // Kept over `reset`.
  void setTimeout(int32_t milliseconds);
  int32_t timeout() const { return timeoutMs_; }

  // The last failure since construction, `reset` or `clearError`.
  const ScriptFailure& error() const { return error_; }
  void clearError() { error_ = ScriptFailure{}; }

  // False when the heap could not be created or was given up.
  bool usable() const;
  std::size_t bytesInUse() const;

  struct Core;  // the heap, shared with the object references it hands out

 private:
  bool run(std::u16string_view code, unsigned flags, ScriptValue* result);

  std::size_t memoryCap_;
  int32_t timeoutMs_ = -1;
  std::shared_ptr<Core> core_;
  ScriptFailure error_;
};

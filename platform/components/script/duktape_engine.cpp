#include "platform/components/script/duktape_engine.h"

#include <duktape.h>

#include <climits>
#include <cmath>
#include <string>

#include "platform/components/script/cesu8.h"
#include "platform/components/script/script_errors.h"
#include "platform/components/script/stack_headroom.h"

struct DuktapeEngine::Core {
  std::unique_ptr<DuktapeHeap> heap;
  duk_uarridx_t nextObjectId = 0;

  bool usable() const { return heap && !heap->broken(); }
};

namespace {

using RunResult = DuktapeHeap::RunResult;

// ---- safe-call bodies (no C++ object lives across a throwing call) ----

struct CompileJob {
  const char* source;
  duk_size_t length;
  duk_uint_t flags;
  bool compiled;
};

duk_ret_t compileAndCall(duk_context* ctx, void* data) {
  auto* job = static_cast<CompileJob*>(data);
  duk_push_string(ctx, "code");
  duk_compile_lstring_filename(ctx, job->flags, job->source, job->length);
  job->compiled = true;
  duk_call(ctx, 0);
  return 1;
}

// Facts about the thrown value at index 0. The strings stay reachable from
// the array this returns, so the pointers are valid until it is popped.
struct ThrownScratch {
  bool isError = false;
  const char* name = nullptr;
  duk_size_t nameLength = 0;
  const char* message = nullptr;
  duk_size_t messageLength = 0;
  double line = 0;
  bool hasNumber = false;
  double number = 0;
};

duk_ret_t inspectThrown(duk_context* ctx, void* data) {
  auto* s = static_cast<ThrownScratch*>(data);
  duk_push_array(ctx);  // index 1
  if (!duk_is_object(ctx, 0) || !duk_is_error(ctx, 0)) return 1;
  s->isError = true;
  duk_get_prop_string(ctx, 0, "name");
  s->name = duk_safe_to_lstring(ctx, -1, &s->nameLength);
  duk_put_prop_index(ctx, 1, 0);
  duk_get_prop_string(ctx, 0, "message");
  s->message = duk_safe_to_lstring(ctx, -1, &s->messageLength);
  duk_put_prop_index(ctx, 1, 1);
  duk_get_prop_string(ctx, 0, "lineNumber");
  s->line = duk_get_number_default(ctx, -1, 0);
  duk_pop(ctx);
  duk_get_prop_string(ctx, 0, "number");
  s->hasNumber = duk_is_number(ctx, -1);
  s->number = duk_get_number_default(ctx, -1, 0);
  duk_pop(ctx);
  return 1;
}

duk_ret_t stashValue(duk_context* ctx, void* data) {
  duk_push_heap_stash(ctx);
  duk_dup(ctx, 0);
  duk_put_prop_index(ctx, -2, *static_cast<duk_uarridx_t*>(data));
  return 0;
}

duk_ret_t stashedToString(duk_context* ctx, void* data) {
  duk_push_heap_stash(ctx);
  duk_get_prop_index(ctx, -1, *static_cast<duk_uarridx_t*>(data));
  duk_to_string(ctx, -1);
  return 1;
}

duk_ret_t unstash(duk_context* ctx, void* data) {
  duk_push_heap_stash(ctx);
  duk_del_prop_index(ctx, -1, *static_cast<duk_uarridx_t*>(data));
  return 0;
}

// ---- conversions ----

bool isInt32(double d) {
  return std::isfinite(d) && d == std::trunc(d) && d >= INT32_MIN && d <= INT32_MAX &&
         !(d == 0 && std::signbit(d));
}

std::u16string topString(duk_context* ctx) {
  duk_size_t length = 0;
  const char* bytes = duk_get_lstring(ctx, -1, &length);
  return bytes ? cesu8ToUtf16(std::string_view(bytes, length)) : std::u16string();
}

// Line `line` (1-based) of the code, without its line break.
std::u16string sourceLine(std::u16string_view code, int32_t line) {
  if (line <= 0) return {};
  size_t start = 0;
  for (int32_t i = 1; i < line; ++i) {
    const size_t nl = code.find(u'\n', start);
    if (nl == std::u16string_view::npos) return {};
    start = nl + 1;
  }
  size_t end = code.find(u'\n', start);
  if (end == std::u16string_view::npos) end = code.size();
  if (end > start && code[end - 1] == u'\r') --end;
  return std::u16string(code.substr(start, end - start));
}

}  // namespace

// A script object held in the heap stash under its id.
class DuktapeObject : public ScriptObject {
 public:
  DuktapeObject(std::weak_ptr<DuktapeEngine::Core> core, duk_uarridx_t id)
      : core_(std::move(core)), id_(id) {}
  ~DuktapeObject() override {
    if (auto core = core_.lock(); core && core->usable()) {
      if (core->heap->run(unstash, &id_) != RunResult::Broken) duk_pop(core->heap->context());
    }
  }
  std::u16string defaultText() override {
    std::u16string text;
    auto core = core_.lock();
    if (!core || !core->usable()) return text;
    bool ran = withStackHeadroom([&] {
      DuktapeHeap& heap = *core->heap;
      const RunResult r = heap.run(stashedToString, &id_);
      if (r == RunResult::Broken) return;
      if (r == RunResult::Success && !heap.timedOut()) text = topString(heap.context());
      duk_pop(heap.context());
    });
    (void)ran;
    return text;
  }

 private:
  std::weak_ptr<DuktapeEngine::Core> core_;
  duk_uarridx_t id_;
};

DuktapeEngine::DuktapeEngine(std::size_t memoryCap) : memoryCap_(memoryCap) { reset(); }

DuktapeEngine::~DuktapeEngine() = default;

void DuktapeEngine::reset() {
  core_ = std::make_shared<Core>();
  core_->heap = DuktapeHeap::create(memoryCap_);
  if (core_->heap) core_->heap->setTimeLimit(timeoutMs_);
  error_ = ScriptFailure{};
}

void DuktapeEngine::setTimeout(int32_t milliseconds) {
  timeoutMs_ = milliseconds < 0 ? -1 : milliseconds;
  if (core_->heap) core_->heap->setTimeLimit(timeoutMs_);
}

bool DuktapeEngine::usable() const { return core_->usable(); }

std::size_t DuktapeEngine::bytesInUse() const {
  return core_->heap ? core_->heap->bytesInUse() : 0;
}

bool DuktapeEngine::addCode(std::u16string_view code) { return run(code, 0, nullptr); }

bool DuktapeEngine::eval(std::u16string_view code, ScriptValue* result) {
  return run(code, DUK_COMPILE_EVAL, result);
}

bool DuktapeEngine::executeStatement(std::u16string_view code) {
  return run(code, DUK_COMPILE_EVAL, nullptr);
}

bool DuktapeEngine::run(std::u16string_view code, unsigned flags, ScriptValue* result) {
  if (!usable()) {
    error_ = outOfMemoryError();
    return false;
  }
  const std::string source = utf16ToCesu8(code);
  bool ok = false;
  const bool ran = withStackHeadroom([&] {
    Core& core = *core_;
    DuktapeHeap& heap = *core.heap;
    duk_context* ctx = heap.context();
    CompileJob job{source.data(), source.size(), flags, false};
    const RunResult r = heap.run(compileAndCall, &job);
    if (heap.timedOut()) {  // whatever the code did after its deadline
      if (r != RunResult::Broken) duk_pop(ctx);
      error_ = timedOutError();
      return;
    }
    if (r == RunResult::Broken) {
      error_ = outOfMemoryError();
      return;
    }
    if (r == RunResult::Thrown) {
      ThrownScratch scratch;
      const RunResult inspected = heap.run(inspectThrown, &scratch, 1);
      if (inspected == RunResult::Broken) {
        error_ = outOfMemoryError();
        return;
      }
      ThrownValueFacts facts;
      facts.atCompile = !job.compiled;
      if (inspected == RunResult::Success && scratch.isError) {
        facts.isErrorObject = true;
        if (scratch.name) facts.name.assign(scratch.name, scratch.nameLength);
        if (scratch.message) facts.message.assign(scratch.message, scratch.messageLength);
        facts.line = isInt32(scratch.line) ? static_cast<int32_t>(scratch.line) : 0;
        facts.hasNumber = scratch.hasNumber;
        facts.number = scratch.number;
      }
      duk_pop(ctx);
      error_ = describeThrownValue(facts);
      if (facts.atCompile) error_.text = sourceLine(code, error_.line);
      return;
    }
    ok = true;
    if (!result) {
      duk_pop(ctx);
      return;
    }
    ScriptValue v;
    switch (duk_get_type(ctx, -1)) {
      case DUK_TYPE_NONE:
      case DUK_TYPE_UNDEFINED:
        break;
      case DUK_TYPE_NULL:
        v = ScriptValue::null();
        break;
      case DUK_TYPE_BOOLEAN:
        v = ScriptValue::fromBool(duk_get_boolean(ctx, -1));
        break;
      case DUK_TYPE_NUMBER: {
        const double d = duk_get_number(ctx, -1);
        v = isInt32(d) ? ScriptValue::fromInt(static_cast<int32_t>(d)) : ScriptValue::fromDouble(d);
        break;
      }
      case DUK_TYPE_STRING:
        v = ScriptValue::fromText(topString(ctx));
        break;
      default: {  // objects, functions, buffers, pointers
        duk_uarridx_t id = core.nextObjectId++;
        const RunResult stashed = heap.run(stashValue, &id, 1);
        if (stashed == RunResult::Broken) {
          error_ = outOfMemoryError();
          ok = false;
          return;
        }
        if (stashed == RunResult::Thrown) {
          duk_pop(ctx);
          error_ = outOfMemoryError();
          ok = false;
          return;
        }
        v.kind = ScriptValue::Kind::Object;
        v.object = std::make_shared<DuktapeObject>(core_, id);
        break;
      }
    }
    duk_pop(ctx);
    *result = std::move(v);
  });
  if (!ran) {
    error_ = outOfStackError();
    return false;
  }
  return ok;
}

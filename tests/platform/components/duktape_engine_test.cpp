#include "platform/components/script/duktape_engine.h"

#include <gtest/gtest.h>
#include <pthread.h>

#include <functional>
#include <string>

#include "platform/components/script/stack_headroom.h"

namespace {

ScriptValue evalOk(DuktapeEngine& e, std::u16string_view code) {
  ScriptValue v;
  EXPECT_TRUE(e.eval(code, &v)) << std::string(code.begin(), code.end());
  return v;
}

std::u16string nested(const char16_t* open, const char16_t* close, int depth) {
  std::u16string s;
  for (int i = 0; i < depth; ++i) s += open;
  s += u"1";
  for (int i = 0; i < depth; ++i) s += close;
  return s;
}

}  // namespace

TEST(DuktapeEngineValues, NumbersStringsAndSpecialValues) {
  DuktapeEngine e;
  ScriptValue v = evalOk(e, u"40 + 2");
  EXPECT_EQ(v.kind, ScriptValue::Kind::Int32);
  EXPECT_EQ(v.int32, 42);
  v = evalOk(e, u"25.14");
  EXPECT_EQ(v.kind, ScriptValue::Kind::Double);
  EXPECT_DOUBLE_EQ(v.number, 25.14);
  EXPECT_EQ(evalOk(e, u"2147483648").kind, ScriptValue::Kind::Double);
  EXPECT_EQ(evalOk(e, u"-2147483648").kind, ScriptValue::Kind::Int32);
  EXPECT_EQ(evalOk(e, u"-0").kind, ScriptValue::Kind::Double);
  EXPECT_EQ(evalOk(e, u"0/0").kind, ScriptValue::Kind::Double);
  EXPECT_EQ(evalOk(e, u"undefined").kind, ScriptValue::Kind::Undefined);
  EXPECT_EQ(evalOk(e, u"null").kind, ScriptValue::Kind::Null);
  v = evalOk(e, u"1 < 2");
  EXPECT_EQ(v.kind, ScriptValue::Kind::Boolean);
  EXPECT_TRUE(v.boolean);

  // Text crosses as UTF-16 units: CJK, U+2400, a surrogate pair, a lone
  // surrogate and an embedded NUL all survive both ways.
  v = evalOk(e, u"'价格\\u2400\\uD83D\\uDE00\\uD800x\\u0000y'");
  ASSERT_EQ(v.kind, ScriptValue::Kind::String);
  EXPECT_EQ(v.text, std::u16string(u"价格\u2400\U0001F600") + char16_t(0xD800) + u"x" + char16_t(0) + u"y");
  EXPECT_EQ(evalOk(e, u"'\U0001F600'.length").int32, 2);
}

TEST(DuktapeEngineValues, ObjectsAreReferencesWithTheirStringForm) {
  DuktapeEngine e;
  ScriptValue v = evalOk(e, u"[1, 'a', [2, 3]]");
  ASSERT_EQ(v.kind, ScriptValue::Kind::Object);
  EXPECT_EQ(v.object->defaultText(), u"1,a,2,3");
  EXPECT_EQ(evalOk(e, u"({})").object->defaultText(), u"[object Object]");
  EXPECT_EQ(evalOk(e, u"({toString: function () { throw 1 }})").object->defaultText(), u"");

  // The engine keeps the object alive for the reference, also across calls
  // that collect garbage, and forgets it on reset.
  ScriptValue held = evalOk(e, u"(function () { var o = {toString: function () { return 'kept' }}; return o })()");
  evalOk(e, u"for (var i = 0; i < 10000; i++) { [i, i] }; 0");
  EXPECT_EQ(held.object->defaultText(), u"kept");
  e.reset();
  EXPECT_EQ(held.object->defaultText(), u"");
}

TEST(DuktapeEngineScope, EvalVarsAndAddCodeAreGlobal) {
  DuktapeEngine e;
  ASSERT_TRUE(e.eval(u"var da = {}, str_Code = String.fromCharCode(9216)", nullptr));
  EXPECT_EQ(evalOk(e, u"typeof da").text, u"object");
  EXPECT_EQ(evalOk(e, u"str_Code").text, u"\u2400");
  ASSERT_TRUE(e.addCode(u"function twice(x) { return x * 2 }\r\nvar base = 20;"));
  EXPECT_EQ(evalOk(e, u"twice(base) + 2").int32, 42);
  // Statements give their completion value.
  EXPECT_EQ(evalOk(e, u"if (base > 1) { 'big' } else { 'small' }").text, u"big");
  EXPECT_EQ(evalOk(e, u"var n = 0; for (var i = 0; i < 5; i++) n += i; n").int32, 10);
  EXPECT_TRUE(e.executeStatement(u"base = 7"));
  EXPECT_EQ(evalOk(e, u"base").int32, 7);
  e.reset();
  EXPECT_FALSE(e.eval(u"base", nullptr));
}

TEST(DuktapeEngineErrors, CompilationErrorsCarryLineAndText) {
  DuktapeEngine e;
  EXPECT_FALSE(e.addCode(u"var a = 1;\r\nvar b = ;\r\nvar c = 3;"));
  EXPECT_EQ(e.error().number, 1002);
  EXPECT_EQ(e.error().description, u"Syntax error");
  EXPECT_EQ(e.error().source, u"Microsoft JScript compilation error");
  EXPECT_EQ(e.error().line, 2);
  EXPECT_EQ(e.error().text, u"var b = ;");
  // Nothing of the failed text ran.
  EXPECT_FALSE(e.eval(u"a", nullptr));

  EXPECT_FALSE(e.eval(u"'abc", nullptr));
  EXPECT_EQ(e.error().number, 1015);
  EXPECT_EQ(e.error().description, u"Unterminated string constant");
}

TEST(DuktapeEngineErrors, RuntimeErrorsInTheEnginesStyle) {
  DuktapeEngine e;
  struct Case {
    const char16_t* code;
    int32_t number;
    const char16_t* description;
  } cases[] = {
      {u"missing + 1", 5009, u"'missing' is undefined"},
      {u"null.x", 5007, u"Unable to get property 'x' of undefined or null reference"},
      {u"var u; u.y = 2", 5007, u"Unable to set property 'y' of undefined or null reference"},
      {u"undefined()", 5002, u"Function expected"},
      {u"new Array(-1)", 5029, u"Array length must be a finite positive integer"},
      {u"decodeURIComponent('%')", 5025, u"The URI to be decoded is not a valid encoding"},
      {u"new RegExp('[b-a]')", 5017, u"Syntax error in regular expression"},
      {u"JSON.parse('{')", 1014, u"Invalid character"},
      {u"throw 'abc'", 5022, u"Exception thrown and not caught"},
      {u"throw new Error('boom')", 5022, u"boom"},
      {u"var err = new Error('coded'); err.number = 0x800A1391 | 0; throw err", 5009, u"coded"},
      {u"1 = 2", 5008, u"Illegal assignment"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.code, c.code + std::char_traits<char16_t>::length(c.code)));
    EXPECT_FALSE(e.eval(c.code, nullptr));
    EXPECT_EQ(e.error().number, c.number);
    EXPECT_EQ(e.error().description, c.description);
  }
  EXPECT_FALSE(e.eval(u"\r\nnull.x", nullptr));
  EXPECT_EQ(e.error().source, u"Microsoft JScript runtime error");
  EXPECT_EQ(e.error().line, 2);
  EXPECT_EQ(e.error().text, u"");
}

TEST(DuktapeEngineErrors, ErrorStaysUntilClearedOrReset) {
  DuktapeEngine e;
  EXPECT_FALSE(e.eval(u"missing", nullptr));
  EXPECT_TRUE(e.eval(u"1", nullptr));
  EXPECT_EQ(e.error().number, 5009);
  e.clearError();
  EXPECT_EQ(e.error().number, 0);
  EXPECT_FALSE(e.eval(u"missing", nullptr));
  e.reset();
  EXPECT_EQ(e.error().number, 0);
}

TEST(DuktapeEngineLimits, DeeplyNestedTextFailsCleanly) {
  for (auto [open, close] : {std::pair{u"[", u"]"}, std::pair{u"{\"a\":", u"}"}, std::pair{u"(", u")"}}) {
    DuktapeEngine e;
    EXPECT_FALSE(e.eval(u"var da = eval(" + nested(open, close, 100000) + u")", nullptr));
    EXPECT_EQ(e.error().number, 28);
    EXPECT_EQ(evalOk(e, u"1 + 1").int32, 2);  // the same engine goes on
  }
  DuktapeEngine e;
  // Nesting within the limits still works, also through the C-recursive
  // built-ins, which fail rather than overflow beyond their own limits.
  EXPECT_EQ(evalOk(e, u"var d = " + nested(u"[", u"]", 500) + u"; JSON.stringify(d).length").int32, 1001);
  // Whatever nesting compiles also serialises and parses back.
  for (auto [open, close] : {std::pair{u"[", u"]"}, std::pair{u"{\"a\":", u"}"}}) {
    for (int depth : {1000, 2000, 2490}) {
      DuktapeEngine deep;
      ASSERT_TRUE(deep.eval(u"var da = eval(" + nested(open, close, depth) + u")", nullptr)) << depth;
      EXPECT_EQ(evalOk(deep, u"JSON.stringify(JSON.parse(JSON.stringify(da))) === JSON.stringify(da)").boolean, true)
          << depth;
      EXPECT_GT(evalOk(deep, u"JSON.stringify(da).length").int32, 2 * depth) << depth;
    }
  }
  EXPECT_FALSE(e.eval(u"var a = []; for (var i = 0; i < 100000; i++) a = [a]; String(a)", nullptr));
  EXPECT_EQ(e.error().number, 28);
  EXPECT_FALSE(e.eval(u"var o = {}; for (var i = 0; i < 100000; i++) o = {a: o}; JSON.stringify(o)", nullptr));
  EXPECT_EQ(e.error().number, 28);
}

TEST(DuktapeEngineLimits, RunawayRecursionFailsCleanly) {
  DuktapeEngine e;
  EXPECT_FALSE(e.eval(u"function f(n) { return 1 + f(n + 1) } f(0)", nullptr));
  EXPECT_EQ(e.error().number, 28);
  EXPECT_EQ(e.error().description, u"Out of stack space");
  EXPECT_EQ(evalOk(e, u"f.length").int32, 1);
}

TEST(DuktapeEngineLimits, ExhaustedMemoryFailsTheCallNotTheProgram) {
  DuktapeEngine e(std::size_t(32) << 20);
  EXPECT_FALSE(e.eval(u"var s = 'x'; for (;;) s = s + s", nullptr));
  EXPECT_EQ(e.error().number, 7);
  EXPECT_EQ(e.error().description, u"Out of memory");
  EXPECT_LE(e.bytesInUse(), std::size_t(32) << 20);
  // Releasing the string gives the memory back to this engine.
  EXPECT_TRUE(e.eval(u"s = null", nullptr));
  EXPECT_EQ(evalOk(e, u"new Array(1000).join('ab').length").int32, 1998);

  DuktapeEngine fresh(std::size_t(32) << 20);
  EXPECT_FALSE(fresh.eval(u"var a = []; for (;;) a.push({v: a.length})", nullptr));
  EXPECT_EQ(fresh.error().number, 7);
  DuktapeEngine next;
  EXPECT_EQ(evalOk(next, u"'ok'").text, u"ok");
}

namespace {

void* runOnSmallStack(void* arg) {
  (*static_cast<std::function<void()>*>(arg))();
  return nullptr;
}

void onThreadWithStack(std::size_t bytes, std::function<void()> work) {
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, bytes);
  pthread_t t;
  ASSERT_EQ(pthread_create(&t, &attr, runOnSmallStack, &work), 0);
  pthread_join(t, nullptr);
  pthread_attr_destroy(&attr);
}

}  // namespace

TEST(DuktapeEngineLimits, SmallCallerStackStillGetsTheEnginesLimits) {
  std::size_t remaining = 0;
  int32_t number = 0;
  bool nestedOk = true;
  int32_t deepLength = 0;
  onThreadWithStack(256 << 10, [&] {
    remaining = remainingStack();
    DuktapeEngine e;
    nestedOk = e.eval(u"var da = eval(" + nested(u"[", u"]", 100000) + u")", nullptr);
    number = e.error().number;
    // The deepest text the compiler takes, serialised and parsed back.
    ScriptValue v;
    if (e.eval(u"var d = eval(" + nested(u"{\"a\":", u"}", 2490) + u"); JSON.stringify(JSON.parse(JSON.stringify(d))).length", &v))
      deepLength = v.int32;
  });
  EXPECT_LT(remaining, kScriptStackHeadroom);
  EXPECT_FALSE(nestedOk);
  EXPECT_EQ(number, 28);
  EXPECT_EQ(deepLength, 2490 * 6 + 1);
}

// Work done inside built-in functions is stopped at the limit too: the
// built-in call never completes, so `finished` stays false. Without the
// limit each of these runs for seconds and sets it.
TEST(DuktapeEngineLimits, TheTimeLimitHoldsInsideBuiltInFunctions) {
  const char16_t* scripts[] = {
      u"var da = ({a: new Array(3e6).join('x')}); finished = true",
      u"'ab'.repeat(5e6).split('').reverse().join(''); finished = true",
      u"'abc'.repeat(5e6).replace(/b/g, 'xy'); finished = true",
      u"/(?:a+)+b/.test('aaaaaaaaaaaaaaaaaaaaaaaa'); finished = true",  // backtracks, allocates nothing
      u"var o = [1]; for (var i = 0; i < 22; i++) o = [o, o]; JSON.stringify(o); finished = true",
      u"JSON.parse('[' + '\"ab\",'.repeat(2e6) + '1]'); finished = true",
      u"try { new Array(3e6).join('x'); finished = true } catch (e) {} 'caught, and went on'",
  };
  DuktapeEngine e;
  e.setTimeout(100);
  for (const char16_t* script : scripts) {
    SCOPED_TRACE(std::string(script, script + std::u16string_view(script).size()));
    ASSERT_TRUE(e.eval(u"var finished = false", nullptr));
    EXPECT_FALSE(e.eval(script, nullptr));
    EXPECT_EQ(e.error().number, static_cast<int32_t>(0x80004004u));
    EXPECT_EQ(e.error().description, u"Script execution timed out");
    EXPECT_FALSE(evalOk(e, u"finished").boolean);
    EXPECT_EQ(evalOk(e, u"1 + 1").int32, 2);  // the engine goes on
  }
  // The global code of AddCode, as the JSON document runs a text it parses.
  EXPECT_FALSE(e.addCode(u"var da = eval({\"data\": {\"V\": new Array(3e6).join('25.14')}})"));
  EXPECT_EQ(e.error().description, u"Script execution timed out");
  EXPECT_EQ(evalOk(e, u"typeof da").text, u"undefined");
}

TEST(DuktapeEngineLimits, ScriptsStopAtTheTimeLimitAndCannotCatchIt) {
  DuktapeEngine e;
  EXPECT_EQ(e.timeout(), -1);
  e.setTimeout(50);
  EXPECT_FALSE(e.eval(u"for (;;) {}", nullptr));
  EXPECT_EQ(e.error().number, static_cast<int32_t>(0x80004004u));
  EXPECT_EQ(e.error().description, u"Script execution timed out");
  EXPECT_FALSE(e.eval(u"var caught = 0; for (;;) { try { for (;;) {} } catch (x) { caught++ } }", nullptr));
  EXPECT_EQ(e.error().description, u"Script execution timed out");
  // Also through an object's string form, and the limit survives reset.
  ScriptValue v;
  ASSERT_TRUE(e.eval(u"({toString: function () { for (;;) {} }})", &v));
  EXPECT_EQ(v.object->defaultText(), u"");
  e.reset();
  EXPECT_EQ(e.timeout(), 50);
  EXPECT_EQ(evalOk(e, u"var n = 0; for (var i = 0; i < 1000; i++) n += i; n").int32, 499500);
}

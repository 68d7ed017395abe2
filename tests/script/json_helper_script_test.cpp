// The helper script in a Duktape engine: the helper functions, and the JSON
// polyfill both where the engine has JSON (it must stay inert) and in an
// engine whose JSON support was removed first (it must do the work).
#include "script/json_helper_script.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/components/script/duktape_engine.h"

namespace {

std::u16string ascii(std::string_view s) { return std::u16string(s.begin(), s.end()); }

std::u16string text(DuktapeEngine& e, std::u16string_view code) {
  ScriptValue v;
  EXPECT_TRUE(e.eval(code, &v)) << std::string(code.begin(), code.end()) << " -> "
                                << std::string(e.error().description.begin(), e.error().description.end());
  if (v.kind == ScriptValue::Kind::String) return v.text;
  if (v.kind == ScriptValue::Kind::Int32) return ascii(std::to_string(v.int32));
  if (v.kind == ScriptValue::Kind::Boolean) return v.boolean ? u"true" : u"false";
  if (v.kind == ScriptValue::Kind::Object) return v.object->defaultText();
  return u"<other>";
}

void loadHelpers(DuktapeEngine& e) {
  ASSERT_TRUE(e.addCode(ascii(HELPER_SCRIPT)));
  ASSERT_TRUE(e.eval(u"var str_all = new Array()", nullptr));
}

}  // namespace

TEST(HelperScript, IsOneLineStartingWithTheHelpersAndThenThePolyfill) {
  const std::string script = HELPER_SCRIPT;
  EXPECT_EQ(script.find('\n'), std::string::npos);
  EXPECT_EQ(std::string(HELPER_FUNCTIONS).size(), 1143u);
  EXPECT_EQ(script.rfind(HELPER_FUNCTIONS, 0), 0u);
  EXPECT_EQ(script.substr(1143, 35), "if(typeof JSON!=='object'){JSON={}}");
}

TEST(HelperScript, HelperFunctionsOnTheEnginesOwnJson) {
  DuktapeEngine e;
  loadHelpers(e);
  for (const char16_t* name : {u"get__nodeValue", u"get__count", u"get__name_All", u"get__extend"})
    EXPECT_EQ(text(e, u"typeof " + std::u16string(name)), u"function") << std::u16string(name).size();
  // Native JSON is left alone; the members the engine lacks are added.
  EXPECT_NE(text(e, u"String(JSON.stringify)").find(u"native"), std::u16string::npos);
  EXPECT_EQ(text(e, u"typeof Object.prototype.toJSONString"), u"function");
  EXPECT_EQ(text(e, u"({a: [1, 'x']}).toJSONString()"), u"{\"a\":[1,\"x\"]}");
  EXPECT_EQ(text(e, u"'{\"v\":2}'.parseJSON().v"), u"2");

  // Enumeration sees the added prototype members, get__name_All does not.
  EXPECT_EQ(text(e, u"var n = 0; for (var k in {}) n++; n"), u"2");
  EXPECT_EQ(text(e, u"get__name_All({data: 1, C: 'x', f: function () {}, o: {}})"), u"data\r\nC\r\no");
  EXPECT_EQ(text(e, u"get__name_All([1, 2])"), u"");
  EXPECT_EQ(text(e, u"get__name_All('abc')"), u"");

  EXPECT_EQ(text(e, u"get__count([1, 2, 3])"), u"3");
  EXPECT_EQ(text(e, u"get__count({a: 1})"), u"0");

  EXPECT_EQ(text(e, u"get__nodeValue({a: 'x', b: {c: 2, d: [true, 'y']}, e: null}, false).join('|')"), u"x");
  EXPECT_EQ(text(e, u"str_all = new Array(); get__nodeValue({a: 'x', b: {c: 2, d: [true, 'y']}}, true).join('|')"),
            u"x|2|true|y");

  EXPECT_EQ(text(e, u"JSON.stringify(get__extend({a: 'old', n: {x: 1}, k: true}, {a: 'new', n: {y: 2}, z: 3}))"),
            u"{\"a\":\"new\",\"n\":{\"x\":1,\"y\":2},\"k\":true,\"z\":3}");
  EXPECT_EQ(text(e, u"JSON.stringify(get__extend([1], [2, 3]))"), u"[1,2,3]");
}

TEST(HelperScript, PolyfillDoesTheWorkWhereJsonIsMissing) {
  DuktapeEngine native;
  DuktapeEngine bare;
  ASSERT_TRUE(bare.eval(u"delete JSON; delete Date.prototype.toJSON; typeof JSON == 'undefined'", nullptr));
  loadHelpers(native);
  loadHelpers(bare);
  EXPECT_EQ(text(bare, u"String(JSON.stringify).indexOf('native')"), u"-1");

  // Same output as the engine's own JSON.stringify.
  for (const char16_t* value : {
           u"{a: [1, 2.5, -0, 1e21, 'x'], b: null, c: true, d: undefined, e: function () {}}",
           u"['q\"uote', 'back\\\\slash', 'ctl\\u0001\\b\\t\\n\\f\\r', 'cjk 价格', [], {}]",
           u"[new Number(3), new String('s'), new Boolean(false), NaN, Infinity, undefined]",
           u"{nested: {deeper: {deepest: [1, [2, [3]]]}}, 'key with space': 'v'}",
           u"'plain'",
           u"42",
       }) {
    const std::u16string v(value);
    SCOPED_TRACE(std::string(v.begin(), v.end()));
    EXPECT_EQ(text(bare, u"JSON.stringify(" + v + u")"), text(native, u"JSON.stringify(" + v + u")"));
    EXPECT_EQ(text(bare, u"JSON.stringify(" + v + u", null, 2)"), text(native, u"JSON.stringify(" + v + u", null, 2)"));
    EXPECT_EQ(text(bare, u"JSON.stringify(" + v + u", null, '\\t')"), text(native, u"JSON.stringify(" + v + u", null, '\\t')"));
  }
  EXPECT_EQ(text(bare, u"JSON.stringify({a: 1, b: 2, c: {a: 3, d: 4}}, ['a', 'c'])"), u"{\"a\":1,\"c\":{\"a\":3}}");
  EXPECT_EQ(text(bare, u"JSON.stringify({a: 1, b: 'x'}, function (k, v) { return typeof v == 'number' ? v * 2 : v })"),
            u"{\"a\":2,\"b\":\"x\"}");
  // U+2400 stays as it is; the invisible characters are escaped.
  EXPECT_EQ(text(bare, u"JSON.stringify('a\\u2400b\\u2028c\\u200bd\\ufeff')"), u"\"a\u2400b\\u2028c\\u200bd\\ufeff\"");
  EXPECT_EQ(text(bare, u"JSON.stringify(new Date(Date.UTC(2020, 6, 20, 20, 0, 5)))"), u"\"2020-07-20T20:00:05Z\"");
  EXPECT_EQ(text(bare, u"JSON.stringify({d: new Date(NaN)})"), u"{\"d\":null}");
  EXPECT_EQ(text(bare, u"var cyc = {}; cyc.self = cyc; try { JSON.stringify(cyc) } catch (e) { e.name }"), u"TypeError");
}

TEST(HelperScript, PolyfillParseValidatesThenEvaluates) {
  DuktapeEngine bare;
  ASSERT_TRUE(bare.eval(u"delete JSON", nullptr));
  loadHelpers(bare);
  EXPECT_EQ(text(bare, u"JSON.stringify(JSON.parse(' {\"data\": {\"V\": \"25.14\", \"n\": [1, -2.5e3, true, null]}} '))"),
            u"{\"data\":{\"V\":\"25.14\",\"n\":[1,-2500,true,null]}}");
  EXPECT_EQ(text(bare, u"JSON.parse('\"a\\\\u2028b\\\\n\"')"), u"a\u2028b\n");
  EXPECT_EQ(text(bare, u"JSON.parse('\"a\\u2028b\"')"), u"a\u2028b");
  EXPECT_EQ(text(bare, u"JSON.stringify(JSON.parse('{\"a\":1,\"b\":[2,3]}', function (k, v) { return k == 'a' ? undefined : v }))"),
            u"{\"b\":[2,3]}");
  // Anything beyond JSON tokens is refused before evaluation.
  for (const char16_t* bad : {u"alert(1)", u"{\"a\": x}", u"\\'single\\'", u"", u"   ", u"{\"a\":1}; pwned = 1",
                              u"\"unterminated", u"[1, 2] + 1", u"0x10"}) {
    const std::u16string b(bad);
    SCOPED_TRACE(std::string(b.begin(), b.end()));
    EXPECT_EQ(text(bare, u"try { JSON.parse(" + std::u16string(u"'") + b + u"'); 'parsed' } catch (e) { e.name }"),
              u"SyntaxError");
  }
  EXPECT_EQ(text(bare, u"typeof pwned"), u"undefined");
}

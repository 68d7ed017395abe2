#include "script/json_document.h"

#include <gtest/gtest.h>

#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/text/codepage.h"
#include "platform/text/gbk.h"
#include "tests/support/wine.h"

namespace {

// True when the text is made of GBK characters only, so that it survives
// the conversion to UTF-16 and back.
bool multiByteToUtf16Roundtrips(const Text& text) {
  return utf16ToMultiByte(multiByteToUtf16(text, CP_ACP), CP_ACP) == text;
}

const Text kNotice = R"({"data":{"V":"25.14","C":"欢迎使用","W":"https://example.invalid/"}})"_gbk;

JsonDocument parsed(const Text& text) {
  JsonDocument doc;
  EXPECT_TRUE(doc.parse(text));
  return doc;
}

}  // namespace

TEST(JsonDocumentRead, NoticeMembersAsText) {
  JsonDocument doc;
  ASSERT_TRUE(doc.parse(kNotice));
  EXPECT_EQ(doc.getText("data.V"), "25.14");
  EXPECT_EQ(doc.getText("data.C"), "欢迎使用"_gbk);
  EXPECT_EQ(doc.getText("data.W"), "https://example.invalid/");
  // The number 25.14 reads the same through toString.
  ASSERT_TRUE(doc.parse(R"({"data":{"V":25.14}})"));
  EXPECT_EQ(doc.getText("data.V"), "25.14");
  EXPECT_EQ(doc.getNumber("data.V"), 25.14);
  // Missing members and a missing root member give empty text.
  EXPECT_EQ(doc.getText("data.X"), "");
  ASSERT_TRUE(doc.parse(R"({"other":1})"));
  EXPECT_EQ(doc.getText("data.V"), "");
  EXPECT_EQ(doc.getText(""), "[object Object]");
  EXPECT_EQ(doc.getText("", true), R"({"other":1})");
  // As a literal source text.
  ASSERT_TRUE(doc.parse(R"({"data":{"V":"x"}})", true));
  EXPECT_EQ(doc.getText("data.V"), "x");
}

TEST(JsonDocumentRead, ResolvePathRewritesIntoRootExpressions) {
  JsonDocument doc = parsed(R"({"data":{"V":"25.14"},"list":[1,2]})");
  Text p = "data.V";
  EXPECT_TRUE(doc.resolvePath(p));
  EXPECT_EQ(p, "da.data.V");
  p = "";
  EXPECT_TRUE(doc.resolvePath(p));
  EXPECT_EQ(p, "da");
  p = "da.data";
  EXPECT_TRUE(doc.resolvePath(p));
  EXPECT_EQ(p, "da.data");
  p = "date";
  EXPECT_FALSE(doc.resolvePath(p));
  EXPECT_EQ(p, "da.date");
  p = "[0]";
  EXPECT_FALSE(doc.resolvePath(p));
  EXPECT_EQ(p, "da[0]");
  EXPECT_TRUE(doc.exists("list[1]"));
  EXPECT_FALSE(doc.exists("list[2]"));
  EXPECT_FALSE(doc.exists("data.V.x.y"));
}

TEST(JsonDocumentRead, TypeCodesKeysAndCounts) {
  JsonDocument doc = parsed(R"({"s":"t","n":2.5,"b":false,"z":null,"a":[1,2,3],"o":{"k1":1,"k2":{}}})");
  EXPECT_EQ(doc.typeOf("missing"), 0);
  EXPECT_EQ(doc.typeOf("z"), 0);
  EXPECT_EQ(doc.typeOf("b"), 1);
  EXPECT_EQ(doc.typeOf("n"), 2);
  EXPECT_EQ(doc.typeOf("o"), 4);
  EXPECT_EQ(doc.typeOf("a"), 5);
  EXPECT_EQ(doc.typeOf("s"), 6);
  EXPECT_EQ(doc.typeOf("missing.deeper"), -1);
  ASSERT_TRUE(doc.setExpression("d", "new Date(0)"));
  EXPECT_EQ(doc.typeOf("d"), -1);

  std::vector<Text> keys = {"stale"};
  EXPECT_EQ(doc.getKeys(keys, "o"), 2);
  EXPECT_EQ(keys, (std::vector<Text>{"k1", "k2"}));
  EXPECT_EQ(doc.getKeys(keys, "a"), 0);  // an array has no keys
  EXPECT_TRUE(keys.empty());
  EXPECT_EQ(doc.getKeys(keys, ""), 7);

  EXPECT_EQ(doc.getCount("a"), 3);
  EXPECT_EQ(doc.getCount("o"), 0);  // an object is not counted
  EXPECT_EQ(doc.getCount("missing"), 0);
}

TEST(JsonDocumentWrite, TextRoundTripWithEveryEscapedCharacter) {
  JsonDocument doc;
  // Backslash, quotes, CR, LF, and GBK characters whose second byte is a backslash.
  const Text tricky = "C:\\dir\\n 'single' \"double\"\r\nnext 乗俓圽 end\\"_gbk;
  ASSERT_TRUE(doc.setValue("v", tricky));
  EXPECT_EQ(doc.getText("v"), tricky);
  EXPECT_EQ(doc.typeOf("v"), 6);
  // Stored with U+2400 in place of each backslash, restored on the way out:
  // as one backslash in text, as an escaped one in JSON.
  EXPECT_EQ(doc.getNumber("v.split(str_Code).length - 1"), 3);
  ASSERT_TRUE(doc.setValue("w", "a\\b"));
  EXPECT_EQ(doc.getJson("w"), R"("a\\b")");
  EXPECT_EQ(doc.getText("w", true), R"("a\\b")");
  EXPECT_NE(doc.toJson().find(R"("w":"a\\b")"), std::string::npos);
  // Values set before a parse are gone after it: every parse starts afresh.
  ASSERT_TRUE(doc.parse("{}"));
  EXPECT_FALSE(doc.exists("v"));
}

// Every JSON the document produces parses back to the value it stands for.
TEST(JsonDocumentWrite, JsonOutputParsesBackToTheSameValue) {
  const Text texts[] = {
      "a\\b", "\\", "C:\\new\\table\\", "\\u0041", "\\\"", "quote \" and ' and \\'",
      "line\r\nbreak\ttab", std::string("nul\0inside", 10), "乗俓圽\\"_gbk, "\x80 euro",
  };
  for (const Text& text : texts) {
    SCOPED_TRACE(testing::PrintToString(text));
    JsonDocument doc;
    ASSERT_TRUE(doc.setValue("v", text));
    ASSERT_TRUE(doc.addItem(text, "list"));
    const Text outputs[] = {doc.getJson("v"), doc.getText("v", true), doc.getItemText(0, "list", true)};
    for (const Text& json : outputs) {
      JsonDocument back;
      ASSERT_TRUE(back.parse("{\"v\": " + json + "}"));
      EXPECT_EQ(back.getText("v"), text) << json;
    }
    JsonDocument whole;
    ASSERT_TRUE(whole.parse(doc.toJson()));
    EXPECT_EQ(whole.getText("v"), text);
    EXPECT_EQ(whole.getItemText(0, "list"), text);
    EXPECT_EQ(whole.toJson(), doc.toJson());
  }
}

// No byte sequence may end the literal a text is stored in: whatever bytes
// are given are read back as they are, or refused, and never run as script.
TEST(JsonDocumentWrite, ArbitraryBytesAreStoredOrRefusedNeverRun) {
  const Text pieces[] = {"'", "\"", "\\", "\r", "\n", "\x81", "\xfe", "\x80", "\xff", "\x7f", "\x01",
                         std::string(1, '\0'), ");ran=1;(", "'+(ran=1)+'", "\"+(ran=1)+\"", "\\'; ran=1; //",
                         ";ran=1;//", "x", "中"_gbk, "\x81'", "\x81\\", "\x81\"", "\x81\r", "*/", "</script>"};
  JsonDocument doc;
  ASSERT_TRUE(doc.setExpression("probe", "0"));  // makes sure the engine runs
  ASSERT_TRUE(doc.addItem("first", "list"));
  ASSERT_TRUE(doc.getEngine().callMethodBool("Eval", "var ran = 0; true"));
  uint32_t state = 20240105;
  auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 16; };
  // First the known ways out of a literal, then random mixtures.
  const Text attacks[] = {"\x81';ran=1;//", "\xfe'+(ran=1)+'", "\x80';ran=1;//", "\x81\\';ran=1;//",
                          "\x81\r\nran=1;//", "a\x81'\x81';ran=1;//"};
  int stored = 0, refused = 0;
  for (int round = 0; round < 600; ++round) {
    Text value;
    if (round < static_cast<int>(std::size(attacks)) * 3) {
      value = attacks[round / 3];
    } else {
      for (uint32_t n = next() % 7; n > 0; --n) value += pieces[next() % std::size(pieces)];
    }
    const bool valid = multiByteToUtf16Roundtrips(value);
    const int operation = round % 3;
    bool ok = false;
    if (operation == 0) ok = doc.setValue("v", value);
    if (operation == 1) ok = doc.addItem(value, "list");
    if (operation == 2) ok = doc.setItem(0, "list", value);
    SCOPED_TRACE(testing::PrintToString(value));
    EXPECT_EQ(ok, valid);
    if (ok) {
      ++stored;
      const Text back = operation == 0 ? doc.getText("v") : operation == 1 ? doc.getItemText(doc.getCount("list") - 1, "list")
                                                                            : doc.getItemText(0, "list");
      EXPECT_EQ(back, value);
    } else {
      ++refused;
    }
    ASSERT_EQ(doc.getEngine().callMethodNumber("Eval", "ran"), 0) << "a value ran as script";
  }
  EXPECT_GT(stored, 100);
  EXPECT_GT(refused, 100);
  std::vector<Text> keys;
  EXPECT_EQ(doc.getKeys(keys, ""), 3);  // probe, v, list: nothing else was defined
}

TEST(JsonDocumentWrite, SettersReportWhetherTheyRan) {
  JsonDocument doc;
  EXPECT_TRUE(doc.setValue("name", "plain text"));
  EXPECT_TRUE(doc.setNumber("zero", 0));
  EXPECT_TRUE(doc.setNumber("big", 1e300));
  EXPECT_EQ(doc.getNumber("big"), 1e300);
  EXPECT_TRUE(doc.setNumber("neg", -25.14));
  EXPECT_EQ(doc.getText("neg"), "-25.14");
  EXPECT_TRUE(doc.setExpression("sum", "'1 + 2'"));
  EXPECT_EQ(doc.getNumber("sum"), 3);
  EXPECT_TRUE(doc.setValue("obj", R"({"a":1})", true));
  EXPECT_FALSE(doc.setValue("nowhere.deeper", "x"));
  EXPECT_FALSE(doc.setExpression("bad", "'1 +'"));
  EXPECT_TRUE(doc.remove("name"));
  EXPECT_FALSE(doc.exists("name"));
  EXPECT_TRUE(doc.clear());
  EXPECT_EQ(doc.toJson(), "{}");
}

TEST(JsonDocumentWrite, JsonValuesMergeIntoExistingObjects) {
  JsonDocument doc = parsed(R"({"o":{"a":"old","n":{"x":1},"k":true},"s":"text"})");
  ASSERT_TRUE(doc.setValue("o", R"({"a":"new","n":{"y":2},"z":3})", true));
  EXPECT_EQ(doc.getJson("o"), R"({"a":"new","n":{"x":1,"y":2},"k":true,"z":3})");
  // Not an object before: replaced.
  ASSERT_TRUE(doc.setValue("s", "[1,2]", true));
  EXPECT_EQ(doc.getJson("s"), "[1,2]");
  ASSERT_TRUE(doc.setValue("fresh", "", true));
  EXPECT_EQ(doc.getJson("fresh"), "{}");
}

TEST(JsonDocumentWrite, ArrayItems) {
  JsonDocument doc;
  ASSERT_TRUE(doc.addItem("b", "list"));  // not an array yet: made one
  ASSERT_TRUE(doc.addItem("a", "list", false, true));
  ASSERT_TRUE(doc.addItem(R"({"k":"v"})", "list", true));
  EXPECT_EQ(doc.getCount("list"), 3);
  EXPECT_EQ(doc.getJson("list"), R"(["a","b",{"k":"v"}])");
  EXPECT_EQ(doc.getItemText(1, "list"), "b");
  EXPECT_EQ(doc.getItemText(2, "list"), "");  // not a string
  EXPECT_EQ(doc.getItemText(2, "list", true), R"({"k":"v"})");
  EXPECT_TRUE(doc.setItem(0, "list", "A"));
  EXPECT_TRUE(doc.setItem(1, "list", "7", true));
  EXPECT_EQ(doc.getJson("list"), R"(["A",7,{"k":"v"}])");
  EXPECT_TRUE(doc.removeItem(1, "list"));
  EXPECT_EQ(doc.getJson("list"), R"(["A",{"k":"v"}])");
  EXPECT_EQ(doc.getText("list[1].k"), "v");
  // Items are texts like any other: quotes and backslashes stay as given.
  ASSERT_TRUE(doc.addItem("it's \"C:\\x\"", "list"));
  ASSERT_TRUE(doc.setItem(0, "list", "\\'"));
  EXPECT_EQ(doc.getItemText(2, "list"), "it's \"C:\\x\"");
  EXPECT_EQ(doc.getItemText(0, "list"), "\\'");
  EXPECT_EQ(doc.getJson("list"), R"(["\\'",{"k":"v"},"it's \"C:\\x\""])");
}

TEST(JsonDocumentRead, ValuesWithTheSeparator) {
  JsonDocument doc = parsed(R"({"a":"x","n":2,"b":true,"o":{"deep":"y","arr":[3,"z"]},"nul":null})");
  std::vector<Text> values = {"stale"};
  EXPECT_EQ(doc.getValues(values, ""), 3);
  EXPECT_EQ(values, (std::vector<Text>{"x", "2", "true"}));
  EXPECT_EQ(doc.getValues(values, "", true), 6);
  EXPECT_EQ(values, (std::vector<Text>{"x", "2", "true", "y", "3", "z"}));
  ASSERT_TRUE(doc.setValue("o.deep", "p" + VALUE_SEPARATOR + "q\\r"));
  EXPECT_EQ(doc.getValues(values, "o"), 2);  // a value holding the separator splits
  EXPECT_EQ(values[0], "p");
  EXPECT_EQ(values[1], "q\\r");  // the stored backslash comes back
  EXPECT_EQ(doc.getValues(values, "missing"), 0);
}

TEST(JsonDocumentShare, CopiesShareOneEngine) {
  JsonDocument* original = new JsonDocument;
  ASSERT_TRUE(original->parse(kNotice));
  JsonDocument copy(*original);
  EXPECT_EQ(copy.getEngine().get(), original->getEngine().get());
  ASSERT_TRUE(copy.setValue("data.V", "25.15"));
  EXPECT_EQ(original->getText("data.V"), "25.15");
  delete original;
  EXPECT_EQ(copy.getText("data.V"), "25.15");  // the engine lives on with the copy
}

TEST(JsonDocumentShare, SubDocumentsHaveTheirOwnEngine) {
  JsonDocument doc = parsed(R"({"data":{"V":"25.14","list":[{"n":1},{"n":2}]}})");
  ASSERT_TRUE(doc.setValue("data.path", "C:\\new\\table"));
  JsonDocument sub = doc.getDocument("data");
  EXPECT_NE(sub.getEngine().get(), doc.getEngine().get());
  EXPECT_EQ(sub.getText("V"), "25.14");
  EXPECT_EQ(sub.getText("path"), "C:\\new\\table");  // not read back as escapes
  ASSERT_TRUE(sub.setValue("V", "changed"));
  EXPECT_EQ(doc.getText("data.V"), "25.14");
  JsonDocument item = doc.getItemDocument(1, "data.list");
  EXPECT_EQ(item.getNumber("n"), 2);
  EXPECT_EQ(doc.getItemDocument(5, "data.list").toJson(), "");
}

TEST(JsonDocumentFailures, FailedParseFillsScriptError) {
  SKIP_UNDER_WINE(wine_gap::ScriptErrorDetails);
  JsonDocument doc;
  ScriptError error;
  EXPECT_FALSE(doc.parse(R"({"a": })", false, &error));
  EXPECT_EQ(error.Number, 1002);
  EXPECT_EQ(error.Source, "Microsoft JScript compilation error");
  EXPECT_EQ(error.Description, "Syntax error");
  EXPECT_EQ(error.Line, 1);
  EXPECT_EQ(error.Text, R"(var da = eval({"a": }))");
  EXPECT_EQ(error.HelpFile, "");
  // A text nested beyond the engine's limits fails cleanly, with the control's error.
  std::string deep = std::string(100000, '[') + std::string(100000, ']');
  EXPECT_FALSE(doc.parse(deep, false, &error));
  EXPECT_EQ(error.Number, 28);
}

TEST(JsonDocumentFailures, FailedParsesLeaveTheDocumentUsable) {
  JsonDocument doc;
  ScriptError error;
  EXPECT_FALSE(doc.parse(R"({"a": })", false, &error));
  EXPECT_NE(error.Number, 0);
  // Evaluates but produces nothing: false, without an error.
  EXPECT_FALSE(doc.parse("null", false, &error));
  EXPECT_EQ(error.Number, 0);
  EXPECT_TRUE(doc.parse("[]", false, &error));
  EXPECT_FALSE(doc.parse(std::string(100000, '[') + std::string(100000, ']'), false, &error));
  EXPECT_TRUE(doc.parse(kNotice));
  EXPECT_EQ(doc.getText("data.V"), "25.14");
}

TEST(JsonDocumentLifetime, InitEngineLoadsHelpersAndGlobals) {
  JsonDocument doc;
  const ComObject engine = doc.getEngine();
  ASSERT_FALSE(engine.isEmpty());
  for (const char* name : {"get__nodeValue", "get__count", "get__name_All", "get__extend"})
    EXPECT_EQ(engine.callMethodText("Eval", std::string("typeof ") + name), "function") << name;
  EXPECT_EQ(engine.callMethodText("Eval", "typeof Object.prototype.toJSONString"), "function");
  EXPECT_EQ(engine.callMethodNumber("Eval", "str_Code.charCodeAt(0)"), 9216);
  EXPECT_EQ(engine.callMethodText("Eval", "str_reg.global + ' ' + str_reg.source.length"), "true 1");
  EXPECT_EQ(doc.toJson(), "{}");
  // Inherited helpers are enumerable, yet only data members are keys.
  ASSERT_TRUE(doc.setExpression("o", "'({a: 1, f: function () {}, b: \"x\"})'"));
  std::vector<Text> keys;
  EXPECT_EQ(doc.getKeys(keys, "o"), 2);
  EXPECT_EQ(keys, (std::vector<Text>{"a", "b"}));
}

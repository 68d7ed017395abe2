// The automation bridge on the system's OLE Automation and components:
// VBScript.RegExp and MSScriptControl.ScriptControl, created by ProgID and
// driven by member name through their type information.
#include <gtest/gtest.h>

#include <thread>

#include "platform/com/class_registry.h"
#include "platform/text/gbk.h"
#include "script/com_object.h"
#include "tests/support/wine.h"

namespace {

class AutomationBridge : public ::testing::Test {
 protected:
  void SetUp() override { CoInitialize(nullptr); }
  void TearDown() override { CoUninitialize(); }
};

ComObject created(const char* name) {
  ComObject object;
  EXPECT_TRUE(object.createObject(name)) << name;
  return object;
}

}  // namespace

TEST_F(AutomationBridge, CreatesByProgIdInAnyCaseOrByClassIdAndKeepsTheObjectOnFailure) {
  for (const char* name : {"VBScript.RegExp", "vbscript.regexp", "{3F4DACA4-160D-11D2-A8E9-00104B365C9F}",
                           "MSScriptControl.ScriptControl"}) {
    ComObject object;
    EXPECT_TRUE(object.createObject(name)) << name;
    EXPECT_FALSE(object.isEmpty()) << name;
  }
  ComObject held = created("VBScript.RegExp");
  IUnknown* before = held.get();
  for (const char* name : {"Kestrune.NoSuchThing", "{00000000-0000-0000-0000-00000000BEEF}", "{not a class id}"})
    EXPECT_FALSE(held.createObject(name)) << name;
  EXPECT_EQ(held.get(), before);
}

TEST_F(AutomationBridge, FailuresAreEmptyValuesWithTheirCodes) {
  const ComObject empty;
  EXPECT_EQ(empty.getPropertyText("Pattern"), "");
  EXPECT_EQ(LastInvokeError, -1);

  const ComObject regex = created("VBScript.RegExp");
  EXPECT_EQ(regex.callMethodText("NoSuchMember"), "");
  EXPECT_EQ(LastInvokeError, -3);
  EXPECT_FALSE(regex.setProperty("NoSuchProperty", "x"));
  EXPECT_EQ(LastInvokeError, -3);
  EXPECT_EQ(regex.callMethodText("Test", "a", "b"), "");  // one parameter declared
  EXPECT_EQ(LastInvokeError, -5);
  EXPECT_EQ(regex.callMethodText("Execute", std::vector<int32_t>{1}), "");
  EXPECT_EQ(LastInvokeError, -7);

  const ComObject script = created("MSScriptControl.ScriptControl");
  ASSERT_TRUE(script.setProperty("Language", "JavaScript"));
  EXPECT_EQ(script.callMethodNumber("Eval", "this is not JavaScript"), 0);
  EXPECT_EQ(LastInvokeError, -11);  // the component raised the script error
}

TEST_F(AutomationBridge, PropertiesAndMethodsCarryGbkTextNumbersAndObjects) {
  const ComObject regex = created("VBScript.RegExp");
  const Text pattern = "(价格)(\\d+)"_gbk;
  ASSERT_TRUE(regex.setProperty("Pattern", pattern));
  EXPECT_EQ(regex.getPropertyText("Pattern"), pattern);
  ASSERT_TRUE(regex.setProperty("Global", true));
  EXPECT_EQ(regex.getPropertyText("Global"), "-1");  // a boolean as text
  EXPECT_TRUE(regex.callMethodBool("Test", "评估价格16888"_gbk));

  EXPECT_EQ(regex.callMethodText("Replace", "价格1"_gbk, "<$2>"), "<1>");

  const ComObject script = created("MSScriptControl.ScriptControl");
  ASSERT_TRUE(script.setProperty("Language", "JavaScript"));
  script.callMethod("AddCode", "function twice(x) { return x + x; }");
  EXPECT_EQ(LastInvokeError, 0);
  EXPECT_EQ(script.callMethodNumber("Eval", "twice(21)"), 42);
  EXPECT_EQ(script.callMethodText("Eval", "twice('中')"_gbk), "中中"_gbk);
  EXPECT_TRUE(script.callMethodBool("Eval", "1 < 2"));
}

TEST_F(AutomationBridge, ResultObjectsAreDrivenByNameToo) {
  SKIP_UNDER_WINE(wine_gap::RegExpMatchTypeInfo);
  const ComObject regex = created("VBScript.RegExp");
  ASSERT_TRUE(regex.setProperty("Pattern", "(价格)(\\d+)"_gbk));
  ASSERT_TRUE(regex.setProperty("Global", true));
  const ComObject matches = regex.callMethodObject("Execute", "评估价格16888 价格3288"_gbk);
  ASSERT_FALSE(matches.isEmpty());
  EXPECT_EQ(matches.getPropertyNumber("Count"), 2);
  const ComObject second = matches.getPropertyObject("Item", int32_t{1});
  EXPECT_EQ(second.getPropertyText("Value"), "价格3288"_gbk);
  EXPECT_EQ(second.getPropertyNumber("FirstIndex"), 10);  // UTF-16 units
  EXPECT_EQ(second.getPropertyObject("SubMatches").getPropertyText("Item", int32_t{1}), "3288");
}

TEST_F(AutomationBridge, HoldersShareOneObject) {
  ComObject first = created("VBScript.RegExp");
  ComObject second = first;
  ASSERT_TRUE(first.setProperty("Pattern", "shared"));
  EXPECT_EQ(second.getPropertyText("Pattern"), "shared");
  first.clear();
  EXPECT_TRUE(first.isEmpty());
  EXPECT_EQ(second.getPropertyText("Pattern"), "shared");
}

TEST_F(AutomationBridge, LastInvokeErrorBelongsToTheThread) {
  const ComObject regex = created("VBScript.RegExp");
  regex.callMethodText("NoSuchMember");
  ASSERT_EQ(LastInvokeError, -3);
  int32_t seen = 99;
  std::thread([&] { seen = LastInvokeError; }).join();
  EXPECT_EQ(seen, 0);
  EXPECT_EQ(LastInvokeError, -3);
}

TEST(AutomationVariant, ValuesAndArraysOnTheSystemsVariants) {
  Variant fresh;
  EXPECT_EQ(fresh.type(), VT_I4);
  EXPECT_EQ(fresh.toText(), "0");
  Variant v;
  ASSERT_TRUE(v.assign(true));
  EXPECT_EQ(v.toText(), "-1");
  ASSERT_TRUE(v.assign(2.5));
  EXPECT_EQ(v.toText(), "2.5");
  ASSERT_TRUE(v.assign("中文"_gbk));
  EXPECT_EQ(v.toText(), "中文"_gbk);

  ASSERT_TRUE(v.assign(ByteArray{1, 2, 3}));
  EXPECT_EQ(v.type(), VT_ARRAY | VT_UI1);
  LONG lower = 0, upper = 0;
  SafeArrayGetLBound(v.raw().parray, 1, &lower);
  SafeArrayGetUBound(v.raw().parray, 1, &upper);
  EXPECT_EQ(lower, 1);
  EXPECT_EQ(upper, 3);
  ASSERT_TRUE(v.assign(std::vector<Text>{"a", "b"}));
  EXPECT_EQ(v.type(), VT_ARRAY | VT_BSTR);
  v.clear();
  EXPECT_EQ(v.type(), VT_EMPTY);
}

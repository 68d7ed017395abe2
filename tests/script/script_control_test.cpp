// MSScriptControl.ScriptControl driven through the automation bridge, the
// way the JSON document drives it.
#include <gtest/gtest.h>

#include <string>

#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/text/gbk.h"
#include "script/com_object.h"

namespace {

class ScriptControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registerComponentFactories();
    CoInitialize(nullptr);
    ASSERT_TRUE(control.createObject("MSScriptControl.ScriptControl"));
    ASSERT_TRUE(control.setProperty("Language", "JavaScript"));
  }
  void TearDown() override {
    control.clear();
    CoUninitialize();
  }
  ComObject control;

  Variant eval(const Text& code) { return control.callMethodVariant("Eval", code); }
  ComObject error() { return control.getPropertyObject("Error"); }
};

}  // namespace

TEST_F(ScriptControlTest, CreatedByProgIdOrClassIdAndLanguageChecked) {
  ComObject byId;
  EXPECT_TRUE(byId.createObject("{0E59F1D5-1FBE-11D0-8FF2-00A0D10038BC}"));
  // Nothing runs before a language is set.
  EXPECT_EQ(byId.callMethodText("Eval", "1"), "");
  EXPECT_EQ(LastInvokeError, -11);
  EXPECT_FALSE(byId.setProperty("Language", "VBScript"));
  EXPECT_EQ(byId.getPropertyText("Language"), "");
  EXPECT_TRUE(byId.setProperty("Language", "jscript"));
  EXPECT_EQ(byId.callMethodNumber("Eval", "6 * 7"), 42);
  EXPECT_EQ(control.getPropertyText("Language"), "JavaScript");
}

TEST_F(ScriptControlTest, EvalResultsAsVariants) {
  EXPECT_EQ(eval("40 + 2").type(), VT_I4);
  EXPECT_EQ(eval("25.14").type(), VT_R8);
  EXPECT_EQ(eval("'x'").type(), VT_BSTR);
  EXPECT_EQ(eval("1 == 1").type(), VT_BOOL);
  EXPECT_EQ(eval("undefined").type(), VT_EMPTY);
  EXPECT_EQ(eval("null").type(), VT_NULL);
  EXPECT_EQ(eval("[1, 2]").type(), VT_DISPATCH);
  // Objects convert through their string form; text crosses as UTF-16.
  EXPECT_EQ(control.callMethodText("Eval", "[1, 'b', [3]]"), "1,b,3");
  EXPECT_EQ(eval("({})").toText(), "[object Object]");
  EXPECT_EQ(control.callMethodText("Eval", "'价格' + String.fromCharCode(0x7B49) + '\\u7EA7'"_gbk), "价格等级"_gbk);
  EXPECT_EQ(control.callMethodText("Eval", "'评估价格：'.length"_gbk), "5");
  EXPECT_EQ(control.callMethodText("Eval", "25.14"), "25.14");
  EXPECT_TRUE(control.callMethodBool("Eval", "1 < 2"));
  EXPECT_EQ(LastInvokeError, 0);
}

TEST_F(ScriptControlTest, GlobalsFromAddCodeEvalAndExecuteStatement) {
  control.callMethod("AddCode", "function twice(x) { return x * 2 }");
  EXPECT_EQ(LastInvokeError, 0);
  control.callMethod("Eval", "var da = {}, str_Code = String.fromCharCode(9216)");
  EXPECT_EQ(LastInvokeError, 0);
  control.callMethod("ExecuteStatement", "da.n = twice(21)");
  EXPECT_EQ(control.callMethodNumber("Eval", "da.n"), 42);
  EXPECT_EQ(control.callMethodNumber("Eval", "str_Code.charCodeAt(0)"), 9216);
  control.callMethod("Reset");
  EXPECT_EQ(control.callMethodText("Eval", "typeof da"), "undefined");
}

TEST_F(ScriptControlTest, ScriptErrorIsAnExceptionWithTheErrorObject) {
  EXPECT_EQ(control.callMethodText("Eval", "1 +"), "");
  EXPECT_EQ(LastInvokeError, -11);  // DISP_E_EXCEPTION
  ComObject err = error();
  EXPECT_EQ(err.getPropertyNumber("Number"), 1002);
  EXPECT_EQ(err.getPropertyText("Description"), "Syntax error");
  EXPECT_EQ(err.getPropertyText("Source"), "Microsoft JScript compilation error");
  EXPECT_EQ(err.getPropertyNumber("Line"), 1);
  EXPECT_EQ(err.getPropertyText("Text"), "1 +");
  EXPECT_EQ(err.getPropertyNumber("Column"), 0);
  EXPECT_EQ(err.getPropertyText("HelpFile"), "");
  EXPECT_EQ(err.getPropertyNumber("HelpContext"), 0);

  // The error stays over successful calls until cleared.
  control.callMethod("AddCode", "var ok = 1;\nmissing.x = 1;");
  EXPECT_EQ(LastInvokeError, -11);
  EXPECT_EQ(control.callMethodNumber("Eval", "ok"), 1);
  EXPECT_EQ(err.getPropertyNumber("Number"), 5009);
  EXPECT_EQ(err.getPropertyText("Description"), "'missing' is undefined");
  EXPECT_EQ(err.getPropertyNumber("Line"), 2);
  err.callMethod("Clear");
  EXPECT_EQ(error().getPropertyNumber("Number"), 0);
  EXPECT_EQ(error().getPropertyText("Description"), "");
}

TEST_F(ScriptControlTest, RunawayScriptsFailTheCallAndTheProgramGoesOn) {
  std::string deep = "var da = eval(";
  deep += std::string(100000, '[') + "1" + std::string(100000, ']') + ")";
  control.callMethod("AddCode", deep);
  EXPECT_EQ(LastInvokeError, -11);
  EXPECT_EQ(error().getPropertyNumber("Number"), 28);

  control.callMethod("ExecuteStatement", "function f() { return 1 + f() } f()");
  EXPECT_EQ(LastInvokeError, -11);
  EXPECT_EQ(error().getPropertyNumber("Number"), 28);

  control.callMethod("ExecuteStatement", "var s = 'x'; for (;;) s = s + s");
  EXPECT_EQ(LastInvokeError, -11);
  EXPECT_EQ(error().getPropertyText("Description"), "Out of memory");
  control.clear();

  ComObject fresh;
  ASSERT_TRUE(fresh.createObject("MSScriptControl.ScriptControl"));
  EXPECT_EQ(fresh.getPropertyNumber("Timeout"), 10000);
  EXPECT_FALSE(fresh.setProperty("Timeout", int32_t(-2)));
  ASSERT_TRUE(fresh.setProperty("Timeout", int32_t(50)));
  ASSERT_TRUE(fresh.setProperty("Language", "JavaScript"));
  EXPECT_EQ(fresh.callMethodText("Eval", "'still ' + 'working'"), "still working");
  fresh.callMethod("ExecuteStatement", "while (true) { try { for (;;) {} } catch (e) {} }");
  EXPECT_EQ(LastInvokeError, -11);
  EXPECT_EQ(fresh.getPropertyObject("Error").getPropertyText("Description"), "Script execution timed out");
  EXPECT_EQ(fresh.callMethodNumber("Eval", "2 + 2"), 4);
  // Also when the time goes into a built-in function: a tiny document whose
  // value joins a huge array (seconds without the limit).
  fresh.callMethod("AddCode", "var da = eval({\"data\": {\"V\": new Array(3e6).join('x')}})");
  EXPECT_EQ(LastInvokeError, -11);
  EXPECT_EQ(fresh.getPropertyObject("Error").getPropertyNumber("Number"), static_cast<int32_t>(0x80004004u));
  EXPECT_EQ(fresh.callMethodText("Eval", "typeof da"), "undefined");
}

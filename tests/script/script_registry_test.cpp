// The script objects against this platform's class registry: a document
// without a script control, and COM's per-thread count around the objects.
#include <gtest/gtest.h>

#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/text/gbk.h"
#include "script/json_document.h"
#include "script/regex_matcher.h"

namespace {

const Text kNotice = R"({"data":{"V":"25.14"}})";

}  // namespace

TEST(JsonDocumentFailures, WithoutAnEngineEverythingIsEmpty) {
  registerComponentFactories();
  registerClassFactory(CLSID_ScriptControl, nullptr);
  {
    JsonDocument doc;
    EXPECT_TRUE(doc.engine.isEmpty());
    EXPECT_FALSE(doc.parse(kNotice));
    EXPECT_EQ(doc.getText("data.V"), "");
    EXPECT_FALSE(doc.setValue("x", "1"));
    EXPECT_EQ(doc.typeOf("x"), -1);
    std::vector<Text> keys = {"stale"};
    EXPECT_EQ(doc.getKeys(keys, ""), 0);
    EXPECT_TRUE(keys.empty());
  }
  registerScriptControlFactory();
  JsonDocument doc;
  EXPECT_TRUE(doc.parse(kNotice));
  EXPECT_EQ(doc.getText("data.V"), "25.14");
}

TEST(JsonDocumentLifetime, ComInitialisationIsBalanced) {
  const int before = comInitializeCount();
  {
    JsonDocument doc;
    doc.parse(kNotice);
    doc.parse(kNotice);
    JsonDocument sub = doc.getDocument("data");
    JsonDocument copy = sub;
    EXPECT_GT(comInitializeCount(), before);
  }
  EXPECT_EQ(comInitializeCount(), before);
}

TEST(RegexMatcherLifetime, ComInitialisedForTheObjectsLifetime) {
  int before = comInitializeCount();
  {
    RegexMatcher m;
    EXPECT_EQ(before + 1, comInitializeCount());
    RegexMatcher copy = m;
    EXPECT_EQ(before + 2, comInitializeCount());
  }
  EXPECT_EQ(before, comInitializeCount());
}

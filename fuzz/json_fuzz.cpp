// The JSON document: `parse` of arbitrary text, then the read operations on
// the root and on a path from the input, inside the engine's memory cap and
// a short Timeout. What toJson writes parses back to the same JSON.
#include <string>
#include <vector>

#include "fuzz/fuzz_input.h"
#include "script/json_document.h"

namespace {

// A document whose engines stop any call after 200 ms, so that a looping
// text costs the fuzzer little time.
class ShortLivedDocument : public JsonDocument {
 public:
  void initEngine() override {
    JsonDocument::initEngine();
    engine.setProperty("Timeout", 200);
  }
};

// The read operations on the root and at `path`; the documents made of
// parts (each a new engine) only at `path`.
void readEverything(JsonDocument& document, const Text& path) {
  for (const Text& at : {Text(), path}) {
    std::vector<Text> names, values;
    const int32_t keys = document.getKeys(names, at);
    FUZZ_CHECK(keys >= 0 && static_cast<size_t>(keys) == names.size());
    const int32_t count = document.getCount(at);
    FUZZ_CHECK(count >= 0);
    const int32_t type = document.typeOf(at);
    if (count > 0) FUZZ_CHECK(type == JSON_TYPE_ARRAY);
    document.getValues(values, at, true);
    (void)document.exists(at);
    (void)document.getText(at);
    (void)document.getText(at, true);
    (void)document.getJson(at);
    (void)document.getNumber(at);
    (void)document.getItemText(0, at);
    (void)document.getItemText(count > 0 ? count - 1 : 0, at, true);
  }
  JsonDocument item = document.getItemDocument(0, path);
  (void)item.toJson();
  JsonDocument part = document.getDocument(path);
  (void)part.toJson();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const uint8_t flags = in.byte();
  const Text path = in.field();
  const Text text = in.rest();

  // Kept between inputs: parse gives each input an engine of its own.
  static ShortLivedDocument document, again;
  ScriptError error;
  if (!document.parse(text, flags & 1, &error)) return 0;
  readEverything(document, path);

  // A root JSON cannot hold (Infinity, NaN) is written as null, and a
  // document whose root is null holds no value: nothing to parse back.
  const Text json = document.toJson();
  if (json.empty() || json == "null") return 0;
  FUZZ_CHECK(again.parse(json));
  FUZZ_CHECK(again.toJson() == json);
  return 0;
}

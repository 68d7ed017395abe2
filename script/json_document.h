// JsonDocument: a JSON document with path-based access that keeps its value
// in a private script engine (MSScriptControl.ScriptControl, JavaScript).
// Each operation hands one or more short JavaScript texts to the control's
// Eval or AddCode through the automation bridge; parsing is evaluation of
// the text, serialising is JSON.stringify.
//
// Inside the engine: the helper script (json_helper_script.h), the root in
// the global named by rootName ("da"), str_Code (U+2400), str_reg (a global
// RegExp of U+2400) and str_all (made anew by getValues).
//
// Backslash convention: setValue, addItem and setItem store every backslash
// of a text as U+2400; the text-returning operations turn each U+2400 back
// into one backslash, and the JSON ones (toJson, getJson, getText and
// getItemText as JSON) into an escaped backslash, so that their JSON is valid
// and parses back to the text as stored. A text is put into the script as a
// string literal escaped after its conversion to UTF-16, so no byte sequence
// can end the literal; a text that does not survive that conversion (bytes
// that are no GBK characters) is refused: the operation returns false.
//
// Paths name a value below the root in JavaScript member syntax ("data.V",
// "list[2].name"); the empty path is the root. Failures of any kind (no
// engine, a missing member, a script error) give empty text, 0, false or no
// members; parse alone reports detail, through its optional ScriptError.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/text/text.h"
#include "script/com_object.h"

// The script control's last error as parse reports it.
struct ScriptError {
  int32_t Number = 0;
  ::Text Source;
  ::Text Description;
  ::Text HelpFile;
  int32_t HelpContext = 0;
  ::Text Text;
  int32_t Line = 0;
  int32_t Column = 0;
};

// Separates the values getValues collects ("[2020年7月20日20时0分0秒]", GBK).
extern const Text VALUE_SEPARATOR;

// Type codes of typeOf.
enum JsonType : int32_t {
  JSON_TYPE_NULL = 0, JSON_TYPE_BOOLEAN = 1, JSON_TYPE_NUMBER = 2, JSON_TYPE_OBJECT = 4,
  JSON_TYPE_ARRAY = 5, JSON_TYPE_STRING = 6, JSON_TYPE_OTHER = -1
};

class JsonDocument {
 public:
  // Root name "da", then initEngine.
  JsonDocument();
  // Same root name, a second holder of the same engine: both documents read
  // and write the same value.
  JsonDocument(const JsonDocument& other);
  JsonDocument& operator=(const JsonDocument& other);
  virtual ~JsonDocument();

  // Initialises COM on this thread, creates the control, sets its language,
  // loads the helper script and an empty root. On failure `engine` stays empty.
  virtual void initEngine();
  // Parses `text` into a fresh engine: as eval(text), or as a literal source
  // text when asLiteral. `error` (may be null) receives the control's error.
  // True when the text produced a value.
  virtual bool parse(const Text& text, bool asLiteral = false, ScriptError* error = nullptr);
  virtual bool clear();
  virtual Text toJson();
  // Stores `value` as text (isJson false) or as a JSON value; a JSON object
  // given for an existing object is merged into it.
  virtual bool setValue(const Text& path, const Text& value, bool isJson = false);
  virtual bool setExpression(const Text& path, const Text& expression);
  // Rewrites path into a JavaScript expression below the root; true when a
  // value exists there.
  virtual bool resolvePath(Text& path);
  virtual bool exists(const Text& path);
  virtual int32_t typeOf(const Text& path);
  virtual Text getText(const Text& path, bool asJson = false);
  // Member names of the object at path (none for anything else).
  virtual int32_t getKeys(std::vector<Text>& keys, const Text& path);
  // Length of the array at path, 0 for anything else.
  virtual int32_t getCount(const Text& path);
  virtual JsonDocument getDocument(const Text& path);
  virtual bool addItem(const Text& value, const Text& path, bool isJson = false, bool atFront = false);
  virtual JsonDocument getItemDocument(int32_t index, const Text& path);
  virtual Text getItemText(int32_t index, const Text& path, bool asJson = false);
  virtual bool setItem(int32_t index, const Text& path, const Text& value, bool isJson = false);
  virtual bool removeItem(int32_t index, const Text& path);
  virtual bool remove(const Text& path);
  virtual bool setNumber(const Text& path, double value);
  virtual double getNumber(const Text& path);
  virtual Text getJson(const Text& path);
  virtual ComObject getEngine();
  // The string, number and boolean members of the value at path (descending
  // into nested objects and arrays when recursive).
  virtual int32_t getValues(std::vector<Text>& values, const Text& path, bool recursive = false);

  Text rootName;
  ComObject engine;

 private:
  // Resolves a copy of path.
  Text expressionFor(const Text& path);
  // Evaluates code; true when it ran and did not yield false.
  bool evalSucceeded(const Text& code);
  // A new document holding (a copy of) the value of `expression` here.
  JsonDocument documentFrom(const Text& expression);

  int32_t comInitialized_ = 0;  // CoInitialize calls this document owes CoUninitialize
};

#include "script/json_document.h"

#include <charconv>
#include <cmath>

#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/text/gbk.h"
#include "script/json_helper_script.h"

const Text VALUE_SEPARATOR = "[2020年7月20日20时0分0秒]"_gbk;

namespace {

// ".replace(str_reg, '\\')": every U+2400 back to one backslash.
const char kRestoreBackslashes[] = R"(.replace(str_reg, '\\'))";

Text stringifyOf(const Text& expression) { return "JSON.stringify(" + expression + ")"; }

Text indexed(const Text& expression, int32_t index) {
  return expression + "[" + intToText(index) + "]";
}

// V of addItem and setItem: the JSON text itself, or the text in single
// quotes with no escaping.
Text itemValue(const Text& value, bool isJson) { return isJson ? value : "'" + value + "'"; }

// Shortest text that reads back as the same double in JavaScript.
Text numberText(double value) {
  if (std::isnan(value)) return "NaN";
  if (std::isinf(value)) return value > 0 ? "Infinity" : "-Infinity";
  char buffer[64];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, value);
  return Text(buffer, r.ptr);
}

// Replaces the contents of `out` with the pieces of `joined`; their count.
int32_t splitInto(std::vector<Text>& out, const Text& joined, const Text& separator) {
  out = splitText(joined, separator);
  return static_cast<int32_t>(out.size());
}

}  // namespace

JsonDocument::JsonDocument() : rootName("da") { initEngine(); }

JsonDocument::JsonDocument(const JsonDocument& other) : rootName(other.rootName), engine(other.engine) {
  // A copy keeps COM initialised for the engine it shares, like the original.
  if (SUCCEEDED(CoInitialize(nullptr))) ++comInitialized_;
}

JsonDocument& JsonDocument::operator=(const JsonDocument& other) {
  rootName = other.rootName;
  engine = other.engine;
  return *this;
}

JsonDocument::~JsonDocument() {
  engine.clear();
  for (; comInitialized_ > 0; --comInitialized_) CoUninitialize();
}

void JsonDocument::initEngine() {
  if (SUCCEEDED(CoInitialize(nullptr))) ++comInitialized_;
  registerComponentFactories();
  if (!engine.createObject("MSScriptControl.ScriptControl")) return;
  engine.setProperty("Language", "JavaScript");
  engine.callMethodBool("AddCode", Text(HELPER_SCRIPT));
  engine.callMethodBool("Eval", "var " + rootName +
                                    " = {}, str_Code = String.fromCharCode(9216), str_reg = new RegExp(str_Code, 'g')");
}

bool JsonDocument::parse(const Text& text, bool asLiteral, ScriptError* error) {
  if (!engine.isEmpty()) {
    engine.clear();
    initEngine();
  }
  if (engine.isEmpty()) return false;
  engine.callMethodBool("Eval", "var " + rootName + " = null");
  engine.callMethodBool("AddCode", asLiteral ? "var " + rootName + " = " + text
                                             : "var " + rootName + " = eval(" + text + ")");
  if (error) {
    const ComObject e = engine.getPropertyObject("Error");
    error->Number = truncToInt(e.getPropertyNumber("Number"));
    error->Source = e.getPropertyText("Source");
    error->Description = e.getPropertyText("Description");
    error->HelpFile = e.getPropertyText("HelpFile");
    error->HelpContext = truncToInt(e.getPropertyNumber("HelpContext"));
    error->Text = e.getPropertyText("Text");
    error->Line = truncToInt(e.getPropertyNumber("Line"));
    error->Column = truncToInt(e.getPropertyNumber("Column"));
  }
  return engine.callMethodBool("Eval", rootName + " != null");
}

bool JsonDocument::clear() { return evalSucceeded(rootName + " = {}"); }

Text JsonDocument::toJson() {
  return engine.callMethodText("Eval", stringifyOf(rootName) + kRestoreBackslashes);
}

bool JsonDocument::setValue(const Text& path, const Text& value, bool isJson) {
  Text e = path;
  const bool existed = resolvePath(e);
  if (isJson) {
    const Text json = value.empty() ? Text("{}") : value;
    const Text type = engine.callMethodText("Eval", "Object.prototype.toString.call(" + e + ")");
    if (existed && type == "[object Object]")
      return evalSucceeded(e + " = get__extend(" + e + ", " + json + ")");
    return evalSucceeded(e + " = eval(" + json + ")");
  }
  Text escaped = replaceText(value, "\\", "\\\\");
  escaped = replaceText(escaped, "'", "\\'");
  escaped = replaceText(escaped, "\"", "\\\"");
  escaped = replaceText(escaped, "\r", "\\r");
  escaped = replaceText(escaped, "\n", "\\n");
  return evalSucceeded(e + " = '" + escaped + R"('.replace(/\\/g, str_Code))");
}

bool JsonDocument::setExpression(const Text& path, const Text& expression) {
  return evalSucceeded(expressionFor(path) + " = eval(" + expression + ")");
}

bool JsonDocument::resolvePath(Text& path) {
  if (path.compare(0, rootName.size(), rootName) == 0 &&
      engine.callMethodBool("Eval", path + " != null"))
    return true;
  if (path.empty())
    path = rootName;
  else if (path[0] == '[')
    path = rootName + path;
  else
    path = rootName + "." + path;
  return engine.callMethodBool("Eval", path + " != null");
}

bool JsonDocument::exists(const Text& path) {
  Text e = path;
  return resolvePath(e);
}

int32_t JsonDocument::typeOf(const Text& path) {
  const Text e = expressionFor(path);
  if (engine.callMethodBool("Eval", e + " == null")) return JSON_TYPE_NULL;
  const Text type = engine.callMethodText("Eval", "Object.prototype.toString.call(" + e + ")");
  if (type == "[object String]") return JSON_TYPE_STRING;
  if (type == "[object Array]") return JSON_TYPE_ARRAY;
  if (type == "[object Object]") return JSON_TYPE_OBJECT;
  if (type == "[object Number]") return JSON_TYPE_NUMBER;
  if (type == "[object Boolean]") return JSON_TYPE_BOOLEAN;
  return JSON_TYPE_OTHER;
}

Text JsonDocument::getText(const Text& path, bool asJson) {
  const Text e = expressionFor(path);
  return engine.callMethodText("Eval", (asJson ? stringifyOf(e) : e + ".toString()") + kRestoreBackslashes);
}

int32_t JsonDocument::getKeys(std::vector<Text>& keys, const Text& path) {
  const Text names = engine.callMethodText("Eval", "get__name_All(" + expressionFor(path) + ")");
  return splitInto(keys, names, "\r\n");
}

int32_t JsonDocument::getCount(const Text& path) {
  return truncToInt(engine.callMethodNumber("Eval", "get__count(" + expressionFor(path) + ")"));
}

JsonDocument JsonDocument::getDocument(const Text& path) {
  return documentFrom(stringifyOf(expressionFor(path)));
}

bool JsonDocument::addItem(const Text& value, const Text& path, bool isJson, bool atFront) {
  const Text e = expressionFor(path);
  return evalSucceeded("if (Object.prototype.toString.call(" + e + ") != '[object Array]') { " + e +
                       " = new Array() } " + e + (atFront ? ".unshift(" : ".push(") +
                       itemValue(value, isJson) + ")");
}

JsonDocument JsonDocument::getItemDocument(int32_t index, const Text& path) {
  return documentFrom(stringifyOf(indexed(expressionFor(path), index)));
}

Text JsonDocument::getItemText(int32_t index, const Text& path, bool asJson) {
  const Text item = indexed(expressionFor(path), index);
  return engine.callMethodText("Eval", (asJson ? stringifyOf(item) : item) + kRestoreBackslashes);
}

bool JsonDocument::setItem(int32_t index, const Text& path, const Text& value, bool isJson) {
  return evalSucceeded(indexed(expressionFor(path), index) + " = " + itemValue(value, isJson));
}

bool JsonDocument::removeItem(int32_t index, const Text& path) {
  return evalSucceeded(expressionFor(path) + ".splice(" + intToText(index) + ", 1)");
}

bool JsonDocument::remove(const Text& path) { return evalSucceeded("delete " + expressionFor(path)); }

bool JsonDocument::setNumber(const Text& path, double value) {
  return evalSucceeded(expressionFor(path) + " = " + numberText(value));
}

double JsonDocument::getNumber(const Text& path) {
  return engine.callMethodNumber("Eval", expressionFor(path));
}

Text JsonDocument::getJson(const Text& path) {
  return engine.callMethodText("Eval", stringifyOf(expressionFor(path)) + kRestoreBackslashes);
}

ComObject JsonDocument::getEngine() { return engine; }

int32_t JsonDocument::getValues(std::vector<Text>& values, const Text& path, bool recursive) {
  const Text e = expressionFor(path);
  engine.callMethod("Eval", "var str_all = new Array()");
  engine.callMethod("Eval", "get__nodeValue(" + e + ", " + (recursive ? "true" : "false") + ")");
  // The joined values get their backslashes back like every other text that
  // leaves the engine: U+2400 has no GBK form and would come out as "?".
  const Text joined = engine.callMethodText(
      "Eval", "str_all.join('" + VALUE_SEPARATOR + "')" + kRestoreBackslashes);
  return splitInto(values, joined, VALUE_SEPARATOR);
}

Text JsonDocument::expressionFor(const Text& path) {
  Text e = path;
  resolvePath(e);
  return e;
}

bool JsonDocument::evalSucceeded(const Text& code) {
  const Variant result = engine.callMethodVariant("Eval", code);
  if (LastInvokeError != 0) return false;
  return !(result.type() == VT_BOOL && result.raw().boolVal == VARIANT_FALSE);
}

JsonDocument JsonDocument::documentFrom(const Text& stringifyCode) {
  // Each U+2400 travels as the escape \u2400, which the new engine reads
  // back as U+2400: turned into a backslash it would be read again as the
  // start of an escape sequence, and local text cannot hold U+2400 itself.
  const Text json = engine.callMethodText("Eval", stringifyCode + R"(.replace(str_reg, '\\u2400'))");
  JsonDocument temporary;
  temporary.parse(json);
  return JsonDocument(temporary);
}

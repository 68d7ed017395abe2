#include "script/json_document.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <optional>

#include "platform/com/class_registry.h"
#include "platform/components/components.h"
#include "platform/text/gbk.h"
#include "script/com_argument.h"
#include "script/json_helper_script.h"

const Text VALUE_SEPARATOR = "[2020年7月20日20时0分0秒]"_gbk;

namespace {

// ".replace(str_reg, '\\')": every U+2400 back to one backslash, for text.
const char kRestoreBackslashes[] = R"(.replace(str_reg, '\\'))";

// JSON.stringify of an expression, with every U+2400 written as an escaped
// backslash ("\\"), so that the JSON parses back to the text as stored.
Text jsonOf(const Text& expression) {
  return "JSON.stringify(" + expression + R"().replace(str_reg, '\\\\'))";
}

// The JavaScript code for a stored text: a string literal of `value` as the
// engine receives it (converted to UTF-16 like every text the bridge hands
// over, and escaped there, so that no byte sequence can end the literal),
// with each backslash turned into U+2400 by the backslash convention.
// Nothing when the text does not survive that conversion (bytes that are no
// GBK characters): it could not be read back as given.
std::optional<Text> storedText(const Text& value) {
  const WideString wide = localToWide(value);
  if (wideToLocal(wide) != value) return std::nullopt;
  WideString literal = WIDE("'");
  for (const WideChar c : wide) {
    switch (c) {
      case WIDE('\\'): literal += WIDE("\\\\"); break;
      case WIDE('\''): literal += WIDE("\\'"); break;
      case WIDE('"'): literal += WIDE("\\\""); break;
      case WIDE('\r'): literal += WIDE("\\r"); break;
      case WIDE('\n'): literal += WIDE("\\n"); break;
      default:
        if (c < 0x20 || c == 0x7F || c == 0x2028 || c == 0x2029) {  // line ends and controls
          char escape[8];
          std::snprintf(escape, sizeof escape, "\\u%04X", static_cast<unsigned>(c));
          literal.append(escape, escape + 6);
        } else {
          literal += c;
        }
    }
  }
  literal += WIDE("'");
  return wideToLocal(literal) + R"(.replace(/\\/g, str_Code))";
}

Text indexed(const Text& expression, int32_t index) {
  return expression + "[" + intToText(index) + "]";
}

// V of addItem and setItem: the JSON text itself, or the stored text.
std::optional<Text> itemValue(const Text& value, bool isJson) {
  if (isJson) return value;
  return storedText(value);
}

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

Text JsonDocument::toJson() { return engine.callMethodText("Eval", jsonOf(rootName)); }

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
  const std::optional<Text> stored = storedText(value);
  return stored && evalSucceeded(e + " = " + *stored);
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
  return engine.callMethodText("Eval", asJson ? jsonOf(e) : e + ".toString()" + kRestoreBackslashes);
}

int32_t JsonDocument::getKeys(std::vector<Text>& keys, const Text& path) {
  const Text names = engine.callMethodText("Eval", "get__name_All(" + expressionFor(path) + ")");
  return splitInto(keys, names, "\r\n");
}

int32_t JsonDocument::getCount(const Text& path) {
  return truncToInt(engine.callMethodNumber("Eval", "get__count(" + expressionFor(path) + ")"));
}

JsonDocument JsonDocument::getDocument(const Text& path) { return documentFrom(expressionFor(path)); }

bool JsonDocument::addItem(const Text& value, const Text& path, bool isJson, bool atFront) {
  const Text e = expressionFor(path);
  const std::optional<Text> item = itemValue(value, isJson);
  return item && evalSucceeded("if (Object.prototype.toString.call(" + e + ") != '[object Array]') { " + e +
                               " = new Array() } " + e + (atFront ? ".unshift(" : ".push(") + *item + ")");
}

JsonDocument JsonDocument::getItemDocument(int32_t index, const Text& path) {
  return documentFrom(indexed(expressionFor(path), index));
}

Text JsonDocument::getItemText(int32_t index, const Text& path, bool asJson) {
  const Text item = indexed(expressionFor(path), index);
  return engine.callMethodText("Eval", asJson ? jsonOf(item) : item + kRestoreBackslashes);
}

bool JsonDocument::setItem(int32_t index, const Text& path, const Text& value, bool isJson) {
  const std::optional<Text> item = itemValue(value, isJson);
  return item && evalSucceeded(indexed(expressionFor(path), index) + " = " + *item);
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

Text JsonDocument::getJson(const Text& path) { return engine.callMethodText("Eval", jsonOf(expressionFor(path))); }

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

JsonDocument JsonDocument::documentFrom(const Text& expression) {
  // Each U+2400 travels as the escape \u2400, which the new engine reads
  // back as U+2400, so the backslash convention carries over; local text
  // cannot hold U+2400 itself.
  const Text json =
      engine.callMethodText("Eval", "JSON.stringify(" + expression + R"().replace(str_reg, '\\u2400'))");
  JsonDocument temporary;
  temporary.parse(json);
  return JsonDocument(temporary);
}

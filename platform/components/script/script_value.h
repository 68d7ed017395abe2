// Values crossing the boundary of the script engine, free of Duktape types.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

// A script object (array, function, ...) kept alive by the engine for as
// long as a reference to it exists.
class ScriptObject {
 public:
  virtual ~ScriptObject() = default;
  // The object's string form, String(object); empty when converting it
  // failed or its engine has been reset or destroyed since.
  virtual std::u16string defaultText() = 0;
};

struct ScriptValue {
  enum class Kind { Undefined, Null, Boolean, Int32, Double, String, Object };

  Kind kind = Kind::Undefined;
  bool boolean = false;
  int32_t int32 = 0;
  double number = 0;
  std::u16string text;
  std::shared_ptr<ScriptObject> object;

  static ScriptValue undefined() { return {}; }
  static ScriptValue null() { return make(Kind::Null); }
  static ScriptValue fromBool(bool b) { ScriptValue v = make(Kind::Boolean); v.boolean = b; return v; }
  static ScriptValue fromInt(int32_t i) { ScriptValue v = make(Kind::Int32); v.int32 = i; return v; }
  static ScriptValue fromDouble(double d) { ScriptValue v = make(Kind::Double); v.number = d; return v; }
  static ScriptValue fromText(std::u16string s) { ScriptValue v = make(Kind::String); v.text = std::move(s); return v; }

 private:
  static ScriptValue make(Kind k) { ScriptValue v; v.kind = k; return v; }
};

// What the engine records about the last script failure.
struct ScriptFailure {
  int32_t number = 0;  // 0: no error recorded
  std::u16string source;
  std::u16string description;
  std::u16string text;  // the source line of a compilation error
  int32_t line = 0;     // 1-based; 0 when unknown
  int32_t column = 0;   // 0: Duktape reports no column
};

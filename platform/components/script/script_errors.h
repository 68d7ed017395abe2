// Script failures in the style of the script control's own JavaScript
// engine: an error number, a source ("... compilation error" for text the
// engine could not read, "... runtime error" otherwise) and a description.
//
// Duktape error                                  number  description
// SyntaxError, unterminated string               1015    Unterminated string constant
// SyntaxError, unterminated comment              1016    Unterminated comment
// SyntaxError in a regular expression            5017    Syntax error in regular expression
// SyntaxError from JSON.parse                    1014    Invalid character
// any other SyntaxError                          1002    Syntax error
// ReferenceError "identifier 'x' undefined"      5009    'x' is undefined
// any other ReferenceError                       5008    Illegal assignment
// TypeError "... not callable"                   5002    Function expected
// TypeError "cannot read property 'p' of ..."    5007    Unable to get property 'p' of undefined or null reference
// TypeError "cannot write property 'p' of ..."   5007    Unable to set property 'p' of undefined or null reference
// TypeError "... not constructable"              445     Object doesn't support this action
// any other TypeError                            438     Object doesn't support this property or method
// RangeError "alloc failed" (memory cap)         7       Out of memory
// RangeError "execution timeout" (time limit)    E_ABORT Script execution timed out
// RangeError from a recursion or stack limit     28      Out of stack space
// RangeError "invalid length"                    5029    Array length must be a finite positive integer
// any other RangeError, EvalError                5       Invalid procedure call or argument
// URIError                                       5025    The URI to be decoded is not a valid encoding
// an Error object thrown by the script           its numeric `number` property when non-zero
//                                                (the low word of an 0x800Axxxx code), else 5022;
//                                                its message, else "Exception thrown and not caught"
// any other thrown value                         5022    Exception thrown and not caught
//
// The engine also reports 7 "Out of memory" when its heap is unusable and
// 28 "Out of stack space" when no thread with enough stack could be had.
#pragma once

#include <cstdint>
#include <string>

#include "platform/components/script/script_value.h"

inline constexpr char16_t kCompilationErrorSource[] = u"Microsoft JScript compilation error";
inline constexpr char16_t kRuntimeErrorSource[] = u"Microsoft JScript runtime error";
// The number of a script stopped at its time limit: E_ABORT (0x80004004).
inline constexpr int32_t kScriptTimeoutNumber = static_cast<int32_t>(0x80004004u);

// What Duktape tells about a thrown value (UTF-8 texts).
struct ThrownValueFacts {
  bool atCompile = false;  // thrown while compiling the submitted text
  bool isErrorObject = false;
  std::string name;
  std::string message;
  int32_t line = 0;
  bool hasNumber = false;
  double number = 0;
};

// Number, source, description and line; `text` is left to the caller.
ScriptFailure describeThrownValue(const ThrownValueFacts& facts);

// The engine's own failures.
ScriptFailure timedOutError();
ScriptFailure outOfMemoryError();
ScriptFailure outOfStackError();

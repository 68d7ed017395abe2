// The charset correction of a response: a page that declares its charset in
// a meta element within its first 1024 bytes is decoded again from its bytes
// through the ADODB.Stream component.
#pragma once

#include "platform/text/text.h"
#include "script/com_object.h"
#include "script/regex_matcher.h"

// The charset a page declares ("<meta ... charset=NAME") in the first 1024
// bytes of `text`, searched with `matcher`; empty when none.
Text declaredCharset(RegexMatcher& matcher, const Text& text);

// Re-decodes `body` when `charset` is neither empty, "gbk" nor "gb2312"
// (compared exactly) and replaces `text` with the result, in the local code
// page. `stream` and `bodyValue` are the caller's bridge holders; both are
// cleared afterwards. When the component cannot be created or refuses the
// charset name, `text` stays as it was.
void redecodeBody(const Text& charset, const ByteArray& body, ComObject& stream,
                  Variant& bodyValue, Text& text);

// What the engine takes from a response's raw header block: the block
// itself, the status text, the cookies the server set (merged with the
// ones sent when asked) and the redirect location.
#pragma once

#include "platform/text/text.h"

struct ResponseHeaderOutputs {
  Text* responseHeaders = nullptr;  // each output is written only when given
  Text* statusText = nullptr;
  Text* receivedCookies = nullptr;
  Text* redirectLocation = nullptr;  // written only when a "Location: " line is present
};

// Reads `headerText` (CR LF lines, the status line first) into `out`.
// statusText is the text from byte 10 of the block to the first CR LF at or
// after it ("200 OK" for "HTTP/1.1 200 OK"); with `mergeCookies` and
// non-empty `sendCookies`, receivedCookies is the merge of both.
void readResponseHeaders(const Text& headerText, const Text& sendCookies, bool mergeCookies,
                         const ResponseHeaderOutputs& out);

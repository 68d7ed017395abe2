// The version notice: at every start the program fetches a small JSON
// document from its maker's endpoint and goes on only when the version
// published there reads exactly like its own.
#pragma once

#include <cstdint>

#include "platform/text/text.h"

class JsonDocument;

// The notice address: the run-time override (KESTRUNE_NOTICE_URL) when set,
// else the address built into the program.
Text noticeAddress();

// The bytes of `text` read as UTF-8 and written in DefaultCodePage (GBK).
Text utf8ToLocalText(const Text& text);

// The fetch and the reading of the notice: sets AppVersion, requests
// `address`, stores the converted document in NoticeText, parses it into
// `document` and reads data.V, data.C and data.W into NoticeVersion, NoticeC
// and NoticeW. True when NoticeVersion equals AppVersion byte for byte.
// `statusText`, when given, receives the request's status text or failure
// message; the request is the same either way.
bool readVersionNotice(JsonDocument& document, const Text& address, Text* statusText = nullptr);

// Ends process `processId` (0: this process) with exit code 0; true when it
// was terminated. For this process it does not return.
bool endProcessNow(uint32_t processId);

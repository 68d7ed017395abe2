// Deterministic generator of the tail-number table text.
#pragma once

#include "platform/text/text.h"

// The whole table as GBK text: 10,000 lines "tail=grade=price", CR LF
// between lines, none after the last.
Text generateTailTableText();

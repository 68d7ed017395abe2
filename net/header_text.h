// Small text helpers shared by the header and cookie functions.
#pragma once

#include <string_view>

#include "platform/text/text.h"

// `text` without leading and trailing blanks (the character 0x20).
Text trimBlanks(std::string_view text);

// True when `text` begins with `prefix`, ASCII letters compared without case.
bool beginsWithIgnoringCase(std::string_view text, std::string_view prefix);

// Removes the last `count` bytes (all of them when the text is shorter).
void dropLast(Text& text, size_t count);

// Text as the Duktape heap stores it: CESU-8, that is UTF-8 in which every
// UTF-16 code unit (surrogate halves included) is encoded on its own. Script
// strings are sequences of UTF-16 units, so this keeps lengths and indices
// exactly as the script sees them, lone surrogates included.
#pragma once

#include <string>
#include <string_view>

std::string utf16ToCesu8(std::u16string_view units);

// Also reads four-byte UTF-8 sequences (as a surrogate pair); a malformed
// byte becomes U+FFFD.
std::u16string cesu8ToUtf16(std::string_view bytes);

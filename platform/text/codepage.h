// Code-page conversion with the semantics of the Windows functions
// MultiByteToWideChar / WideCharToMultiByte (flags 0) for the code pages this
// program uses: 936 (GBK), 65001 (UTF-8), CP_ACP (= 936 on this platform).
//
// Ill-formed input never stops a conversion: an ill-formed multi-byte
// sequence becomes U+FFFD, a UTF-16 unit that the target cannot hold (or an
// unpaired surrogate towards GBK) becomes "?", and the rest is converted.
//
// In the Windows build the two functions are the system's own (windows/
// holds the helpers below, built on them); CP_ACP is then the system's ANSI
// code page, 936 on Chinese Windows.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/text/wide.h"

#ifdef _WIN32
#include "platform/windows_sdk.h"  // CP_ACP, CP_UTF8, the two functions
constexpr uint32_t CP_GBK = 936;
#else
constexpr uint32_t CP_ACP = 0;
constexpr uint32_t CP_OEMCP = 1;
constexpr uint32_t CP_GBK = 936;
constexpr uint32_t CP_UTF8 = 65001;

// Windows signatures. cbMultiByte / cchWideChar of -1 mean "up to and
// including the terminating zero". A zero output size asks for the length
// needed. Returns the number of units written (or needed), 0 on failure:
// unsupported code page, bad arguments, or an output buffer too small.
int MultiByteToWideChar(uint32_t codePage, uint32_t flags, const char* multiByte,
                        int cbMultiByte, char16_t* wideChar, int cchWideChar);
int WideCharToMultiByte(uint32_t codePage, uint32_t flags, const char16_t* wideChar,
                        int cchWideChar, char* multiByte, int cbMultiByte,
                        const char* defaultChar, int* usedDefaultChar);
#endif

// True for the code pages above.
bool isSupportedCodePage(uint32_t codePage);

// Whole-string helpers built on the two functions.
WideString multiByteToUtf16(std::string_view bytes, uint32_t codePage);
std::string utf16ToMultiByte(WideStringView units, uint32_t codePage);

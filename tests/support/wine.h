// Telling Wine from Windows at run time. The Windows suite runs under Wine,
// which lacks a few things of Windows; a test that meets one of these gaps is
// skipped under Wine only, with the gap's reason (the Windows README lists
// them). On Linux nothing is Wine, and the macro does nothing.
#pragma once

#include <gtest/gtest.h>

#include <string>

#ifdef _WIN32
#include "platform/windows_sdk.h"
#endif

// Wine's version ("8.0"), or empty on Windows and Linux.
inline std::string wineVersion() {
#ifdef _WIN32
  using Getter = const char*(CDECL*)();
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  const FARPROC get = ntdll ? GetProcAddress(ntdll, "wine_get_version") : nullptr;
  return get ? std::string(reinterpret_cast<Getter>(reinterpret_cast<void*>(get))()) : std::string();
#else
  return {};
#endif
}

#define SKIP_UNDER_WINE(gap)                                                                  \
  do {                                                                                        \
    if (!wineVersion().empty()) GTEST_SKIP() << "Wine " << wineVersion() << " lacks this: " << (gap); \
  } while (0)

// Wine's gaps that tests meet, measured with Wine 8.0.
namespace wine_gap {
inline constexpr char RegExpMatchTypeInfo[] =
    "the match collection of VBScript.RegExp has no type information (GetTypeInfo is a stub), "
    "and the automation bridge binds members through type information only";
inline constexpr char ScriptErrorDetails[] =
    "the script control reports a syntax error as 0x800A03EA with localised texts";
inline constexpr char StreamByName[] =
    "ADODB.Stream cannot be reached by name through IDispatch and has no ReadText or WriteText";
inline constexpr char ProfileRewrite[] =
    "the private-profile functions write the whole file anew from what they parsed: blank lines "
    "and the spacing of lines a write did not touch are lost";
inline constexpr char ProfileEdges[] =
    "the private-profile functions keep a default's trailing blanks, copy the default for the "
    "key list of a missing section, list a section named twice twice, and cut values and lists "
    "at the buffer's end without regard to two-byte characters or the final zeros";
}  // namespace wine_gap

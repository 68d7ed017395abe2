#include "net/hot_fix_query.h"

#include <cstddef>
#include <cstring>
#include <string>

#include "net/com_call.h"
#include "net/wide_text.h"
#include "platform/com/class_registry.h"
#include "platform/com/proxy_blanket.h"
#include "platform/components/wmi/wbem_interfaces.h"
#include "platform/system/local_memory.h"

namespace {

constexpr int32_t ConnectServerSlot = 3;
constexpr int32_t ExecQuerySlot = 20;
constexpr int32_t NextSlot = 4;
constexpr int32_t GetSlot = 4;
constexpr LONG QueryFlags = WBEM_FLAG_FORWARD_ONLY | WBEM_FLAG_RETURN_IMMEDIATELY;

constexpr char AllHotFixesQuery[] = "SELECT HotFixID FROM Win32_QuickFixEngineering";
constexpr char OneHotFixQuery[] =
    "SELECT HotFixID FROM Win32_QuickFixEngineering WHERE HotFixID = '";

// UTF-16 units of toWideText's bytes, zero-terminated.
WideString wideUnits(const ByteArray& bytes) {
  WideString units(bytes.size() / 2, WIDE('\0'));
  std::memcpy(units.data(), bytes.data(), units.size() * 2);
  return units;
}

WideString wideText(const Text& text) { return wideUnits(toWideText(text)); }

// Inside the quotes of a WQL literal a quote ends the literal and a backslash
// escapes the next character: either would let the identifier rewrite the query.
bool fitsInLiteral(const Text& text) {
  return findText(text, "'") < 0 && findText(text, "\\") < 0;
}

// Appends the HotFixID of every object the enumerator delivers.
void collectHotFixIds(void* enumerator, HotFixList& list) {
  auto* buffer = static_cast<unsigned char*>(LocalAlloc(LPTR, sizeof(VARIANT)));
  if (!buffer) return;
  const WideString property = wideText("HotFixID");
  int32_t result = 0;
  ULONG returned = 0;
  do {
    void* object = nullptr;
    returned = 0;
    result = callComMethod(enumerator, NextSlot, WBEM_INFINITE, ULONG{1}, &object, &returned);
    if (result == 0 && object) {
      std::memset(buffer, 0, sizeof(VARIANT));
      const int32_t got = callComMethod(object, GetSlot, property.c_str(), LONG{0},
                                        reinterpret_cast<VARIANT*>(buffer),
                                        static_cast<CIMTYPE*>(nullptr), static_cast<LONG*>(nullptr));
      if (got == 0) {
        BSTR value = nullptr;
        std::memcpy(&value, buffer + offsetof(VARIANT, bstrVal), sizeof value);
        if (value) {
          list.push_back(bstrToText(value));
          SysFreeString(value);
        }
      }
    }
    releaseComObject(&object);
  } while (result == 0 && returned != 0);
  LocalFree(buffer);
}

}  // namespace

void* connectWmi(const ByteArray& wideNamespace) {
  void* locator = nullptr;
  if (CoCreateInstance(CLSID_WbemLocator, nullptr, CLSCTX_INPROC_SERVER, IID_IWbemLocator,
                       &locator) != 0 ||
      !locator)
    return nullptr;
  const WideString name = wideUnits(wideNamespace);
  const BSTR none = nullptr;
  void* services = nullptr;
  const int32_t result =
      callComMethod(locator, ConnectServerSlot, name.c_str(), none, none, none, LONG{0}, none,
                    static_cast<void*>(nullptr), &services);
  if (result == 0 && services) {
    CoSetProxyBlanket(static_cast<IUnknown*>(services), RPC_C_AUTHN_WINNT, RPC_C_AUTHZ_NONE,
                      nullptr, RPC_C_AUTHN_LEVEL_CALL, RPC_C_IMP_LEVEL_IMPERSONATE, nullptr,
                      EOAC_NONE);
  } else {
    releaseComObject(&services);
  }
  releaseComObject(&locator);
  return services;
}

int32_t queryHotFixes(HotFixList& list, const Text& hotFixId, bool filtered) {
  list.clear();
  if (filtered && !fitsInLiteral(hotFixId)) return 0;
  void* services = connectWmi(toWideText("root\\CIMV2"));
  if (!services) return 0;
  const Text query = filtered ? OneHotFixQuery + hotFixId + "'" : Text(AllHotFixesQuery);
  const WideString language = wideText("WQL");
  const WideString queryText = wideText(query);
  void* enumerator = nullptr;
  if (callComMethod(services, ExecQuerySlot, language.c_str(), queryText.c_str(), QueryFlags,
                    static_cast<void*>(nullptr), &enumerator) == 0 &&
      enumerator)
    collectHotFixIds(enumerator, list);
  releaseComObject(&enumerator);
  releaseComObject(&services);
  return static_cast<int32_t>(list.size());
}

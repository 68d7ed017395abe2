#include "platform/com/interfaces.h"

HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib** typeLib) {
  if (!typeLib) return E_INVALIDARG;
  *typeLib = nullptr;
  if (!file) return E_INVALIDARG;
  return TYPE_E_CANTLOADLIBRARY;
}

HRESULT RegisterTypeLib(ITypeLib* typeLib, LPCOLESTR fullPath, LPCOLESTR) {
  if (!typeLib || !fullPath) return E_INVALIDARG;
  return S_OK;  // nothing to record: libraries are never loaded from files here
}

ULONG LHashValOfNameSys(SYSKIND sys, LCID lcid, LPCOLESTR name) {
  if (!name) return 0;
  uint32_t hash = 0x811C9DC5u;
  for (; *name; ++name) {
    char16_t c = *name;
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
    hash = (hash ^ c) * 0x01000193u;
  }
  return (static_cast<ULONG>(sys & 0xFF) << 24) | ((lcid & 0xFF) << 16) | (hash % 0x1003F & 0xFFFF);
}

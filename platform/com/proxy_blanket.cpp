#include "platform/com/proxy_blanket.h"

HRESULT CoSetProxyBlanket(IUnknown* proxy, DWORD, DWORD, OLECHAR*, DWORD authnLevel,
                          DWORD impLevel, void*, DWORD) {
  if (!proxy) return E_INVALIDARG;
  if (authnLevel > RPC_C_AUTHN_LEVEL_PKT_PRIVACY) return E_INVALIDARG;
  if (impLevel > RPC_C_IMP_LEVEL_DELEGATE) return E_INVALIDARG;
  return S_OK;
}

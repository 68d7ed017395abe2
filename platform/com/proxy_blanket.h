// CoSetProxyBlanket: the authentication settings of calls through a proxy.
//
// Every object here lives in the calling process, so there is no proxy whose
// settings could change; the function checks its arguments as Windows does
// and accepts the blanket for any object.
#pragma once

#include "platform/com/interfaces.h"

#ifdef _WIN32
#include "platform/windows_sdk.h"  // CoSetProxyBlanket and the RPC_C_* constants
#else
constexpr DWORD RPC_C_AUTHN_NONE = 0;
constexpr DWORD RPC_C_AUTHN_WINNT = 10;
constexpr DWORD RPC_C_AUTHZ_NONE = 0;
constexpr DWORD RPC_C_AUTHN_LEVEL_DEFAULT = 0;
constexpr DWORD RPC_C_AUTHN_LEVEL_CALL = 3;
constexpr DWORD RPC_C_AUTHN_LEVEL_PKT_PRIVACY = 6;
constexpr DWORD RPC_C_IMP_LEVEL_DEFAULT = 0;
constexpr DWORD RPC_C_IMP_LEVEL_IMPERSONATE = 3;
constexpr DWORD RPC_C_IMP_LEVEL_DELEGATE = 4;
constexpr DWORD EOAC_NONE = 0;

// S_OK for an object; E_INVALIDARG for null, an authentication level above
// RPC_C_AUTHN_LEVEL_PKT_PRIVACY or an impersonation level above
// RPC_C_IMP_LEVEL_DELEGATE (the DEFAULT values are accepted).
HRESULT CoSetProxyBlanket(IUnknown* proxy, DWORD authnService, DWORD authzService,
                          OLECHAR* serverPrincipalName, DWORD authnLevel, DWORD impLevel,
                          void* authInfo, DWORD capabilities);
#endif  // _WIN32

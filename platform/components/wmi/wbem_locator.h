// The WMI stand-in: the WbemLocator class (CLSID_WbemLocator) with the
// namespace root\CIMV2 and its class Win32_QuickFixEngineering, whose
// instances are the hot-fixes of the list file (hot_fix_list.h).
//
// What each object answers (all other methods: WBEM_E_NOT_SUPPORTED):
// - IWbemLocator::ConnectServer: the namespace "root\CIMV2" ("/" may stand
//   for "\"), without case; another namespace fails with
//   WBEM_E_INVALID_NAMESPACE, a user or password with
//   WBEM_E_LOCAL_CREDENTIALS (as for every local connection).
// - IWbemServices::ExecQuery: language "WQL" (else WBEM_E_INVALID_QUERY_TYPE);
//   a query of the subset in wql_query.h (else WBEM_E_INVALID_QUERY) on
//   Win32_QuickFixEngineering (else WBEM_E_INVALID_CLASS) naming only its
//   properties (else WBEM_E_INVALID_QUERY). WHERE compares without case,
//   as WQL does. The list file is read once per query.
// - IEnumWbemClassObject::Next: up to `count` instances; WBEM_S_NO_ERROR
//   when all were delivered, WBEM_S_FALSE when fewer (the end). Every
//   instance is ready at once, so the timeout (WBEM_INFINITE or a number of
//   milliseconds) never runs out. Skip likewise; Reset unless the query asked
//   for WBEM_FLAG_FORWARD_ONLY (then WBEM_E_INVALID_OPERATION).
// - IWbemClassObject::Get: a selected property's value as a BSTR (VT_NULL
//   when the instance has none, as for every property other than HotFixID
//   and Description), its type CIM_STRING; WBEM_E_NOT_FOUND for a property
//   that was not selected.
#pragma once

#include "platform/components/wmi/wbem_interfaces.h"

// A new locator with one reference.
IWbemLocator* newWbemLocator();

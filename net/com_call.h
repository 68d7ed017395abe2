// Raw calls into COM objects by slot number of their method table, for code
// that talks to a component without type information (the hot-fix query).
#pragma once

#include <cstdint>

#include "platform/com/com_types.h"
#include "platform/text/text.h"

// The method in `slot` of the object's method table, or null when a call
// must not be made: the object's first pointer-sized bytes cannot be read
// (IsBadReadPtr), the table's entry for the slot cannot be read, or the
// entry is not code of this process (IsBadCodePtr).
void* comMethodAt(const void* object, int32_t slot);

// Calls the method in `slot` with the object as first argument followed by
// `args`, and gives its 32-bit result; 0 without a call when comMethodAt
// refuses. Pass arguments in the method's own types (LONG, ULONG, pointers),
// so that each lands where the method expects it. The call uses COM's calling
// convention (__stdcall on 32-bit Windows: the method pops its arguments).
template <typename... Args>
int32_t callComMethod(void* object, int32_t slot, Args... args) {
  void* method = comMethodAt(object, slot);
  if (!method) return 0;
  using Method = int32_t(STDMETHODCALLTYPE*)(void*, Args...);
  return reinterpret_cast<Method>(method)(object, args...);
}

// When *object is not null: calls Release (slot 2) and sets *object to null.
void releaseComObject(void** object);

// Local text of a BSTR; null or an empty string gives empty text.
Text bstrToText(BSTR text);

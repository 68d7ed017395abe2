// VARIANT, BSTR and the one-dimensional SAFEARRAY of OLE Automation, with the
// Windows functions that create, copy, clear and convert them.
//
// BSTR: UTF-16 units preceded by a 32-bit byte count and followed by a zero
// unit; a null BSTR is the empty string. SAFEARRAY: one dimension with its own
// lower bound (more dimensions are refused). VariantChangeType performs the
// coercions of the Windows function for the types listed in VARENUM below,
// formatting and parsing numbers with "." and "," as US English does, and
// dates in the Chinese (PRC) short form "2024/1/5" (see variant_change.cpp).
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "platform/com/com_types.h"

#ifdef _WIN32
#include "platform/windows_sdk.h"  // VARIANT, BSTR, SAFEARRAY and their functions
// The SDK of mingw-w64 declares the source of these functions without const;
// they do not change it, and the program's code passes const sources.
inline HRESULT VariantCopy(VARIANT* dest, const VARIANT* src) {
  return ::VariantCopy(dest, const_cast<VARIANT*>(src));
}
inline HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src) {
  return ::VariantCopyInd(dest, const_cast<VARIANT*>(src));
}
inline HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt) {
  return ::VariantChangeType(dest, const_cast<VARIANT*>(src), flags, vt);
}
#else
struct IUnknown;
struct IDispatch;
struct IRecordInfo;

enum VARENUM : VARTYPE {
  VT_EMPTY = 0,
  VT_NULL = 1,
  VT_I2 = 2,
  VT_I4 = 3,
  VT_R4 = 4,
  VT_R8 = 5,
  VT_CY = 6,
  VT_DATE = 7,
  VT_BSTR = 8,
  VT_DISPATCH = 9,
  VT_ERROR = 10,
  VT_BOOL = 11,
  VT_VARIANT = 12,
  VT_UNKNOWN = 13,
  VT_DECIMAL = 14,
  VT_I1 = 16,
  VT_UI1 = 17,
  VT_UI2 = 18,
  VT_UI4 = 19,
  VT_I8 = 20,
  VT_UI8 = 21,
  VT_INT = 22,
  VT_UINT = 23,
  VT_VOID = 24,
  VT_HRESULT = 25,
  VT_PTR = 26,
  VT_SAFEARRAY = 27,
  VT_CARRAY = 28,
  VT_USERDEFINED = 29,
  VT_LPSTR = 30,
  VT_LPWSTR = 31,
  VT_RECORD = 36,
  VT_ARRAY = 0x2000,
  VT_BYREF = 0x4000,
  VT_TYPEMASK = 0x0FFF,
};

// ---- BSTR ------------------------------------------------------------------
BSTR SysAllocString(LPCOLESTR text);                  // null in: null out
BSTR SysAllocStringLen(const OLECHAR* text, UINT length);  // text may be null
BSTR SysAllocStringByteLen(const char* bytes, UINT byteLength);
int SysReAllocString(BSTR* target, LPCOLESTR text);
void SysFreeString(BSTR text);
UINT SysStringLen(BSTR text);
UINT SysStringByteLen(BSTR text);

// ---- SAFEARRAY ---------------------------------------------------------------
struct SAFEARRAYBOUND {
  ULONG cElements;
  LONG lLbound;
};

struct SAFEARRAY {
  USHORT cDims;
  USHORT fFeatures;
  ULONG cbElements;
  ULONG cLocks;
  void* pvData;
  SAFEARRAYBOUND rgsabound[1];
};

constexpr USHORT FADF_AUTO = 0x1;
constexpr USHORT FADF_STATIC = 0x2;
constexpr USHORT FADF_EMBEDDED = 0x4;
constexpr USHORT FADF_FIXEDSIZE = 0x10;
constexpr USHORT FADF_RECORD = 0x20;
constexpr USHORT FADF_HAVEIID = 0x40;
constexpr USHORT FADF_HAVEVARTYPE = 0x80;
constexpr USHORT FADF_BSTR = 0x100;
constexpr USHORT FADF_UNKNOWN = 0x200;
constexpr USHORT FADF_DISPATCH = 0x400;
constexpr USHORT FADF_VARIANT = 0x800;

SAFEARRAY* SafeArrayCreate(VARTYPE vt, UINT cDims, SAFEARRAYBOUND* bounds);  // cDims must be 1
SAFEARRAY* SafeArrayCreateVector(VARTYPE vt, LONG lowerBound, ULONG elements);
HRESULT SafeArrayDestroy(SAFEARRAY* array);
UINT SafeArrayGetDim(SAFEARRAY* array);
UINT SafeArrayGetElemsize(SAFEARRAY* array);
HRESULT SafeArrayGetLBound(SAFEARRAY* array, UINT dim, LONG* lowerBound);
HRESULT SafeArrayGetUBound(SAFEARRAY* array, UINT dim, LONG* upperBound);
HRESULT SafeArrayGetVartype(SAFEARRAY* array, VARTYPE* vt);
HRESULT SafeArrayLock(SAFEARRAY* array);
HRESULT SafeArrayUnlock(SAFEARRAY* array);
HRESULT SafeArrayAccessData(SAFEARRAY* array, void** data);
HRESULT SafeArrayUnaccessData(SAFEARRAY* array);
// Element access copies: BSTRs are duplicated, interfaces AddRef'ed, VARIANTs
// copied; PutElement frees what the slot held before.
HRESULT SafeArrayPutElement(SAFEARRAY* array, LONG* indices, void* value);
HRESULT SafeArrayGetElement(SAFEARRAY* array, LONG* indices, void* value);
HRESULT SafeArrayCopy(SAFEARRAY* array, SAFEARRAY** copy);

// ---- VARIANT -----------------------------------------------------------------
struct VARIANT {
  VARTYPE vt;
  WORD wReserved1;
  WORD wReserved2;
  WORD wReserved3;
  union {
    LONG lVal;
    BYTE bVal;
    SHORT iVal;
    float fltVal;
    double dblVal;
    VARIANT_BOOL boolVal;
    SCODE scode;
    DATE date;
    BSTR bstrVal;
    IUnknown* punkVal;
    IDispatch* pdispVal;
    SAFEARRAY* parray;
    BYTE* pbVal;
    SHORT* piVal;
    LONG* plVal;
    float* pfltVal;
    double* pdblVal;
    VARIANT_BOOL* pboolVal;
    SCODE* pscode;
    DATE* pdate;
    BSTR* pbstrVal;
    IUnknown** ppunkVal;
    IDispatch** ppdispVal;
    SAFEARRAY** pparray;
    VARIANT* pvarVal;
    void* byref;
    struct {
      void* pvRecord;
      IRecordInfo* pRecInfo;
    };
  };
};
using VARIANTARG = VARIANT;

void VariantInit(VARIANT* v);
HRESULT VariantClear(VARIANT* v);
HRESULT VariantCopy(VARIANT* dest, const VARIANT* src);
HRESULT VariantCopyInd(VARIANT* dest, const VARIANT* src);

// VariantChangeType flags.
constexpr USHORT VARIANT_NOVALUEPROP = 0x1;
constexpr USHORT VARIANT_ALPHABOOL = 0x2;
constexpr USHORT VARIANT_NOUSEROVERRIDE = 0x4;
constexpr USHORT VARIANT_LOCALBOOL = 0x10;

// dest may be src (converted in place); on failure dest is left unchanged,
// except that an object whose default value cannot be read leaves it VT_EMPTY.
HRESULT VariantChangeType(VARIANT* dest, const VARIANT* src, USHORT flags, VARTYPE vt);
HRESULT VariantChangeTypeEx(VARIANT* dest, const VARIANT* src, LCID lcid, USHORT flags,
                            VARTYPE vt);

// True for the types a VARIANT may hold by value here (before VT_ARRAY/VT_BYREF).
bool isSupportedVariantType(VARTYPE base);
// Element types a one-dimensional SAFEARRAY in a VARIANT may hold.
bool isArrayElementType(VARTYPE base);

// Small helpers for building values (the VARIANT owns what it is given).
VARIANT variantFromInt(int32_t value);
VARIANT variantFromDouble(double value);
VARIANT variantFromBool(bool value);
VARIANT variantFromText(std::u16string_view text);  // a new BSTR
VARIANT variantFromDispatch(IDispatch* object);     // AddRef'ed

// Dates: days since 1899-12-30, the time of day as the fraction (for days
// before the epoch the fraction still counts forward from midnight).
bool dateFromParts(int year, int month, int day, int hour, int minute, int second, DATE& out);
bool dateToParts(DATE date, int& year, int& month, int& day, int& hour, int& minute, int& second);
#endif  // _WIN32

// Convenience forms, on both sides.
inline BSTR bstrFrom(WideStringView text) {  // a new BSTR
  return SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
}
inline WideStringView bstrView(BSTR text) {
  return text ? WideStringView(text, SysStringLen(text)) : WideStringView();
}
// VT_ERROR holding DISP_E_PARAMNOTFOUND: an omitted optional argument.
inline VARIANT variantMissing() {
  VARIANT v;
  VariantInit(&v);
  v.vt = VT_ERROR;
  v.scode = DISP_E_PARAMNOTFOUND;
  return v;
}

// The COM and OLE Automation interfaces, as C++ abstract classes: no data, no
// virtual destructor, methods in the real interface order, so that each
// method sits in its real slot of the method table. Objects are released
// through Release, never deleted by their users.
#pragma once

#include "platform/com/com_types.h"
#include "platform/com/variant.h"

#ifdef _WIN32
#include "platform/windows_sdk.h"  // IUnknown, IDispatch, ITypeInfo, ITypeComp, ITypeLib
#else
// ---- identifiers ----------------------------------------------------------
constexpr IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IClassFactory = {0x00000001, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IRunnableObject = {0x00000126, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IRecordInfo = {0x0000002F, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IDispatch = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_ITypeInfo = {0x00020401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_ITypeLib = {0x00020402, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_ITypeComp = {0x00020403, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr IID IID_IEnumVARIANT = {0x00020404, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

// ---- type descriptions ------------------------------------------------------
enum TYPEKIND {
  TKIND_ENUM, TKIND_RECORD, TKIND_MODULE, TKIND_INTERFACE,
  TKIND_DISPATCH, TKIND_COCLASS, TKIND_ALIAS, TKIND_UNION, TKIND_MAX
};
enum FUNCKIND { FUNC_VIRTUAL, FUNC_PUREVIRTUAL, FUNC_NONVIRTUAL, FUNC_STATIC, FUNC_DISPATCH };
enum INVOKEKIND {
  INVOKE_FUNC = 1, INVOKE_PROPERTYGET = 2, INVOKE_PROPERTYPUT = 4, INVOKE_PROPERTYPUTREF = 8
};
enum VARKIND { VAR_PERINSTANCE, VAR_STATIC, VAR_CONST, VAR_DISPATCH };
enum CALLCONV { CC_FASTCALL = 0, CC_CDECL = 1, CC_PASCAL = 2, CC_STDCALL = 4 };
enum DESCKIND {
  DESCKIND_NONE, DESCKIND_FUNCDESC, DESCKIND_VARDESC, DESCKIND_TYPECOMP,
  DESCKIND_IMPLICITAPPOBJ, DESCKIND_MAX
};
enum SYSKIND { SYS_WIN16, SYS_WIN32, SYS_MAC, SYS_WIN64 };

constexpr USHORT PARAMFLAG_NONE = 0x0;
constexpr USHORT PARAMFLAG_FIN = 0x1;
constexpr USHORT PARAMFLAG_FOUT = 0x2;
constexpr USHORT PARAMFLAG_FLCID = 0x4;
constexpr USHORT PARAMFLAG_FRETVAL = 0x8;
constexpr USHORT PARAMFLAG_FOPT = 0x10;
constexpr USHORT PARAMFLAG_FHASDEFAULT = 0x20;

constexpr WORD TYPEFLAG_FDUAL = 0x40;
constexpr WORD TYPEFLAG_FDISPATCHABLE = 0x1000;
constexpr WORD VARFLAG_FREADONLY = 0x1;
constexpr WORD FUNCFLAG_FDEFAULTBIND = 0x20;

struct TYPEDESC;
struct ARRAYDESC;
struct TYPEDESC {
  union {
    TYPEDESC* lptdesc;   // VT_PTR, VT_SAFEARRAY: the pointed-to / element type
    ARRAYDESC* lpadesc;  // VT_CARRAY
    HREFTYPE hreftype;   // VT_USERDEFINED
  };
  VARTYPE vt;
};
struct ARRAYDESC {
  TYPEDESC tdescElem;
  USHORT cDims;
  SAFEARRAYBOUND rgbounds[1];
};
struct PARAMDESCEX {
  ULONG cBytes;
  VARIANTARG varDefaultValue;
};
struct PARAMDESC {
  PARAMDESCEX* pparamdescex;
  USHORT wParamFlags;
};
struct IDLDESC {
  ULONG* dwReserved;
  USHORT wIDLFlags;
};
struct ELEMDESC {
  TYPEDESC tdesc;
  union {
    IDLDESC idldesc;
    PARAMDESC paramdesc;
  };
};
struct FUNCDESC {
  MEMBERID memid;
  SCODE* lprgscode;
  ELEMDESC* lprgelemdescParam;
  FUNCKIND funckind;
  INVOKEKIND invkind;
  CALLCONV callconv;
  SHORT cParams;
  SHORT cParamsOpt;  // -1: the last parameter takes a variable argument list
  SHORT oVft;
  SHORT cScodes;
  ELEMDESC elemdescFunc;
  WORD wFuncFlags;
};
struct VARDESC {
  MEMBERID memid;
  LPOLESTR lpstrSchema;
  union {
    ULONG oInst;
    VARIANT* lpvarValue;
  };
  ELEMDESC elemdescVar;
  WORD wVarFlags;
  VARKIND varkind;
};
struct TYPEATTR {
  GUID guid;
  LCID lcid;
  DWORD dwReserved;
  MEMBERID memidConstructor;
  MEMBERID memidDestructor;
  LPOLESTR lpstrSchema;
  ULONG cbSizeInstance;
  TYPEKIND typekind;
  WORD cFuncs;
  WORD cVars;
  WORD cImplTypes;
  WORD cbSizeVft;
  WORD cbAlignment;
  WORD wTypeFlags;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
  TYPEDESC tdescAlias;
  IDLDESC idldescType;
};
struct TLIBATTR {
  GUID guid;
  LCID lcid;
  SYSKIND syskind;
  WORD wMajorVerNum;
  WORD wMinorVerNum;
  WORD wLibFlags;
};

struct ITypeComp;
union BINDPTR {
  FUNCDESC* lpfuncdesc;
  VARDESC* lpvardesc;
  ITypeComp* lptcomp;
};

struct DISPPARAMS {
  VARIANTARG* rgvarg;          // arguments in reverse order (last argument first)
  DISPID* rgdispidNamedArgs;
  UINT cArgs;
  UINT cNamedArgs;
};

struct EXCEPINFO {
  WORD wCode;
  WORD wReserved;
  BSTR bstrSource;
  BSTR bstrDescription;
  BSTR bstrHelpFile;
  DWORD dwHelpContext;
  void* pvReserved;
  HRESULT (*pfnDeferredFillIn)(EXCEPINFO*);
  SCODE scode;
};

// ---- interfaces -------------------------------------------------------------
struct IUnknown {
  virtual HRESULT QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG AddRef() = 0;
  virtual ULONG Release() = 0;
};

struct ITypeInfo;
struct ITypeLib;

struct IDispatch : IUnknown {
  virtual HRESULT GetTypeInfoCount(UINT* count) = 0;
  virtual HRESULT GetTypeInfo(UINT index, LCID lcid, ITypeInfo** typeInfo) = 0;
  virtual HRESULT GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                                DISPID* ids) = 0;
  virtual HRESULT Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;
};

struct ITypeComp : IUnknown {
  virtual HRESULT Bind(LPOLESTR name, ULONG hashVal, WORD flags, ITypeInfo** typeInfo,
                       DESCKIND* descKind, BINDPTR* bindPtr) = 0;
  virtual HRESULT BindType(LPOLESTR name, ULONG hashVal, ITypeInfo** typeInfo,
                           ITypeComp** typeComp) = 0;
};

struct ITypeInfo : IUnknown {
  virtual HRESULT GetTypeAttr(TYPEATTR** attr) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** typeComp) = 0;
  virtual HRESULT GetFuncDesc(UINT index, FUNCDESC** desc) = 0;
  virtual HRESULT GetVarDesc(UINT index, VARDESC** desc) = 0;
  virtual HRESULT GetNames(MEMBERID member, BSTR* names, UINT maxNames, UINT* count) = 0;
  virtual HRESULT GetRefTypeOfImplType(UINT index, HREFTYPE* refType) = 0;
  virtual HRESULT GetImplTypeFlags(UINT index, INT* flags) = 0;
  virtual HRESULT GetIDsOfNames(LPOLESTR* names, UINT count, MEMBERID* ids) = 0;
  virtual HRESULT Invoke(void* instance, MEMBERID member, WORD flags, DISPPARAMS* params,
                         VARIANT* result, EXCEPINFO* exception, UINT* argError) = 0;
  virtual HRESULT GetDocumentation(MEMBERID member, BSTR* name, BSTR* docString,
                                   DWORD* helpContext, BSTR* helpFile) = 0;
  virtual HRESULT GetDllEntry(MEMBERID member, INVOKEKIND kind, BSTR* dllName, BSTR* name,
                              WORD* ordinal) = 0;
  virtual HRESULT GetRefTypeInfo(HREFTYPE refType, ITypeInfo** typeInfo) = 0;
  virtual HRESULT AddressOfMember(MEMBERID member, INVOKEKIND kind, void** address) = 0;
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT GetMops(MEMBERID member, BSTR* mops) = 0;
  virtual HRESULT GetContainingTypeLib(ITypeLib** typeLib, UINT* index) = 0;
  virtual void ReleaseTypeAttr(TYPEATTR* attr) = 0;
  virtual void ReleaseFuncDesc(FUNCDESC* desc) = 0;
  virtual void ReleaseVarDesc(VARDESC* desc) = 0;
};

struct ITypeLib : IUnknown {
  virtual UINT GetTypeInfoCount() = 0;
  virtual HRESULT GetTypeInfo(UINT index, ITypeInfo** typeInfo) = 0;
  virtual HRESULT GetTypeInfoType(UINT index, TYPEKIND* kind) = 0;
  virtual HRESULT GetTypeInfoOfGuid(REFGUID guid, ITypeInfo** typeInfo) = 0;
  virtual HRESULT GetLibAttr(TLIBATTR** attr) = 0;
  virtual HRESULT GetTypeComp(ITypeComp** typeComp) = 0;
  virtual HRESULT GetDocumentation(INT index, BSTR* name, BSTR* docString, DWORD* helpContext,
                                   BSTR* helpFile) = 0;
  virtual HRESULT IsName(LPOLESTR name, ULONG hashVal, BOOL* found) = 0;
  virtual HRESULT FindName(LPOLESTR name, ULONG hashVal, ITypeInfo** typeInfos,
                           MEMBERID* members, USHORT* found) = 0;
  virtual void ReleaseTLibAttr(TLIBATTR* attr) = 0;
};

struct IClassFactory : IUnknown {
  virtual HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT LockServer(BOOL lock) = 0;
};

struct IRunnableObject : IUnknown {
  virtual HRESULT GetRunningClass(CLSID* clsid) = 0;
  virtual HRESULT Run(void* bindContext) = 0;
  virtual BOOL IsRunning() = 0;
  virtual HRESULT LockRunning(BOOL lock, BOOL lastUnlockCloses) = 0;
  virtual HRESULT SetContainedObject(BOOL contained) = 0;
};

struct IRecordInfo : IUnknown {
  virtual HRESULT RecordInit(void* record) = 0;
  virtual HRESULT RecordClear(void* record) = 0;
  virtual HRESULT RecordCopy(void* existing, void* copy) = 0;
  virtual HRESULT GetGuid(GUID* guid) = 0;
  virtual HRESULT GetName(BSTR* name) = 0;
  virtual HRESULT GetSize(ULONG* size) = 0;
  virtual HRESULT GetTypeInfo(ITypeInfo** typeInfo) = 0;
  virtual HRESULT GetField(void* data, LPCOLESTR field, VARIANT* value) = 0;
  virtual HRESULT GetFieldNoCopy(void* data, LPCOLESTR field, VARIANT* value, void** dataCArray) = 0;
  virtual HRESULT PutField(ULONG flags, void* data, LPCOLESTR field, VARIANT* value) = 0;
  virtual HRESULT PutFieldNoCopy(ULONG flags, void* data, LPCOLESTR field, VARIANT* value) = 0;
  virtual HRESULT GetFieldNames(ULONG* count, BSTR* names) = 0;
  virtual BOOL IsMatchingType(IRecordInfo* other) = 0;
  virtual void* RecordCreate() = 0;
  virtual HRESULT RecordCreateCopy(void* source, void** copy) = 0;
  virtual HRESULT RecordDestroy(void* record) = 0;
};

// ---- type libraries -----------------------------------------------------------
// There are no type-library files on this platform: LoadTypeLib always fails
// with TYPE_E_CANTLOADLIBRARY.
HRESULT LoadTypeLib(LPCOLESTR file, ITypeLib** typeLib);
HRESULT RegisterTypeLib(ITypeLib* typeLib, LPCOLESTR fullPath, LPCOLESTR helpDir);
// Case-insensitive hash of a member name (low word); the high word carries
// the system kind and the low byte of the locale. Binding accepts any hash.
ULONG LHashValOfNameSys(SYSKIND sys, LCID lcid, LPCOLESTR name);
inline ULONG LHashValOfName(LCID lcid, LPCOLESTR name) {
  return LHashValOfNameSys(SYS_WIN32, lcid, name);
}
#endif  // _WIN32

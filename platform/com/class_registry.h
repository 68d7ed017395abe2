// COM start-up per thread and the class registry: ProgIDs and class ids of
// the automation components, CLSIDFromProgID / CLSIDFromString,
// CoCreateInstance, OleRun.
//
// Every thread keeps its own CoInitialize count. CoCreateInstance on a thread
// whose count is 0 fails with CO_E_NOTINITIALIZED. A class that is known by
// ProgID but whose component is not built has no factory: creating it fails
// with REGDB_E_CLASSNOTREG.
#pragma once

#include <functional>
#include <string_view>

#include "platform/com/com_types.h"
#include "platform/com/interfaces.h"

// Class ids of the components the program uses by name.
constexpr CLSID CLSID_VBScriptRegExp = {
    0x3F4DACA4, 0x160D, 0x11D2, {0xA8, 0xE9, 0x00, 0x10, 0x4B, 0x36, 0x5C, 0x9F}};
constexpr CLSID CLSID_ScriptControl = {
    0x0E59F1D5, 0x1FBE, 0x11D0, {0x8F, 0xF2, 0x00, 0xA0, 0xD1, 0x00, 0x38, 0xBC}};
constexpr CLSID CLSID_AdodbStream = {
    0x00000566, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x6D, 0x2E, 0xA4}};

#ifdef _WIN32
#include "platform/windows_sdk.h"  // CoInitialize, CLSIDFromProgID, CoCreateInstance, OleRun
#else
// CoInitialize: S_OK for the first call on a thread, S_FALSE for each further
// one (the count goes up either way). `reserved` must be null (else
// E_INVALIDARG). CoUninitialize undoes one call; extra calls do nothing.
HRESULT CoInitialize(void* reserved);
HRESULT CoInitializeEx(void* reserved, DWORD coInit);
void CoUninitialize();
// The calling thread's count (0: COM not initialised here).
int comInitializeCount();
// OLE start-up for a GUI thread: CoInitialize with the same results (the
// clipboard and drag-and-drop parts of OLE have nothing to set up here).
HRESULT OleInitialize(void* reserved);
void OleUninitialize();

// Registry: ProgID (case-insensitive) -> class id.
HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid);
// "{...}" form, or a registered ProgID; CO_E_CLASSSTRING otherwise.
HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid);
HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId);  // free with SysFreeString

// Creates an instance and returns its `riid` interface. Rejects a null
// `object` (E_POINTER), a context without CLSCTX_INPROC_SERVER for these
// in-process classes (REGDB_E_CLASSNOTREG), an outer object
// (CLASS_E_NOAGGREGATION) and an uninitialised thread (CO_E_NOTINITIALIZED).
HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object);

// Puts an object into the running state: IRunnableObject::Run when the object
// has that interface, else nothing to do (S_OK). E_INVALIDARG for null.
HRESULT OleRun(IUnknown* object);

// ---- for components ---------------------------------------------------------
// Creates a new instance (reference count 1) or returns null when it cannot.
using ComponentFactory = std::function<IUnknown*()>;

// Adds a ProgID -> class id entry (the ProgID keeps the case given).
void registerProgId(std::u16string_view progId, REFCLSID clsid);
// Gives a class its factory, replacing an earlier one; a null factory removes it.
void registerClassFactory(REFCLSID clsid, ComponentFactory factory);
// True when the class has a factory.
bool isClassAvailable(REFCLSID clsid);
#endif  // _WIN32

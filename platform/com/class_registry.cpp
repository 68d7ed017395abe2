#include "platform/com/class_registry.h"

#include <mutex>
#include <string>
#include <vector>

#include "platform/com/automation_class.h"

namespace {

thread_local int initializeCount = 0;

struct ClassEntry {
  CLSID clsid;
  std::vector<std::u16string> progIds;
  ComponentFactory factory;
};

struct Registry {
  std::mutex mutex;
  std::vector<ClassEntry> classes;

  Registry() {
    add(u"VBScript.RegExp", CLSID_VBScriptRegExp);
    add(u"MSScriptControl.ScriptControl", CLSID_ScriptControl);
    add(u"ADODB.Stream", CLSID_AdodbStream);
  }

  ClassEntry* find(REFCLSID clsid) {
    for (ClassEntry& e : classes)
      if (e.clsid == clsid) return &e;
    return nullptr;
  }

  ClassEntry* findProgId(std::u16string_view progId) {
    for (ClassEntry& e : classes)
      for (const std::u16string& p : e.progIds)
        if (sameMemberName(p, progId)) return &e;
    return nullptr;
  }

  ClassEntry& entry(REFCLSID clsid) {
    if (ClassEntry* e = find(clsid)) return *e;
    classes.push_back({clsid, {}, nullptr});
    return classes.back();
  }

  void add(std::u16string_view progId, REFCLSID clsid) {
    if (findProgId(progId)) return;
    entry(clsid).progIds.emplace_back(progId);
  }
};

Registry& registry() {
  static Registry r;
  return r;
}

std::u16string_view viewOf(LPCOLESTR s) {
  return s ? std::u16string_view(s) : std::u16string_view();
}

}  // namespace

HRESULT CoInitialize(void* reserved) { return CoInitializeEx(reserved, 0); }

HRESULT CoInitializeEx(void* reserved, DWORD) {
  if (reserved) return E_INVALIDARG;
  return initializeCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize() {
  if (initializeCount > 0) --initializeCount;
}

int comInitializeCount() { return initializeCount; }

HRESULT OleInitialize(void* reserved) { return CoInitializeEx(reserved, 0); }

void OleUninitialize() { CoUninitialize(); }

HRESULT CLSIDFromProgID(LPCOLESTR progId, CLSID* clsid) {
  if (!progId || !clsid) return E_INVALIDARG;
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  ClassEntry* e = r.findProgId(viewOf(progId));
  if (!e) {
    *clsid = GUID_NULL;
    return CO_E_CLASSSTRING;
  }
  *clsid = e->clsid;
  return S_OK;
}

HRESULT CLSIDFromString(LPCOLESTR text, CLSID* clsid) {
  if (!clsid) return E_INVALIDARG;
  if (!text) {
    *clsid = GUID_NULL;
    return S_OK;
  }
  if (text[0] == u'{') {
    if (!parseGuid(viewOf(text), *clsid)) {
      *clsid = GUID_NULL;
      return CO_E_CLASSSTRING;
    }
    return S_OK;
  }
  return CLSIDFromProgID(text, clsid);
}

HRESULT ProgIDFromCLSID(REFCLSID clsid, LPOLESTR* progId) {
  if (!progId) return E_INVALIDARG;
  *progId = nullptr;
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  ClassEntry* e = r.find(clsid);
  if (!e || e->progIds.empty()) return REGDB_E_CLASSNOTREG;
  *progId = bstrFrom(e->progIds.front());
  return *progId ? S_OK : E_OUTOFMEMORY;
}

HRESULT CoCreateInstance(REFCLSID clsid, IUnknown* outer, DWORD context, REFIID riid,
                         void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (context == 0) return E_INVALIDARG;
  if (initializeCount == 0) return CO_E_NOTINITIALIZED;
  ComponentFactory factory;
  {
    Registry& r = registry();
    std::lock_guard lock(r.mutex);
    if (ClassEntry* e = r.find(clsid)) factory = e->factory;
  }
  // Every component here is an in-process server.
  if (!factory || !(context & CLSCTX_INPROC_SERVER)) return REGDB_E_CLASSNOTREG;
  if (outer) return CLASS_E_NOAGGREGATION;
  IUnknown* instance = nullptr;
  try {
    instance = factory();
  } catch (...) {
    instance = nullptr;
  }
  if (!instance) return E_OUTOFMEMORY;
  HRESULT hr = instance->QueryInterface(riid, object);
  instance->Release();
  if (FAILED(hr)) {
    *object = nullptr;
    return hr;
  }
  return S_OK;
}

HRESULT OleRun(IUnknown* object) {
  if (!object) return E_INVALIDARG;
  IRunnableObject* runnable = nullptr;
  if (FAILED(object->QueryInterface(IID_IRunnableObject, reinterpret_cast<void**>(&runnable))) ||
      !runnable)
    return S_OK;  // not a runnable object: it is running already
  HRESULT hr = runnable->Run(nullptr);
  runnable->Release();
  return hr;
}

void registerProgId(std::u16string_view progId, REFCLSID clsid) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.add(progId, clsid);
}

void registerClassFactory(REFCLSID clsid, ComponentFactory factory) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  r.entry(clsid).factory = std::move(factory);
}

bool isClassAvailable(REFCLSID clsid) {
  Registry& r = registry();
  std::lock_guard lock(r.mutex);
  ClassEntry* e = r.find(clsid);
  return e && e->factory;
}

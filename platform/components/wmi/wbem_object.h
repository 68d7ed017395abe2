// Building blocks of WMI objects: a reference-counting IUnknown and, per
// interface, a base whose every method answers WBEM_E_NOT_SUPPORTED, so that
// an object overrides only what it really does.
#pragma once

#include <atomic>

#include "platform/components/wmi/wbem_interfaces.h"

// The IUnknown part of an object that offers one interface (`Base` derives
// from it, `iid` names it). Created with one reference; the last Release
// deletes the `Derived` object.
template <class Derived, class Base, const IID& iid>
class WbemObject : public Base {
 public:
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == iid) {
      *object = static_cast<Base*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++references_; }
  ULONG Release() override {
    const ULONG left = --references_;
    if (left == 0) delete static_cast<Derived*>(this);
    return left;
  }

 private:
  std::atomic<ULONG> references_{1};
};

struct UnsupportedWbemClassObject : IWbemClassObject {
  HRESULT GetQualifierSet(IWbemQualifierSet**) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT Get(LPCOLESTR, LONG, VARIANT*, CIMTYPE*, LONG*) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT Put(LPCOLESTR, LONG, VARIANT*, CIMTYPE) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT Delete(LPCOLESTR) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT GetNames(LPCOLESTR, LONG, VARIANT*, SAFEARRAY**) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT BeginEnumeration(LONG) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT Next(LONG, BSTR*, VARIANT*, CIMTYPE*, LONG*) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT EndEnumeration() override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT GetPropertyQualifierSet(LPCOLESTR, IWbemQualifierSet**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT Clone(IWbemClassObject**) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT GetObjectText(LONG, BSTR*) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT SpawnDerivedClass(LONG, IWbemClassObject**) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT SpawnInstance(LONG, IWbemClassObject**) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT CompareTo(LONG, IWbemClassObject*) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT GetPropertyOrigin(LPCOLESTR, BSTR*) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT InheritsFrom(LPCOLESTR) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT GetMethod(LPCOLESTR, LONG, IWbemClassObject**, IWbemClassObject**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT PutMethod(LPCOLESTR, LONG, IWbemClassObject*, IWbemClassObject*) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT DeleteMethod(LPCOLESTR) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT BeginMethodEnumeration(LONG) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT NextMethod(LONG, BSTR*, IWbemClassObject**, IWbemClassObject**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT EndMethodEnumeration() override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT GetMethodQualifierSet(LPCOLESTR, IWbemQualifierSet**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT GetMethodOrigin(LPCOLESTR, BSTR*) override { return WBEM_E_NOT_SUPPORTED; }
};

struct UnsupportedEnumWbemClassObject : IEnumWbemClassObject {
  HRESULT Reset() override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT Next(LONG, ULONG, IWbemClassObject**, ULONG*) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT NextAsync(ULONG, IWbemObjectSink*) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT Clone(IEnumWbemClassObject**) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT Skip(LONG, ULONG) override { return WBEM_E_NOT_SUPPORTED; }
};

struct UnsupportedWbemServices : IWbemServices {
  HRESULT OpenNamespace(const BSTR, LONG, IWbemContext*, IWbemServices**,
                        IWbemCallResult**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT CancelAsyncCall(IWbemObjectSink*) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT QueryObjectSink(LONG, IWbemObjectSink**) override { return WBEM_E_NOT_SUPPORTED; }
  HRESULT GetObject(const BSTR, LONG, IWbemContext*, IWbemClassObject**,
                    IWbemCallResult**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT GetObjectAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT PutClass(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT PutClassAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT DeleteClass(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT DeleteClassAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT CreateClassEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT CreateClassEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT PutInstance(IWbemClassObject*, LONG, IWbemContext*, IWbemCallResult**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT PutInstanceAsync(IWbemClassObject*, LONG, IWbemContext*, IWbemObjectSink*) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT DeleteInstance(const BSTR, LONG, IWbemContext*, IWbemCallResult**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT DeleteInstanceAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT CreateInstanceEnum(const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT CreateInstanceEnumAsync(const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT ExecQuery(const BSTR, const BSTR, LONG, IWbemContext*, IEnumWbemClassObject**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT ExecQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemObjectSink*) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT ExecNotificationQuery(const BSTR, const BSTR, LONG, IWbemContext*,
                                IEnumWbemClassObject**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT ExecNotificationQueryAsync(const BSTR, const BSTR, LONG, IWbemContext*,
                                     IWbemObjectSink*) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT ExecMethod(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                     IWbemClassObject**, IWbemCallResult**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
  HRESULT ExecMethodAsync(const BSTR, const BSTR, LONG, IWbemContext*, IWbemClassObject*,
                          IWbemObjectSink*) override {
    return WBEM_E_NOT_SUPPORTED;
  }
};

struct UnsupportedWbemLocator : IWbemLocator {
  HRESULT ConnectServer(const BSTR, const BSTR, const BSTR, const BSTR, LONG, const BSTR,
                        IWbemContext*, IWbemServices**) override {
    return WBEM_E_NOT_SUPPORTED;
  }
};

// Windows Management Instrumentation as its callers see it: the class id of
// the locator, the four interfaces a query goes through, their identifiers
// and the WBEM result codes and flags. The interfaces are abstract classes
// with no data and no virtual destructor, their methods in the real order, so
// that every method sits in its real slot of the method table:
//
//   IWbemLocator          3 ConnectServer
//   IWbemServices        20 ExecQuery
//   IEnumWbemClassObject  4 Next
//   IWbemClassObject      4 Get
#pragma once

#include "platform/com/interfaces.h"

#ifdef _WIN32
#include <wbemcli.h>  // the system's WMI interfaces; CLSID_WbemLocator from wbemuuid
#else
constexpr CLSID CLSID_WbemLocator = {
    0x4590F811, 0x1D3A, 0x11D0, {0x89, 0x1F, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
constexpr IID IID_IWbemLocator = {
    0xDC12A687, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};
constexpr IID IID_IWbemServices = {
    0x9556DC99, 0x828C, 0x11CF, {0xA3, 0x7E, 0x00, 0xAA, 0x00, 0x32, 0x40, 0xC7}};
constexpr IID IID_IEnumWbemClassObject = {
    0x027947E1, 0xD731, 0x11CE, {0xA3, 0x57, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01}};
constexpr IID IID_IWbemClassObject = {
    0xDC12A681, 0x737F, 0x11CF, {0x88, 0x4D, 0x00, 0xAA, 0x00, 0x4B, 0x2E, 0x24}};

using CIMTYPE = LONG;
constexpr CIMTYPE CIM_STRING = 8;

constexpr HRESULT WBEM_S_NO_ERROR = 0;
constexpr HRESULT WBEM_S_FALSE = 1;
constexpr HRESULT WBEM_S_TIMEDOUT = 0x40004;
constexpr HRESULT WBEM_E_FAILED = hresult(0x80041001);
constexpr HRESULT WBEM_E_NOT_FOUND = hresult(0x80041002);
constexpr HRESULT WBEM_E_OUT_OF_MEMORY = hresult(0x80041006);
constexpr HRESULT WBEM_E_INVALID_PARAMETER = hresult(0x80041008);
constexpr HRESULT WBEM_E_NOT_SUPPORTED = hresult(0x8004100C);
constexpr HRESULT WBEM_E_INVALID_NAMESPACE = hresult(0x8004100E);
constexpr HRESULT WBEM_E_INVALID_CLASS = hresult(0x80041010);
constexpr HRESULT WBEM_E_INVALID_OPERATION = hresult(0x80041016);
constexpr HRESULT WBEM_E_INVALID_QUERY = hresult(0x80041017);
constexpr HRESULT WBEM_E_INVALID_QUERY_TYPE = hresult(0x80041018);
constexpr HRESULT WBEM_E_LOCAL_CREDENTIALS = hresult(0x80041064);

constexpr LONG WBEM_INFINITE = -1;
constexpr LONG WBEM_FLAG_RETURN_IMMEDIATELY = 0x10;
constexpr LONG WBEM_FLAG_FORWARD_ONLY = 0x20;
constexpr LONG WBEM_FLAVOR_ORIGIN_LOCAL = 0;

// Interfaces that appear only as arguments of methods the stand-in does not
// offer.
struct IWbemContext;
struct IWbemCallResult;
struct IWbemObjectSink;
struct IWbemQualifierSet;
struct IWbemServices;
struct IEnumWbemClassObject;

struct IWbemClassObject : IUnknown {
  virtual HRESULT GetQualifierSet(IWbemQualifierSet** qualifiers) = 0;
  virtual HRESULT Get(LPCOLESTR name, LONG flags, VARIANT* value, CIMTYPE* type, LONG* flavor) = 0;
  virtual HRESULT Put(LPCOLESTR name, LONG flags, VARIANT* value, CIMTYPE type) = 0;
  virtual HRESULT Delete(LPCOLESTR name) = 0;
  virtual HRESULT GetNames(LPCOLESTR qualifierName, LONG flags, VARIANT* qualifierValue,
                           SAFEARRAY** names) = 0;
  virtual HRESULT BeginEnumeration(LONG flags) = 0;
  virtual HRESULT Next(LONG flags, BSTR* name, VARIANT* value, CIMTYPE* type, LONG* flavor) = 0;
  virtual HRESULT EndEnumeration() = 0;
  virtual HRESULT GetPropertyQualifierSet(LPCOLESTR property, IWbemQualifierSet** qualifiers) = 0;
  virtual HRESULT Clone(IWbemClassObject** copy) = 0;
  virtual HRESULT GetObjectText(LONG flags, BSTR* text) = 0;
  virtual HRESULT SpawnDerivedClass(LONG flags, IWbemClassObject** newClass) = 0;
  virtual HRESULT SpawnInstance(LONG flags, IWbemClassObject** instance) = 0;
  virtual HRESULT CompareTo(LONG flags, IWbemClassObject* other) = 0;
  virtual HRESULT GetPropertyOrigin(LPCOLESTR name, BSTR* className) = 0;
  virtual HRESULT InheritsFrom(LPCOLESTR ancestor) = 0;
  virtual HRESULT GetMethod(LPCOLESTR name, LONG flags, IWbemClassObject** inSignature,
                            IWbemClassObject** outSignature) = 0;
  virtual HRESULT PutMethod(LPCOLESTR name, LONG flags, IWbemClassObject* inSignature,
                            IWbemClassObject* outSignature) = 0;
  virtual HRESULT DeleteMethod(LPCOLESTR name) = 0;
  virtual HRESULT BeginMethodEnumeration(LONG flags) = 0;
  virtual HRESULT NextMethod(LONG flags, BSTR* name, IWbemClassObject** inSignature,
                             IWbemClassObject** outSignature) = 0;
  virtual HRESULT EndMethodEnumeration() = 0;
  virtual HRESULT GetMethodQualifierSet(LPCOLESTR method, IWbemQualifierSet** qualifiers) = 0;
  virtual HRESULT GetMethodOrigin(LPCOLESTR methodName, BSTR* className) = 0;
};

struct IEnumWbemClassObject : IUnknown {
  virtual HRESULT Reset() = 0;
  virtual HRESULT Next(LONG timeout, ULONG count, IWbemClassObject** objects, ULONG* returned) = 0;
  virtual HRESULT NextAsync(ULONG count, IWbemObjectSink* sink) = 0;
  virtual HRESULT Clone(IEnumWbemClassObject** copy) = 0;
  virtual HRESULT Skip(LONG timeout, ULONG count) = 0;
};

struct IWbemServices : IUnknown {
  virtual HRESULT OpenNamespace(const BSTR name, LONG flags, IWbemContext* context,
                                IWbemServices** workingNamespace, IWbemCallResult** result) = 0;
  virtual HRESULT CancelAsyncCall(IWbemObjectSink* sink) = 0;
  virtual HRESULT QueryObjectSink(LONG flags, IWbemObjectSink** responseHandler) = 0;
  virtual HRESULT GetObject(const BSTR path, LONG flags, IWbemContext* context,
                            IWbemClassObject** object, IWbemCallResult** result) = 0;
  virtual HRESULT GetObjectAsync(const BSTR path, LONG flags, IWbemContext* context,
                                 IWbemObjectSink* responseHandler) = 0;
  virtual HRESULT PutClass(IWbemClassObject* object, LONG flags, IWbemContext* context,
                           IWbemCallResult** result) = 0;
  virtual HRESULT PutClassAsync(IWbemClassObject* object, LONG flags, IWbemContext* context,
                                IWbemObjectSink* responseHandler) = 0;
  virtual HRESULT DeleteClass(const BSTR className, LONG flags, IWbemContext* context,
                              IWbemCallResult** result) = 0;
  virtual HRESULT DeleteClassAsync(const BSTR className, LONG flags, IWbemContext* context,
                                   IWbemObjectSink* responseHandler) = 0;
  virtual HRESULT CreateClassEnum(const BSTR superclass, LONG flags, IWbemContext* context,
                                  IEnumWbemClassObject** enumerator) = 0;
  virtual HRESULT CreateClassEnumAsync(const BSTR superclass, LONG flags, IWbemContext* context,
                                       IWbemObjectSink* responseHandler) = 0;
  virtual HRESULT PutInstance(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                              IWbemCallResult** result) = 0;
  virtual HRESULT PutInstanceAsync(IWbemClassObject* instance, LONG flags, IWbemContext* context,
                                   IWbemObjectSink* responseHandler) = 0;
  virtual HRESULT DeleteInstance(const BSTR path, LONG flags, IWbemContext* context,
                                 IWbemCallResult** result) = 0;
  virtual HRESULT DeleteInstanceAsync(const BSTR path, LONG flags, IWbemContext* context,
                                      IWbemObjectSink* responseHandler) = 0;
  virtual HRESULT CreateInstanceEnum(const BSTR className, LONG flags, IWbemContext* context,
                                     IEnumWbemClassObject** enumerator) = 0;
  virtual HRESULT CreateInstanceEnumAsync(const BSTR className, LONG flags, IWbemContext* context,
                                          IWbemObjectSink* responseHandler) = 0;
  virtual HRESULT ExecQuery(const BSTR language, const BSTR query, LONG flags,
                            IWbemContext* context, IEnumWbemClassObject** enumerator) = 0;
  virtual HRESULT ExecQueryAsync(const BSTR language, const BSTR query, LONG flags,
                                 IWbemContext* context, IWbemObjectSink* responseHandler) = 0;
  virtual HRESULT ExecNotificationQuery(const BSTR language, const BSTR query, LONG flags,
                                        IWbemContext* context,
                                        IEnumWbemClassObject** enumerator) = 0;
  virtual HRESULT ExecNotificationQueryAsync(const BSTR language, const BSTR query, LONG flags,
                                             IWbemContext* context,
                                             IWbemObjectSink* responseHandler) = 0;
  virtual HRESULT ExecMethod(const BSTR path, const BSTR method, LONG flags, IWbemContext* context,
                             IWbemClassObject* inParams, IWbemClassObject** outParams,
                             IWbemCallResult** result) = 0;
  virtual HRESULT ExecMethodAsync(const BSTR path, const BSTR method, LONG flags,
                                  IWbemContext* context, IWbemClassObject* inParams,
                                  IWbemObjectSink* responseHandler) = 0;
};

struct IWbemLocator : IUnknown {
  virtual HRESULT ConnectServer(const BSTR networkResource, const BSTR user, const BSTR password,
                                const BSTR locale, LONG securityFlags, const BSTR authority,
                                IWbemContext* context, IWbemServices** services) = 0;
};
#endif  // _WIN32

// CoInitialize counts, ProgIDs and class ids, CoCreateInstance, OleRun,
// type libraries and name hashes.
#include <gtest/gtest.h>

#include <thread>

#include "platform/com/automation_class.h"
#include "platform/com/class_registry.h"

namespace {

constexpr CLSID CLSID_Probe = {0xC1A55001, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
constexpr IID IID_IProbe = {0xC1A55001, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};

struct Probe : AutomationObject, IRunnableObject {
  Probe() : AutomationObject(probeClass()) {}
  static inline int runs = 0;
  static inline HRESULT runResult = S_OK;
  static const AutomationClass& probeClass() {
    static const AutomationClass& cls = AutomationClassBuilder<Probe>(u"IProbe", IID_IProbe).build();
    return cls;
  }
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IRunnableObject) {
      *object = static_cast<IRunnableObject*>(this);
      AutomationObject::AddRef();
      return S_OK;
    }
    return AutomationObject::QueryInterface(riid, object);
  }
  ULONG AddRef() override { return AutomationObject::AddRef(); }
  ULONG Release() override { return AutomationObject::Release(); }
  HRESULT GetRunningClass(CLSID* clsid) override { *clsid = CLSID_Probe; return S_OK; }
  HRESULT Run(void*) override { ++runs; return runResult; }
  BOOL IsRunning() override { return runs > 0; }
  HRESULT LockRunning(BOOL, BOOL) override { return S_OK; }
  HRESULT SetContainedObject(BOOL) override { return S_OK; }
};

class ClassRegistryTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    registerProgId(u"Kestrune.Probe", CLSID_Probe);
    registerClassFactory(CLSID_Probe, [] { return static_cast<IUnknown*>(static_cast<IDispatch*>(new Probe)); });
  }
};

TEST_F(ClassRegistryTest, CoInitializeCountsPerThread) {
  int before = comInitializeCount();
  EXPECT_EQ(before == 0 ? S_OK : S_FALSE, CoInitialize(nullptr));
  EXPECT_EQ(S_FALSE, CoInitialize(nullptr));
  EXPECT_EQ(before + 2, comInitializeCount());
  int other = -1;
  std::thread([&] {
    other = comInitializeCount();
    EXPECT_EQ(S_OK, CoInitialize(nullptr));
    CoUninitialize();
  }).join();
  EXPECT_EQ(0, other);
  EXPECT_EQ(E_INVALIDARG, CoInitialize(reinterpret_cast<void*>(1)));
  EXPECT_EQ(S_FALSE, OleInitialize(nullptr));
  EXPECT_EQ(before + 3, comInitializeCount());
  OleUninitialize();
  CoUninitialize();
  CoUninitialize();
  EXPECT_EQ(before, comInitializeCount());
  for (int i = 0; i < before + 3; ++i) CoUninitialize();  // extra calls do nothing
  EXPECT_EQ(0, comInitializeCount());
  for (int i = 0; i < before; ++i) CoInitialize(nullptr);
}

TEST_F(ClassRegistryTest, ProgIdsOfTheComponents) {
  CLSID c;
  ASSERT_EQ(S_OK, CLSIDFromProgID(u"VBScript.RegExp", &c));
  EXPECT_EQ(u"{3F4DACA4-160D-11D2-A8E9-00104B365C9F}", guidToString(c));
  ASSERT_EQ(S_OK, CLSIDFromProgID(u"msscriptcontrol.scriptcontrol", &c));
  EXPECT_EQ(u"{0E59F1D5-1FBE-11D0-8FF2-00A0D10038BC}", guidToString(c));
  ASSERT_EQ(S_OK, CLSIDFromProgID(u"Adodb.Stream", &c));
  EXPECT_EQ(u"{00000566-0000-0010-8000-00AA006D2EA4}", guidToString(c));
  EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromProgID(u"No.Such.Thing", &c));
  EXPECT_EQ(E_INVALIDARG, CLSIDFromProgID(nullptr, &c));
  LPOLESTR name = nullptr;
  ASSERT_EQ(S_OK, ProgIDFromCLSID(CLSID_AdodbStream, &name));
  EXPECT_EQ(u"ADODB.Stream", bstrView(name));
  SysFreeString(name);
}

TEST_F(ClassRegistryTest, ClsidFromString) {
  CLSID c;
  ASSERT_EQ(S_OK, CLSIDFromString(u"{3f4daca4-160d-11d2-a8e9-00104b365c9f}", &c));
  EXPECT_TRUE(c == CLSID_VBScriptRegExp);
  ASSERT_EQ(S_OK, CLSIDFromString(u"VBScript.RegExp", &c));
  EXPECT_TRUE(c == CLSID_VBScriptRegExp);
  EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromString(u"{3F4DACA4-160D-11D2-A8E9-00104B365C9}", &c));
  EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromString(u"{3F4DACA4-160D-11D2-A8E9-00104B365C9G}", &c));
  EXPECT_EQ(CO_E_CLASSSTRING, CLSIDFromString(u"3F4DACA4-160D-11D2-A8E9-00104B365C9F", &c));
  char16_t buffer[39];
  EXPECT_EQ(39, StringFromGUID2(CLSID_ScriptControl, buffer, 39));
  EXPECT_EQ(0, StringFromGUID2(CLSID_ScriptControl, buffer, 38));
}

TEST_F(ClassRegistryTest, CoCreateInstance) {
  void* object = nullptr;
  EXPECT_EQ(CO_E_NOTINITIALIZED, CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_ALL, IID_IUnknown, &object));
  CoInitialize(nullptr);
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_ALL, IID_IProbe, &object));
  static_cast<IUnknown*>(object)->Release();
  EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_ALL, IID_ITypeLib, &object));
  EXPECT_EQ(nullptr, object);
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_LOCAL_SERVER, IID_IUnknown, &object));
  EXPECT_EQ(E_INVALIDARG, CoCreateInstance(CLSID_Probe, nullptr, 0, IID_IUnknown, &object));
  EXPECT_EQ(E_POINTER, CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_ALL, IID_IUnknown, nullptr));
  Probe outer;
  EXPECT_EQ(CLASS_E_NOAGGREGATION,
            CoCreateInstance(CLSID_Probe, static_cast<IDispatch*>(&outer), CLSCTX_ALL, IID_IUnknown, &object));
  // Known ProgID, component not built here: no factory.
  EXPECT_FALSE(isClassAvailable(CLSID_AdodbStream));
  EXPECT_EQ(REGDB_E_CLASSNOTREG, CoCreateInstance(CLSID_AdodbStream, nullptr, CLSCTX_ALL, IID_IUnknown, &object));
  CoUninitialize();
}

TEST_F(ClassRegistryTest, OleRun) {
  CoInitialize(nullptr);
  IUnknown* object = nullptr;
  ASSERT_EQ(S_OK, CoCreateInstance(CLSID_Probe, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                   reinterpret_cast<void**>(&object)));
  Probe::runs = 0;
  EXPECT_EQ(S_OK, OleRun(object));
  EXPECT_EQ(1, Probe::runs);
  Probe::runResult = E_FAIL;
  EXPECT_EQ(E_FAIL, OleRun(object));
  Probe::runResult = S_OK;
  object->Release();
  EXPECT_EQ(E_INVALIDARG, OleRun(nullptr));
  CoUninitialize();
}

TEST(TypeLibraryTest, LoadingAlwaysFails) {
  ITypeLib* library = reinterpret_cast<ITypeLib*>(1);
  EXPECT_EQ(TYPE_E_CANTLOADLIBRARY, LoadTypeLib(u"C:\\Windows\\System32\\vbscript.dll\\3", &library));
  EXPECT_EQ(nullptr, library);
  EXPECT_EQ(E_INVALIDARG, LoadTypeLib(u"x", nullptr));
}

TEST(TypeLibraryTest, NameHashIgnoresCase) {
  ULONG a = LHashValOfNameSys(SYS_WIN32, LOCALE_USER_DEFAULT, u"Pattern");
  EXPECT_EQ(a, LHashValOfNameSys(SYS_WIN32, LOCALE_USER_DEFAULT, u"PATTERN"));
  EXPECT_NE(a, LHashValOfNameSys(SYS_WIN32, LOCALE_USER_DEFAULT, u"Global"));
  EXPECT_EQ(0u, LHashValOfNameSys(SYS_WIN32, LOCALE_USER_DEFAULT, nullptr));
}

}  // namespace

// The automation bridge against components registered only here.
#include <gtest/gtest.h>

#include <thread>
#include <type_traits>

#include "platform/com/automation_class.h"
#include "platform/com/class_registry.h"
#include "platform/text/gbk.h"
#include "script/com_object.h"

namespace {

constexpr CLSID CLSID_TestThing = {0x7E57A001, 0x0001, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 1}};
constexpr CLSID CLSID_NoDispatch = {0x7E57A001, 0x0002, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 2}};
constexpr CLSID CLSID_NoTypeInfo = {0x7E57A001, 0x0003, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 3}};
constexpr IID IID_ITestThing = {0x7E57A001, 0x0101, 0x4000, {0x80, 0, 0, 0, 0, 0, 1, 1}};

struct TestThing : AutomationObject {
  TestThing() : AutomationObject(thingClass()) {
    for (VARIANT& v : lastArgs) VariantInit(&v);
  }
  static const AutomationClass& thingClass();
  std::u16string name = u"thing";
  int32_t items[4] = {0, 10, 20, 30};
  double level = 1.5;
  VARIANT lastArgs[4];
  UINT lastCount = 0;
  WORD lastFlags = 0;
  IDispatch* partner = nullptr;
  ~TestThing() override {
    for (VARIANT& v : lastArgs) VariantClear(&v);
    if (partner) partner->Release();
  }
};

HRESULT remember(TestThing& self, Call& call) {
  self.lastCount = call.count();
  self.lastFlags = call.flags();
  return call.returnInt(static_cast<int32_t>(call.count()));
}

const AutomationClass& TestThing::thingClass() {
  static const AutomationClass& cls =
      AutomationClassBuilder<TestThing>(u"ITestThing", IID_ITestThing)
          .property(u"Name", VT_BSTR,
                    [](TestThing& self, Call& call) { return call.returnText(self.name); },
                    [](TestThing& self, Call& call) { return call.text(0, self.name); })
          .variable(u"Level", VT_R8,
                    [](TestThing& self, Call& call) { return call.returnDouble(self.level); },
                    [](TestThing& self, Call& call) {
                      self.lastFlags = call.flags();
                      return call.real(0, self.level);
                    })
          .variable(u"Fixed", VT_I4, [](TestThing&, Call& call) { return call.returnInt(7); })
          .variable(u"Partner", VT_DISPATCH,
                    [](TestThing& self, Call& call) { return call.returnObject(self.partner); },
                    [](TestThing& self, Call& call) {
                      self.lastFlags = call.flags();
                      if (self.partner) self.partner->Release();
                      self.partner = call.arg(0).pdispVal;
                      if (self.partner) self.partner->AddRef();
                      return S_OK;
                    })
          .propertyGet(u"Item", VT_I4, {param(u"index", VT_I4)},
                       [](TestThing& self, Call& call) {
                         int32_t i = 0;
                         call.int32(0, i);
                         if (i < 0 || i > 3) return call.raise(u"TestThing", u"bad index");
                         return call.returnInt(self.items[i]);
                       })
          .propertyPut(u"Item", VT_I4, {param(u"index", VT_I4)},
                       [](TestThing& self, Call& call) {
                         int32_t i = 0, v = 0;
                         call.int32(0, i);
                         call.int32(1, v);
                         if (i < 0 || i > 3) return call.raise(u"TestThing", u"bad index");
                         self.items[i] = v;
                         return S_OK;
                       })
          .method(u"Join", VT_BSTR,
                  {param(u"a", VT_BSTR), optionalParam(u"b", VT_BSTR), optionalParam(u"c", VT_BSTR)},
                  [](TestThing& self, Call& call) {
                    std::u16string a, b = u"(b)", c = u"(c)";
                    call.text(0, a);
                    call.text(1, b);
                    call.text(2, c);
                    remember(self, call);
                    return call.returnText(a + u"|" + b + u"|" + c);
                  })
          .method(u"Count", VT_I4, {varArgsParam(u"values")}, remember)
          .method(u"Twice", VT_I4, {param(u"n", VT_I4)},
                  [](TestThing&, Call& call) {
                    int32_t n = 0;
                    call.int32(0, n);
                    return call.returnInt(2 * n);
                  })
          .method(u"Upper", VT_EMPTY, {outParam(u"text", VT_BSTR)},
                  [](TestThing&, Call& call) {
                    std::u16string t;
                    call.text(0, t);
                    for (auto& ch : t)
                      if (ch >= u'a' && ch <= u'z') ch = static_cast<char16_t>(ch - 32);
                    VARIANT v = variantFromText(t);
                    HRESULT hr = call.setOut(0, v);
                    VariantClear(&v);
                    return hr;
                  })
          .method(u"Bump", VT_EMPTY, {outParam(u"value", VT_VARIANT)},
                  [](TestThing&, Call& call) {
                    double d = 0;
                    call.real(0, d);
                    VARIANT v = variantFromDouble(d + 1);
                    return call.setOut(0, v);
                  })
          .method(u"Peek", VT_EMPTY, {refParam(u"value", VT_I4)},
                  [](TestThing& self, Call& call) {
                    VariantCopy(&self.lastArgs[0], &call.arg(0));
                    VARIANT v = variantFromInt(99);  // not an output: must not come back
                    return call.setOut(0, v);
                  })
          .method(u"Kind", VT_I4, {param(u"value", VT_VARIANT)},
                  [](TestThing& self, Call& call) {
                    return call.returnInt(call.arg(0).vt);
                  })
          .method(u"Adopt", VT_BOOL, {param(u"object", VT_DISPATCH)},
                  [](TestThing&, Call& call) {
                    return call.returnBool(call.arg(0).vt == VT_DISPATCH && call.arg(0).pdispVal);
                  })
          .method(u"FailWith", VT_EMPTY, {param(u"code", VT_I4)},
                  [](TestThing&, Call& call) {
                    int32_t code = 0;
                    call.int32(0, code);
                    return static_cast<HRESULT>(code);
                  })
          .method(u"Grow", VT_I4, {outParam(u"list", VT_ARRAY | VT_I4)},
                  [](TestThing&, Call& call) {
                    // Replaces the caller's array by one with an element more.
                    const VARIANT& in = call.arg(0);
                    if (in.vt != (VT_ARRAY | VT_I4)) return static_cast<HRESULT>(DISP_E_TYPEMISMATCH);
                    ULONG n = in.parray->rgsabound[0].cElements;
                    VARIANT grown{};
                    grown.vt = VT_ARRAY | VT_I4;
                    grown.parray = SafeArrayCreateVector(VT_I4, 1, n + 1);
                    HRESULT hr = call.setOut(0, grown);
                    VariantClear(&grown);
                    if (FAILED(hr)) return hr;
                    return call.returnInt(static_cast<int32_t>(n));
                  })
          .method(u"Self", VT_DISPATCH, {},
                  [](TestThing& self, Call& call) { return call.returnObject(&self); })
          .method(u"Record", VT_VARIANT, {},
                  [](TestThing&, Call& call) {
                    call.result().vt = VT_RECORD;  // a record without data: never accepted
                    return S_OK;
                  })
          .method(u"Flag", VT_BOOL, {}, [](TestThing&, Call& call) { return call.returnBool(true); })
          .build();
  return cls;
}

// Reference counting and QueryInterface for the bare test objects below:
// they answer IUnknown and, when they are an IDispatch, IDispatch.
template <class Self, class Interface>
struct Counted : Interface {
  ULONG refs = 1;
  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (riid == IID_IUnknown || (std::is_base_of_v<IDispatch, Interface> && riid == IID_IDispatch)) {
      *object = this;
      ++refs;
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override {
    ULONG left = --refs;
    if (!left) delete static_cast<Self*>(this);
    return left;
  }
};

// An object that has no IDispatch.
struct PlainUnknown final : Counted<PlainUnknown, IUnknown> {};

// An IDispatch without type information.
struct BlindDispatch final : Counted<BlindDispatch, IDispatch> {
  HRESULT GetTypeInfoCount(UINT* n) override { *n = 0; return S_OK; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo** t) override { *t = nullptr; return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID* ids) override {
    ids[0] = 1;
    return S_OK;
  }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return S_OK;
  }
};

// An object that refuses to run (OleRun fails).
struct Stubborn : TestThing, IRunnableObject {
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
  HRESULT GetRunningClass(CLSID*) override { return E_NOTIMPL; }
  HRESULT Run(void*) override { return E_FAIL; }
  BOOL IsRunning() override { return 0; }
  HRESULT LockRunning(BOOL, BOOL) override { return S_OK; }
  HRESULT SetContainedObject(BOOL) override { return S_OK; }
};
constexpr CLSID CLSID_Stubborn = {0x7E57A001, 0x0004, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 4}};
constexpr CLSID CLSID_Unbuilt = {0x7E57A001, 0x0005, 0x4000, {0x80, 0, 0, 0, 0, 0, 0, 5}};

class ComObjectTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    registerProgId(u"Kestrune.TestThing", CLSID_TestThing);
    registerProgId(u"Kestrune.NoDispatch", CLSID_NoDispatch);
    registerProgId(u"Kestrune.NoTypeInfo", CLSID_NoTypeInfo);
    registerProgId(u"Kestrune.Unbuilt", CLSID_Unbuilt);  // no factory
    registerClassFactory(CLSID_TestThing, [] { return static_cast<IUnknown*>(new TestThing); });
    registerClassFactory(CLSID_NoDispatch, [] { return static_cast<IUnknown*>(new PlainUnknown); });
    registerClassFactory(CLSID_NoTypeInfo, [] { return static_cast<IUnknown*>(new BlindDispatch); });
    registerProgId(u"Kestrune.Stubborn", CLSID_Stubborn);
    registerClassFactory(CLSID_Stubborn, [] { return static_cast<IUnknown*>(static_cast<IDispatch*>(new Stubborn)); });
  }
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_TRUE(thing.createObject("Kestrune.TestThing"));
  }
  void TearDown() override {
    thing.clear();
    CoUninitialize();
  }
  TestThing& state() { return *static_cast<TestThing*>(static_cast<IDispatch*>(thing.get())); }

  ComObject thing;
};

TEST_F(ComObjectTest, CreateObjectByProgIdInAnyCaseOrByClassId) {
  ComObject a, b;
  EXPECT_TRUE(a.createObject("kestrune.testTHING"));
  EXPECT_TRUE(b.createObject("{7E57A001-0001-4000-8000-000000000001}"));
  EXPECT_FALSE(a.isEmpty());
  EXPECT_EQ("thing", b.getPropertyText("Name"));
}

TEST_F(ComObjectTest, FailedCreateKeepsWhatTheHolderHad) {
  IUnknown* before = thing.get();
  EXPECT_FALSE(thing.createObject("Nobody.Registers.This"));
  EXPECT_FALSE(thing.createObject("{7E57A001-0001-4000-8000-0000000000FF}"));
  EXPECT_FALSE(thing.createObject("{not a class id}"));
  // Known ProgID whose component is not built: no factory.
  EXPECT_FALSE(thing.createObject("Kestrune.Unbuilt"));
  EXPECT_EQ(before, thing.get());
  EXPECT_EQ("thing", thing.getPropertyText("Name"));
}

TEST_F(ComObjectTest, ObjectThatDoesNotRunIsReleased) {
  IUnknown* before = thing.get();
  EXPECT_FALSE(thing.createObject("Kestrune.Stubborn"));
  EXPECT_EQ(before, thing.get());
}

TEST_F(ComObjectTest, CreateFailsOnThreadWithoutCom) {
  bool created = true;
  std::thread([&] {
    ComObject o;
    created = o.createObject("Kestrune.TestThing");
  }).join();
  EXPECT_FALSE(created);
}

TEST_F(ComObjectTest, TypeLibraryPathFallsBackToRegistry) {
  ComObject o;
  EXPECT_TRUE(o.createObject("Kestrune.TestThing", "C:\\Windows\\thing.tlb"));
}

TEST_F(ComObjectTest, EmptyHolderGivesEmptyValuesAndCodeMinusOne) {
  ComObject empty;
  EXPECT_TRUE(empty.isEmpty());
  EXPECT_EQ("", empty.callMethodText("Join", "a"));
  EXPECT_EQ(-1, LastInvokeError);
  EXPECT_EQ(0, empty.getPropertyNumber("Level"));
  EXPECT_TRUE(empty.getPropertyObject("Self").isEmpty());
  EXPECT_EQ(VT_EMPTY, empty.getPropertyVariant("Name").type());
  EXPECT_FALSE(empty.setProperty("Name", "x"));
  EXPECT_EQ(-1, LastInvokeError);
}

TEST_F(ComObjectTest, PropertiesReadAndWrittenAsText) {
  EXPECT_TRUE(thing.setProperty("name", "评估"_gbk));
  EXPECT_EQ(0, LastInvokeError);
  EXPECT_EQ(u"评估", state().name);
  EXPECT_EQ("评估"_gbk, thing.getPropertyText("NAME"));
}

TEST_F(ComObjectTest, PropertyWithArguments) {
  EXPECT_EQ(20, thing.getPropertyNumber("Item", 2));
  EXPECT_TRUE(thing.setProperty("Item", 2, "55"));
  EXPECT_EQ(55, state().items[2]);
  EXPECT_EQ(0, thing.getPropertyNumber("Item", 9));
  EXPECT_EQ(-11, LastInvokeError);
}

TEST_F(ComObjectTest, WriteToMissingPropertyChangesNothing) {
  EXPECT_FALSE(thing.setProperty("Singleline", true));
  EXPECT_EQ(-3, LastInvokeError);
  EXPECT_EQ(u"thing", state().name);
  EXPECT_EQ(1.5, state().level);
}

TEST_F(ComObjectTest, VariablesAndFunctionsBindInKindOrder) {
  EXPECT_EQ(1.5, thing.getPropertyNumber("Level"));
  EXPECT_TRUE(thing.setProperty("Level", 2.25));
  EXPECT_EQ(DISPATCH_PROPERTYPUT, state().lastFlags);
  EXPECT_EQ(2.25, thing.callMethodNumber("Level"));  // a method call reads a variable
  // A variable takes no arguments.
  EXPECT_EQ(0, thing.getPropertyNumber("Level", 1));
  EXPECT_EQ(-5, LastInvokeError);
  // A read-only variable: bound, but the component has no write.
  EXPECT_FALSE(thing.setProperty("Fixed", 3));
  EXPECT_EQ(-12, LastInvokeError);
  // A variable of an object type is written by reference.
  ComObject other;
  ASSERT_TRUE(other.createObject("Kestrune.TestThing"));
  EXPECT_TRUE(thing.setProperty("Partner", other));
  EXPECT_EQ(DISPATCH_PROPERTYPUTREF, state().lastFlags);
  EXPECT_EQ(other.get(), thing.getPropertyObject("Partner").get());
  // A method read as a property, a property called as a method.
  EXPECT_EQ(8, thing.getPropertyNumber("Twice", 4));
  EXPECT_EQ("thing", thing.callMethodText("Name"));
}

TEST_F(ComObjectTest, OmittedArguments) {
  EXPECT_EQ("x|y|(c)", thing.callMethodText("Join", "x", "y", omitted));
  EXPECT_EQ(2, thing.callMethodNumber("Count", 1, 2, omitted, omitted));
  EXPECT_EQ(3, thing.callMethodNumber("Count", 1, omitted, 3));
  EXPECT_EQ("x|(b)|z", thing.callMethodText("Join", "x", omitted, "z"));
  // An inner omitted argument for a required parameter.
  EXPECT_EQ("", thing.callMethodText("Join", omitted, "y"));
  EXPECT_EQ(-17, LastInvokeError);
}

TEST_F(ComObjectTest, ArgumentCountsAndKinds) {
  EXPECT_EQ("", thing.callMethodText("Join", "a", "b", "c", "d"));
  EXPECT_EQ(-5, LastInvokeError);
  EXPECT_EQ(5, thing.callMethodNumber("Count", 1, 2, 3, 4, 5));
  std::vector<int> list{1, 2};
  thing.callMethod("Kind", list);
  EXPECT_EQ(-7, LastInvokeError);
  EXPECT_EQ(VT_BOOL, thing.callMethodNumber("Kind", true));
  EXPECT_EQ(VT_UI1, thing.callMethodNumber("Kind", uint8_t{1}));
  EXPECT_EQ(VT_I2, thing.callMethodNumber("Kind", int16_t{1}));
  EXPECT_EQ(VT_I4, thing.callMethodNumber("Kind", int64_t{1} << 40));
  EXPECT_EQ(VT_R4, thing.callMethodNumber("Kind", 1.5f));
  EXPECT_EQ(VT_R8, thing.callMethodNumber("Kind", 1.5));
  EXPECT_EQ(VT_DATE, thing.callMethodNumber("Kind", DateTime{45000}));
  EXPECT_EQ(VT_BSTR, thing.callMethodNumber("Kind", "t"));
  EXPECT_EQ(VT_UNKNOWN, thing.callMethodNumber("Kind", thing));
  Variant v;
  EXPECT_EQ(VT_I4, thing.callMethodNumber("Kind", v));
  EXPECT_TRUE(thing.callMethodBool("Adopt", thing));  // IDispatch parameter: VT_DISPATCH
  EXPECT_EQ(0, thing.callMethodNumber("Twice", "abc"));
  EXPECT_EQ(-16, LastInvokeError);
  EXPECT_EQ(0, thing.callMethodNumber("Twice", 1e12));
  EXPECT_EQ(-14, LastInvokeError);
}

TEST_F(ComObjectTest, OutputsWrittenBackOnlyToVariablesOfOutParameters) {
  Text text = "abc";
  thing.callMethod("Upper", byVar(text));
  EXPECT_EQ(0, LastInvokeError);
  EXPECT_EQ("ABC", text);
  Text value = "abc";
  thing.callMethod("Upper", value);  // by value: nothing to write back
  EXPECT_EQ("abc", value);
  int32_t number = 12;
  thing.callMethod("Upper", byVar(number));  // coerced to text, written back converted
  EXPECT_EQ(12, number);
  Variant v;
  v.assign(2.5);
  thing.callMethod("Bump", byVar(v));
  EXPECT_EQ("3.5", v.toText());
  double d = 1;
  thing.callMethod("Bump", byVar(d));
  EXPECT_EQ(2, d);
  int32_t in = 5;
  thing.callMethod("Peek", byVar(in));  // by reference, but not declared out
  EXPECT_EQ(5, in);
  EXPECT_EQ(VT_I4, state().lastArgs[0].vt);
}

TEST_F(ComObjectTest, ArrayPassedByReference) {
  Variant list;
  ASSERT_TRUE(list.assign(std::vector<int32_t>{1, 2, 3}));
  EXPECT_EQ(3, thing.callMethodNumber("Grow", byVar(list)));
  EXPECT_EQ(0, LastInvokeError);
  ASSERT_EQ(VT_ARRAY | VT_I4, list.type());
  EXPECT_EQ(4u, list.raw().parray->rgsabound[0].cElements);
  Variant text;
  text.assign("x");
  thing.callMethod("Grow", byVar(text));  // not an array: the value itself goes, and is refused
  EXPECT_EQ(-16, LastInvokeError);
}

TEST_F(ComObjectTest, ResultConversion) {
  EXPECT_EQ("-1", thing.callMethodText("Flag"));
  EXPECT_EQ(-1, thing.callMethodNumber("Flag"));
  EXPECT_TRUE(thing.callMethodBool("Twice", 1));
  EXPECT_FALSE(thing.callMethodBool("Twice", 0));
  EXPECT_EQ(0, LastInvokeError);
  EXPECT_EQ(0, thing.getPropertyNumber("Name"));
  EXPECT_EQ(-8, LastInvokeError);
  EXPECT_TRUE(thing.callMethodObject("Twice", 1).isEmpty());
  EXPECT_EQ(-8, LastInvokeError);
  ComObject self = thing.callMethodObject("Self");
  EXPECT_EQ(thing.get(), self.get());
  EXPECT_EQ(VT_EMPTY, thing.callMethodVariant("Record").type());
  EXPECT_EQ(-8, LastInvokeError);
  Variant v = thing.getPropertyVariant("Item", 3);
  EXPECT_EQ(VT_I4, v.type());
  EXPECT_EQ("30", v.toText());
}

TEST_F(ComObjectTest, InvokeFailuresMapToCodes) {
  const std::pair<HRESULT, int32_t> table[] = {
      {DISP_E_BADPARAMCOUNT, -9},     {DISP_E_BADVARTYPE, -10},  {DISP_E_EXCEPTION, -11},
      {DISP_E_MEMBERNOTFOUND, -12},   {DISP_E_NONAMEDARGS, -13}, {DISP_E_OVERFLOW, -14},
      {DISP_E_PARAMNOTFOUND, -15},    {DISP_E_TYPEMISMATCH, -16}, {DISP_E_PARAMNOTOPTIONAL, -17},
      {DISP_E_UNKNOWNINTERFACE, -18}, {DISP_E_BADINDEX, -18},
  };
  for (auto [hr, code] : table) {
    thing.callMethod("FailWith", static_cast<int32_t>(hr));
    EXPECT_EQ(code, LastInvokeError) << std::hex << hr;
  }
  thing.callMethod("FailWith", static_cast<int32_t>(E_FAIL));  // a component error
  EXPECT_EQ(-11, LastInvokeError);
  thing.callMethod("NoSuchMember");
  EXPECT_EQ(-3, LastInvokeError);
}

TEST_F(ComObjectTest, ObjectsWithoutDispatchOrTypeInformation) {
  ComObject plain, blind;
  ASSERT_TRUE(plain.createObject("Kestrune.NoDispatch"));
  ASSERT_TRUE(blind.createObject("Kestrune.NoTypeInfo"));
  plain.callMethod("Anything");
  EXPECT_EQ(-2, LastInvokeError);
  blind.callMethod("Anything");
  EXPECT_EQ(-4, LastInvokeError);
}

TEST_F(ComObjectTest, LastInvokeErrorIsPerThread) {
  thing.callMethod("NoSuchMember");
  int32_t seen = 1;
  std::thread([&] { seen = LastInvokeError; }).join();
  EXPECT_EQ(0, seen);
  EXPECT_EQ(-3, LastInvokeError);
}

// References the object holds right now (AddRef and Release report them).
ULONG referencesOf(IUnknown* object) {
  object->AddRef();
  return object->Release();
}

TEST_F(ComObjectTest, HoldersShareTheObject) {
  IUnknown* object = thing.get();
  const ULONG alone = referencesOf(object);
  ComObject second = thing;
  EXPECT_EQ(thing.get(), second.get());
  EXPECT_EQ(referencesOf(object), alone + 1);
  second.clear();
  EXPECT_TRUE(second.isEmpty());
  EXPECT_EQ(referencesOf(object), alone);
  EXPECT_EQ("thing", thing.getPropertyText("Name"));

  // Assignment takes a reference of its own too, and gives up the old one.
  ComObject assigned, other;
  ASSERT_TRUE(other.createObject("Kestrune.TestThing"));
  IUnknown* previous = other.get();
  previous->AddRef();  // kept alive to watch it
  assigned = other;
  EXPECT_EQ(referencesOf(previous), 3u);  // other, assigned and the watch
  assigned = thing;
  EXPECT_EQ(referencesOf(object), alone + 1);
  EXPECT_EQ(referencesOf(previous), 2u);
  thing.clear();
  EXPECT_EQ(referencesOf(object), alone);
  EXPECT_EQ("thing", assigned.getPropertyText("Name"));
  assigned = assigned;  // assigning a holder to itself keeps the object
  EXPECT_EQ(referencesOf(object), alone);
  EXPECT_EQ("thing", assigned.getPropertyText("Name"));
  thing = assigned;
  previous->Release();
}

TEST(VariantTest, NewVariantIsIntegerZero) {
  Variant v;
  EXPECT_EQ(VT_I4, v.type());
  EXPECT_EQ("0", v.toText());
  v.clear();
  EXPECT_EQ(VT_EMPTY, v.type());
  EXPECT_EQ("", v.toText());
}

TEST(VariantTest, AssignAndToText) {
  Variant v;
  EXPECT_TRUE(v.assign(true));
  EXPECT_EQ("-1", v.toText());
  EXPECT_TRUE(v.assign(false));
  EXPECT_EQ("0", v.toText());
  EXPECT_TRUE(v.assign(25.14));
  EXPECT_EQ("25.14", v.toText());
  EXPECT_TRUE(v.assign("极品"_gbk));
  EXPECT_EQ(VT_BSTR, v.type());
  EXPECT_EQ(u"极品", bstrView(v.raw().bstrVal));
  EXPECT_EQ("极品"_gbk, v.toText());
  EXPECT_TRUE(v.assign(int64_t{0x100000005}));
  EXPECT_EQ("5", v.toText());
  Variant copy = v;
  EXPECT_TRUE(v.assign(v));  // from itself
  EXPECT_EQ("5", v.toText());
  EXPECT_FALSE(v.assign(omitted));
  EXPECT_EQ(VT_EMPTY, v.type());
  ComObject empty;
  EXPECT_FALSE(v.assign(empty));
  EXPECT_EQ("5", copy.toText());
}

TEST(VariantTest, ArraysGetLowerBoundOne) {
  Variant v;
  ASSERT_TRUE(v.assign(ByteArray{1, 2, 250}));
  ASSERT_EQ(VT_ARRAY | VT_UI1, v.type());
  LONG low = 0, high = 0;
  SafeArrayGetLBound(v.raw().parray, 1, &low);
  SafeArrayGetUBound(v.raw().parray, 1, &high);
  EXPECT_EQ(1, low);
  EXPECT_EQ(3, high);
  BYTE b = 0;
  LONG at = 3;
  SafeArrayGetElement(v.raw().parray, &at, &b);
  EXPECT_EQ(250, b);

  ASSERT_TRUE(v.assign(std::vector<Text>{"a", "价格"_gbk}));
  EXPECT_EQ(VT_ARRAY | VT_BSTR, v.type());
  BSTR s = nullptr;
  at = 2;
  SafeArrayGetElement(v.raw().parray, &at, &s);
  EXPECT_EQ(u"价格", bstrView(s));
  SysFreeString(s);

  ASSERT_TRUE(v.assign(std::vector<int64_t>{-1, int64_t{1} << 33}));
  EXPECT_EQ(VT_ARRAY | VT_I4, v.type());
  Variant inner;
  inner.assign("x");
  ASSERT_TRUE(v.assign(std::vector<Variant>{inner, Variant()}));
  EXPECT_EQ(VT_ARRAY | VT_VARIANT, v.type());
  Variant deep = v;  // deep copy
  v.clear();
  EXPECT_EQ(VT_ARRAY | VT_VARIANT, deep.type());
  EXPECT_EQ("", deep.toText());  // an array is no text
}

}  // namespace

// The automation-class kit: type information derived from the declaration,
// and IDispatch::Invoke with its argument rules and results.
#include <gtest/gtest.h>

#include <stdexcept>

#include "platform/com/automation_class.h"
#include "platform/com/class_registry.h"

namespace {

constexpr IID IID_ICounter = {0x1A2B3C4D, 0x0001, 0x0002, {1, 2, 3, 4, 5, 6, 7, 8}};

struct Counter : AutomationObject {
  Counter() : AutomationObject(counterClass()) {}
  int32_t value = 0;
  std::u16string label = u"c";
  static const AutomationClass& counterClass();
};

const AutomationClass& Counter::counterClass() {
  static const AutomationClass& cls =
      AutomationClassBuilder<Counter>(u"ICounter", IID_ICounter)
          .property(u"Value", VT_I4,
                    [](Counter& self, Call& call) { return call.returnInt(self.value); },
                    [](Counter& self, Call& call) { return call.int32(0, self.value); })
          .variable(u"Label", VT_BSTR,
                    [](Counter& self, Call& call) { return call.returnText(self.label); },
                    [](Counter& self, Call& call) { return call.text(0, self.label); })
          .method(u"Add", VT_I4, {param(u"amount", VT_I4), optionalParam(u"times", VT_I4)},
                  [](Counter& self, Call& call) {
                    int32_t amount = 0, times = 1;
                    if (HRESULT hr = call.int32(0, amount); FAILED(hr)) return hr;
                    if (HRESULT hr = call.int32(1, times); FAILED(hr)) return hr;
                    self.value += amount * times;
                    return call.returnInt(self.value);
                  })
          .method(u"Sum", VT_R8, {varArgsParam(u"values")},
                  [](Counter&, Call& call) {
                    double total = 0;
                    for (UINT i = 0; i < call.count(); ++i) {
                      double v = 0;
                      if (HRESULT hr = call.real(i, v); FAILED(hr)) return hr;
                      total += v;
                    }
                    return call.returnDouble(total);
                  })
          .method(u"Swap", VT_EMPTY, {outParam(u"text", VT_BSTR)},
                  [](Counter& self, Call& call) {
                    std::u16string old;
                    if (HRESULT hr = call.text(0, old); FAILED(hr)) return hr;
                    VARIANT v = variantFromText(self.label);
                    HRESULT hr = call.setOut(0, v);
                    VariantClear(&v);
                    self.label = old;
                    return hr;
                  })
          .method(u"Fail", VT_EMPTY, {},
                  [](Counter&, Call& call) {
                    return call.raise(u"Counter", u"it failed", static_cast<HRESULT>(0x800A0005));
                  })
          .method(u"Throw", VT_EMPTY, {},
                  [](Counter&, Call&) -> HRESULT { throw std::runtime_error("component fault"); })
          .propertyGet(u"Item", VT_I4, {param(u"index", VT_I4)},
                       [](Counter& self, Call& call) {
                         int32_t i = 0;
                         call.int32(0, i);
                         return call.returnInt(self.value * i);
                       })
          .memberId(u"Value", DISPID_VALUE)
          .build();
  return cls;
}

struct Invoker {
  IDispatch* object;
  EXCEPINFO exception{};
  UINT argError = 99;
  HRESULT call(DISPID id, WORD flags, std::vector<VARIANT> argsInOrder, VARIANT* result,
               bool put = false) {
    std::vector<VARIANT> reversed(argsInOrder.rbegin(), argsInOrder.rend());
    DISPID named = DISPID_PROPERTYPUT;
    DISPPARAMS params{reversed.data(), put ? &named : nullptr, static_cast<UINT>(reversed.size()),
                      put ? 1u : 0u};
    HRESULT hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result,
                                &exception, &argError);
    for (VARIANT& v : reversed) VariantClear(&v);
    return hr;
  }
};

DISPID idOf(IDispatch* d, const char16_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = 12345;
  d->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
  return id;
}

class AutomationClassTest : public ::testing::Test {
 protected:
  Counter* counter = new Counter;
  Invoker inv{counter};
  VARIANT result;
  void SetUp() override { VariantInit(&result); }
  void TearDown() override {
    VariantClear(&result);
    SysFreeString(inv.exception.bstrSource);
    SysFreeString(inv.exception.bstrDescription);
    counter->Release();
  }
};

TEST_F(AutomationClassTest, MethodWithOptionalParameterAndResult) {
  DISPID add = idOf(counter, u"add");
  ASSERT_EQ(S_OK, inv.call(add, DISPATCH_METHOD, {variantFromInt(5)}, &result));
  EXPECT_EQ(VT_I4, result.vt);
  EXPECT_EQ(5, result.lVal);
  ASSERT_EQ(S_OK, inv.call(add, DISPATCH_METHOD, {variantFromText(u"2"), variantFromInt(3)}, &result));
  EXPECT_EQ(11, result.lVal);
  // Passed as missing: the optional parameter keeps its default.
  ASSERT_EQ(S_OK, inv.call(add, DISPATCH_METHOD, {variantFromInt(1), variantMissing()}, &result));
  EXPECT_EQ(12, result.lVal);
}

TEST_F(AutomationClassTest, ArgumentErrors) {
  DISPID add = idOf(counter, u"Add");
  EXPECT_EQ(DISP_E_PARAMNOTOPTIONAL, inv.call(add, DISPATCH_METHOD, {}, &result));
  EXPECT_EQ(DISP_E_BADPARAMCOUNT,
            inv.call(add, DISPATCH_METHOD, {variantFromInt(1), variantFromInt(1), variantFromInt(1)}, &result));
  EXPECT_EQ(DISP_E_TYPEMISMATCH, inv.call(add, DISPATCH_METHOD, {variantFromText(u"abc")}, &result));
  EXPECT_EQ(0u, inv.argError);
  EXPECT_EQ(DISP_E_OVERFLOW,
            inv.call(add, DISPATCH_METHOD, {variantFromInt(1), variantFromDouble(1e12)}, &result));
  EXPECT_EQ(0u, inv.argError);  // rgvarg index: the last argument is first
  VARIANT bad{};
  bad.vt = 0x7F;
  EXPECT_EQ(DISP_E_BADVARTYPE, inv.call(add, DISPATCH_METHOD, {bad}, &result));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, inv.call(4711, DISPATCH_METHOD, {}, &result));
  DISPPARAMS none{nullptr, nullptr, 0, 0};
  EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
            counter->Invoke(add, IID_IDispatch, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr, nullptr));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, inv.call(add, DISPATCH_PROPERTYPUT, {variantFromInt(1)}, &result, true));
}

TEST_F(AutomationClassTest, PropertiesAndNamedArguments) {
  EXPECT_EQ(DISPID_VALUE, idOf(counter, u"VALUE"));
  ASSERT_EQ(S_OK, inv.call(DISPID_VALUE, DISPATCH_PROPERTYPUT, {variantFromDouble(41.5)}, nullptr, true));
  EXPECT_EQ(42, counter->value);  // 41.5 rounds half to even
  // A put without the named DISPID_PROPERTYPUT argument.
  EXPECT_EQ(DISP_E_PARAMNOTFOUND, inv.call(DISPID_VALUE, DISPATCH_PROPERTYPUT, {variantFromInt(1)}, nullptr));
  EXPECT_EQ(DISP_E_NONAMEDARGS, inv.call(DISPID_VALUE, DISPATCH_PROPERTYGET, {variantFromInt(1)}, &result, true));
  ASSERT_EQ(S_OK, inv.call(idOf(counter, u"item"), DISPATCH_PROPERTYGET, {variantFromInt(2)}, &result));
  EXPECT_EQ(84, result.lVal);
  DISPID label = idOf(counter, u"Label");
  ASSERT_EQ(S_OK, inv.call(label, DISPATCH_PROPERTYPUT, {variantFromInt(7)}, nullptr, true));
  EXPECT_EQ(u"7", counter->label);
}

TEST_F(AutomationClassTest, VariableArgumentListAndByReferenceOutput) {
  ASSERT_EQ(S_OK, inv.call(idOf(counter, u"Sum"), DISPATCH_METHOD,
                           {variantFromInt(1), variantFromText(u"2.5"), variantFromDouble(3)}, &result));
  EXPECT_DOUBLE_EQ(6.5, result.dblVal);

  BSTR text = SysAllocString(u"mine");
  VARIANT ref;
  VariantInit(&ref);
  ref.vt = VT_BYREF | VT_BSTR;
  ref.pbstrVal = &text;
  ASSERT_EQ(S_OK, inv.call(idOf(counter, u"Swap"), DISPATCH_METHOD, {ref}, nullptr));
  EXPECT_EQ(u"c", bstrView(text));
  EXPECT_EQ(u"mine", counter->label);
  SysFreeString(text);
}

TEST_F(AutomationClassTest, RaisedErrorFillsException) {
  EXPECT_EQ(DISP_E_EXCEPTION, inv.call(idOf(counter, u"Fail"), DISPATCH_METHOD, {}, &result));
  EXPECT_EQ(u"it failed", bstrView(inv.exception.bstrDescription));
  EXPECT_EQ(u"Counter", bstrView(inv.exception.bstrSource));
  EXPECT_EQ(static_cast<HRESULT>(0x800A0005), inv.exception.scode);
}

TEST_F(AutomationClassTest, ThrowingMemberBecomesAnException) {
  EXPECT_EQ(DISP_E_EXCEPTION, inv.call(idOf(counter, u"Throw"), DISPATCH_METHOD, {}, &result));
  EXPECT_EQ(E_UNEXPECTED, inv.exception.scode);
}

TEST_F(AutomationClassTest, TypeCompBindsByNameAndInvokeKind) {
  ITypeInfo* info = nullptr;
  ASSERT_EQ(S_OK, counter->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info));
  ITypeComp* comp = nullptr;
  ASSERT_EQ(S_OK, info->GetTypeComp(&comp));
  ITypeInfo* bound = nullptr;
  DESCKIND kind;
  BINDPTR ptr;
  char16_t add[] = u"aDD";
  ASSERT_EQ(S_OK, comp->Bind(add, 0, INVOKE_FUNC, &bound, &kind, &ptr));
  ASSERT_EQ(DESCKIND_FUNCDESC, kind);
  EXPECT_EQ(2, ptr.lpfuncdesc->cParams);
  EXPECT_EQ(1, ptr.lpfuncdesc->cParamsOpt);
  EXPECT_EQ(VT_I4, ptr.lpfuncdesc->lprgelemdescParam[1].tdesc.vt);
  EXPECT_EQ(PARAMFLAG_FIN | PARAMFLAG_FOPT, ptr.lpfuncdesc->lprgelemdescParam[1].paramdesc.wParamFlags);
  bound->ReleaseFuncDesc(ptr.lpfuncdesc);
  bound->Release();
  // A property is not a function: the name is known, the kind does not match.
  char16_t value[] = u"Value";
  EXPECT_EQ(TYPE_E_TYPEMISMATCH, comp->Bind(value, 0, INVOKE_FUNC, &bound, &kind, &ptr));
  ASSERT_EQ(S_OK, comp->Bind(value, 0, INVOKE_PROPERTYPUT, &bound, &kind, &ptr));
  EXPECT_EQ(INVOKE_PROPERTYPUT, ptr.lpfuncdesc->invkind);
  EXPECT_EQ(DISPID_VALUE, ptr.lpfuncdesc->memid);
  bound->Release();
  char16_t sum[] = u"sum";
  ASSERT_EQ(S_OK, comp->Bind(sum, 0, INVOKE_FUNC, &bound, &kind, &ptr));
  EXPECT_EQ(-1, ptr.lpfuncdesc->cParamsOpt);
  bound->Release();
  char16_t swap[] = u"Swap";
  ASSERT_EQ(S_OK, comp->Bind(swap, 0, INVOKE_FUNC, &bound, &kind, &ptr));
  EXPECT_EQ(VT_PTR, ptr.lpfuncdesc->lprgelemdescParam[0].tdesc.vt);
  EXPECT_EQ(VT_BSTR, ptr.lpfuncdesc->lprgelemdescParam[0].tdesc.lptdesc->vt);
  EXPECT_EQ(VT_VOID, ptr.lpfuncdesc->elemdescFunc.tdesc.vt);
  bound->Release();
  char16_t label[] = u"LABEL";
  ASSERT_EQ(S_OK, comp->Bind(label, 0, INVOKE_PROPERTYGET, &bound, &kind, &ptr));
  ASSERT_EQ(DESCKIND_VARDESC, kind);
  EXPECT_EQ(VT_BSTR, ptr.lpvardesc->elemdescVar.tdesc.vt);
  EXPECT_EQ(VAR_DISPATCH, ptr.lpvardesc->varkind);
  bound->Release();
  char16_t nothing[] = u"Nothing";
  ASSERT_EQ(S_OK, comp->Bind(nothing, 0, INVOKE_FUNC, &bound, &kind, &ptr));
  EXPECT_EQ(DESCKIND_NONE, kind);
  EXPECT_EQ(nullptr, bound);
  comp->Release();
  info->Release();
}

}  // namespace

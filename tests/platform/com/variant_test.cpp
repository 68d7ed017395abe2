// BSTR and VariantInit / VariantClear / VariantCopy / VariantCopyInd.
#include <gtest/gtest.h>

#include "platform/com/interfaces.h"
#include "platform/com/variant.h"

namespace {

// Counts references so copies and clears can be checked.
struct Counted : IUnknown {
  ULONG refs = 1;
  HRESULT QueryInterface(REFIID riid, void** object) override {
    *object = riid == IID_IUnknown ? this : nullptr;
    if (!*object) return E_NOINTERFACE;
    ++refs;
    return S_OK;
  }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }  // owned by the test
};

TEST(BstrTest, LengthPrefixedUtf16) {
  BSTR s = SysAllocString(u"价格");
  ASSERT_NE(nullptr, s);
  EXPECT_EQ(2u, SysStringLen(s));
  EXPECT_EQ(4u, SysStringByteLen(s));
  EXPECT_EQ(0, s[2]);
  SysFreeString(s);

  const char16_t withZero[] = {u'a', 0, u'b'};
  s = SysAllocStringLen(withZero, 3);
  EXPECT_EQ(3u, SysStringLen(s));
  EXPECT_EQ(u'b', s[2]);
  SysFreeString(s);

  s = SysAllocStringLen(nullptr, 4);  // room, zero-filled
  EXPECT_EQ(4u, SysStringLen(s));
  EXPECT_EQ(0, s[3]);
  ASSERT_TRUE(SysReAllocString(&s, u"xy"));
  EXPECT_EQ(u"xy", bstrView(s));
  SysFreeString(s);

  s = SysAllocStringByteLen("abc", 3);  // odd byte count
  EXPECT_EQ(3u, SysStringByteLen(s));
  EXPECT_EQ(1u, SysStringLen(s));
  SysFreeString(s);

  EXPECT_EQ(nullptr, SysAllocString(nullptr));
  EXPECT_EQ(0u, SysStringLen(nullptr));  // a null BSTR is the empty string
  SysFreeString(nullptr);
}

TEST(VariantTest, InitClearAndBadTypes) {
  VARIANT v;
  VariantInit(&v);
  EXPECT_EQ(VT_EMPTY, v.vt);
  v = variantFromText(u"abc");
  EXPECT_EQ(S_OK, VariantClear(&v));
  EXPECT_EQ(VT_EMPTY, v.vt);
  v.vt = 0x7F;
  EXPECT_EQ(DISP_E_BADVARTYPE, VariantClear(&v));
  v.vt = VT_VARIANT;  // a VARIANT inside a VARIANT only by reference
  EXPECT_EQ(DISP_E_BADVARTYPE, VariantClear(&v));
  EXPECT_EQ(E_INVALIDARG, VariantClear(nullptr));
}

TEST(VariantTest, CopyIsDeepAndCountsReferences) {
  VARIANT a = variantFromText(u"价"), b;
  VariantInit(&b);
  ASSERT_EQ(S_OK, VariantCopy(&b, &a));
  EXPECT_NE(a.bstrVal, b.bstrVal);
  EXPECT_EQ(u"价", bstrView(b.bstrVal));
  VariantClear(&a);
  EXPECT_EQ(u"价", bstrView(b.bstrVal));

  Counted object;
  VARIANT u{};
  u.vt = VT_UNKNOWN;
  u.punkVal = &object;
  object.AddRef();
  ASSERT_EQ(S_OK, VariantCopy(&b, &u));  // clears the old text first
  EXPECT_EQ(3u, object.refs);
  VariantClear(&b);
  VariantClear(&u);
  EXPECT_EQ(1u, object.refs);

  VARIANT bad{};
  bad.vt = 0x7F;
  VARIANT keep = variantFromInt(5);
  EXPECT_EQ(DISP_E_BADVARTYPE, VariantCopy(&keep, &bad));
  EXPECT_EQ(VT_I4, keep.vt);
}

TEST(VariantTest, CopyIndResolvesReferences) {
  LONG n = 9;
  VARIANT ref{};
  ref.vt = VT_BYREF | VT_I4;
  ref.plVal = &n;
  VARIANT out;
  VariantInit(&out);
  ASSERT_EQ(S_OK, VariantCopyInd(&out, &ref));
  EXPECT_EQ(VT_I4, out.vt);
  EXPECT_EQ(9, out.lVal);

  BSTR text = SysAllocString(u"t");
  VARIANT sref{};
  sref.vt = VT_BYREF | VT_BSTR;
  sref.pbstrVal = &text;
  ASSERT_EQ(S_OK, VariantCopyInd(&out, &sref));
  EXPECT_NE(text, out.bstrVal);
  EXPECT_EQ(u"t", bstrView(out.bstrVal));
  VariantClear(&sref);  // clearing a reference frees nothing
  EXPECT_EQ(u"t", bstrView(text));
  SysFreeString(text);

  VARIANT inner = variantFromDouble(1.5);
  VARIANT vref{};
  vref.vt = VT_BYREF | VT_VARIANT;
  vref.pvarVal = &inner;
  ASSERT_EQ(S_OK, VariantCopyInd(&out, &vref));
  EXPECT_EQ(VT_R8, out.vt);
  // In place.
  ASSERT_EQ(S_OK, VariantCopyInd(&vref, &vref));
  EXPECT_EQ(VT_R8, vref.vt);
  EXPECT_EQ(1.5, vref.dblVal);

  // A reference to a reference to a VARIANT is refused.
  VARIANT twice{};
  twice.vt = VT_BYREF | VT_VARIANT;
  VARIANT middle{};
  middle.vt = VT_BYREF | VT_VARIANT;
  middle.pvarVal = &inner;
  twice.pvarVal = &middle;
  EXPECT_EQ(E_INVALIDARG, VariantCopyInd(&out, &twice));
  VariantClear(&out);
}

// Record values: copies and clears go through the record's IRecordInfo.
struct Records : IRecordInfo {
  ULONG refs = 1;
  int created = 0, destroyed = 0;
  HRESULT QueryInterface(REFIID, void** object) override { *object = nullptr; return E_NOINTERFACE; }
  ULONG AddRef() override { return ++refs; }
  ULONG Release() override { return --refs; }
  HRESULT RecordInit(void*) override { return S_OK; }
  HRESULT RecordClear(void*) override { return S_OK; }
  HRESULT RecordCopy(void*, void*) override { return S_OK; }
  HRESULT GetGuid(GUID*) override { return E_NOTIMPL; }
  HRESULT GetName(BSTR*) override { return E_NOTIMPL; }
  HRESULT GetSize(ULONG* size) override { *size = sizeof(int); return S_OK; }
  HRESULT GetTypeInfo(ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetField(void*, LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetFieldNoCopy(void*, LPCOLESTR, VARIANT*, void**) override { return E_NOTIMPL; }
  HRESULT PutField(ULONG, void*, LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT PutFieldNoCopy(ULONG, void*, LPCOLESTR, VARIANT*) override { return E_NOTIMPL; }
  HRESULT GetFieldNames(ULONG*, BSTR*) override { return E_NOTIMPL; }
  BOOL IsMatchingType(IRecordInfo* other) override { return other == this; }
  void* RecordCreate() override { ++created; return new int(0); }
  HRESULT RecordCreateCopy(void* source, void** copy) override {
    ++created;
    *copy = new int(*static_cast<int*>(source));
    return S_OK;
  }
  HRESULT RecordDestroy(void* record) override {
    ++destroyed;
    delete static_cast<int*>(record);
    return S_OK;
  }
};

TEST(VariantTest, RecordsCopyAndClearThroughTheirRecordInfo) {
  Records info;
  VARIANT r{};
  r.vt = VT_RECORD;
  r.pvRecord = new int(5);
  r.pRecInfo = &info;
  VARIANT c;
  VariantInit(&c);
  ASSERT_EQ(S_OK, VariantCopy(&c, &r));
  EXPECT_EQ(1, info.created);
  EXPECT_EQ(2u, info.refs);
  EXPECT_EQ(5, *static_cast<int*>(c.pvRecord));
  EXPECT_NE(r.pvRecord, c.pvRecord);
  VariantClear(&c);
  VariantClear(&r);
  EXPECT_EQ(2, info.destroyed);
  EXPECT_EQ(0u, info.refs);
  // Records never convert.
  VARIANT out;
  VariantInit(&out);
  r.vt = VT_RECORD;
  r.pvRecord = nullptr;
  r.pRecInfo = nullptr;
  EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(&out, &r, 0, VT_BSTR));
}

TEST(VariantTest, ArraysCopyDeep) {
  SAFEARRAY* a = SafeArrayCreateVector(VT_BSTR, 1, 2);
  LONG i = 2;
  BSTR s = SysAllocString(u"two");
  SafeArrayPutElement(a, &i, s);
  SysFreeString(s);
  VARIANT v{};
  v.vt = VT_ARRAY | VT_BSTR;
  v.parray = a;
  VARIANT c;
  VariantInit(&c);
  ASSERT_EQ(S_OK, VariantCopy(&c, &v));
  EXPECT_NE(v.parray, c.parray);
  VariantClear(&v);
  BSTR got = nullptr;
  ASSERT_EQ(S_OK, SafeArrayGetElement(c.parray, &i, &got));
  EXPECT_EQ(u"two", bstrView(got));
  SysFreeString(got);
  VariantClear(&c);
}

}  // namespace

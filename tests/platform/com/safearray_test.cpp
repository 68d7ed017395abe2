// One-dimensional SAFEARRAY.
#include <gtest/gtest.h>

#include "platform/com/interfaces.h"
#include "platform/com/variant.h"

namespace {

TEST(SafeArrayTest, BoundsAndElements) {
  SAFEARRAY* a = SafeArrayCreateVector(VT_I4, -2, 5);
  ASSERT_NE(nullptr, a);
  EXPECT_EQ(1u, SafeArrayGetDim(a));
  EXPECT_EQ(4u, SafeArrayGetElemsize(a));
  LONG low = 0, high = 0;
  EXPECT_EQ(S_OK, SafeArrayGetLBound(a, 1, &low));
  EXPECT_EQ(S_OK, SafeArrayGetUBound(a, 1, &high));
  EXPECT_EQ(-2, low);
  EXPECT_EQ(2, high);
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetLBound(a, 2, &low));
  VARTYPE vt = 0;
  EXPECT_EQ(S_OK, SafeArrayGetVartype(a, &vt));
  EXPECT_EQ(VT_I4, vt);

  LONG index = 2, value = 77;
  EXPECT_EQ(S_OK, SafeArrayPutElement(a, &index, &value));
  LONG got = 0;
  EXPECT_EQ(S_OK, SafeArrayGetElement(a, &index, &got));
  EXPECT_EQ(77, got);
  index = 3;
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayPutElement(a, &index, &value));
  index = -3;
  EXPECT_EQ(DISP_E_BADINDEX, SafeArrayGetElement(a, &index, &got));

  void* data = nullptr;
  ASSERT_EQ(S_OK, SafeArrayAccessData(a, &data));
  EXPECT_EQ(77, static_cast<LONG*>(data)[4]);
  EXPECT_EQ(DISP_E_ARRAYISLOCKED, SafeArrayDestroy(a));
  EXPECT_EQ(S_OK, SafeArrayUnaccessData(a));
  EXPECT_EQ(E_UNEXPECTED, SafeArrayUnlock(a));
  EXPECT_EQ(S_OK, SafeArrayDestroy(a));
}

TEST(SafeArrayTest, OnlyOneDimensionAndKnownTypes) {
  SAFEARRAYBOUND bounds[2] = {{2, 0}, {2, 0}};
  EXPECT_EQ(nullptr, SafeArrayCreate(VT_I4, 2, bounds));
  EXPECT_EQ(nullptr, SafeArrayCreateVector(VT_RECORD, 0, 1));
  SAFEARRAY* a = SafeArrayCreate(VT_UI1, 1, bounds);
  ASSERT_NE(nullptr, a);
  SafeArrayDestroy(a);
  SAFEARRAY* none = SafeArrayCreateVector(VT_VARIANT, 1, 0);  // empty arrays are fine
  LONG high = 5;
  SafeArrayGetUBound(none, 1, &high);
  EXPECT_EQ(0, high);
  SafeArrayDestroy(none);
}

TEST(SafeArrayTest, VariantElementsAreCopies) {
  SAFEARRAY* a = SafeArrayCreateVector(VT_VARIANT, 0, 2);
  VARIANT text = variantFromText(u"x");
  LONG i = 1;
  ASSERT_EQ(S_OK, SafeArrayPutElement(a, &i, &text));
  VariantClear(&text);
  SAFEARRAY* copy = nullptr;
  ASSERT_EQ(S_OK, SafeArrayCopy(a, &copy));
  SafeArrayDestroy(a);
  VARIANT got;
  VariantInit(&got);
  ASSERT_EQ(S_OK, SafeArrayGetElement(copy, &i, &got));
  EXPECT_EQ(u"x", bstrView(got.bstrVal));
  VariantClear(&got);
  i = 0;
  ASSERT_EQ(S_OK, SafeArrayGetElement(copy, &i, &got));
  EXPECT_EQ(VT_EMPTY, got.vt);
  SafeArrayDestroy(copy);
}

}  // namespace

#include "net/wide_text.h"

#include <gtest/gtest.h>

#include "platform/text/gbk.h"

namespace {

ByteArray bytes(std::initializer_list<int> values) {
  ByteArray out;
  for (int v : values) out.push_back(static_cast<unsigned char>(v));
  return out;
}

TEST(WideText, ToWideIsUtf16LeWithOneZeroCharacter) {
  EXPECT_EQ(toWideText("A"), bytes({0x41, 0, 0, 0}));
  EXPECT_EQ(toWideText("中"_gbk), bytes({0x2D, 0x4E, 0, 0}));
  EXPECT_EQ(toWideText("\xe4\xb8\xad", 65001), bytes({0x2D, 0x4E, 0, 0}));
  EXPECT_TRUE(toWideText("").empty());
  // The text is read up to its first zero byte.
  EXPECT_EQ(toWideText(Text("a\0b", 3)), bytes({0x61, 0, 0, 0}));
}

TEST(WideText, FromWideEndsAtFirstZero) {
  EXPECT_EQ(fromWideText(bytes({0x2D, 0x4E, 0x41, 0})), "中A"_gbk);
  EXPECT_EQ(fromWideText(bytes({0x41, 0, 0, 0, 0x42, 0})), "A");
  EXPECT_EQ(fromWideText(ByteArray{}), "");
  EXPECT_EQ(fromWideText(bytes({0x41})), "A");  // odd byte pairs with the appended zero
  EXPECT_EQ(fromWideText(bytes({0x2D, 0x4E}), 65001), "\xe4\xb8\xad");
}

TEST(WideText, Utf8NoticeBecomesGbk) {
  const Text utf8 = "{\"data\":{\"V\":\"25.14\",\"C\":\"\xe4\xb8\xad\xe6\x96\x87\"}}";
  EXPECT_EQ(fromWideText(toWideText(utf8, 65001)), "{\"data\":{\"V\":\"25.14\",\"C\":\"中文\"}}"_gbk);
}

}  // namespace

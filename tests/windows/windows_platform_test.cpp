// The system the Windows suite runs on: Chinese code pages first, since Wine
// silently falls back to code page 1252 without the zh_CN locale, and every
// other test reads GBK.
#include <gtest/gtest.h>

#include "platform/text/codepage.h"
#include "platform/text/gbk.h"
#include "tests/windows/wine.h"

TEST(WindowsSystem, AnsiCodePageIs936) {
  EXPECT_EQ(GetACP(), 936u) << "run with LANG=zh_CN.UTF-8 (scripts/test-windows does)";
  EXPECT_TRUE(isSupportedCodePage(CP_ACP));
  EXPECT_EQ(utf8ToGbk("评估价格：￥ 16888 米"), "\xc6\xc0\xb9\xc0\xbc\xdb\xb8\xf1\xa3\xba\xa3\xa4 16888 \xc3\xd7");
  EXPECT_EQ(gbkToUtf8("\xbc\xab\xc6\xb7"), "极品");
}

TEST(WindowsSystem, ReportsWhereItRuns) {
  const std::string wine = wineVersion();
  std::cout << (wine.empty() ? std::string("Windows") : "Wine " + wine) << ", "
            << 8 * sizeof(void*) << "-bit program\n";
  SUCCEED();
}

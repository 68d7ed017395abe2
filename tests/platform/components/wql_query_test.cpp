// The WQL subset of the WMI stand-in: what it accepts and how it reads it.
#include <gtest/gtest.h>

#include "platform/components/wmi/wql_query.h"
#include "platform/text/codepage.h"

namespace {

std::string utf8(std::u16string_view text) { return utf16ToMultiByte(text, CP_UTF8); }

// The parsed query in one line: "class|prop,prop|where-property=literal".
std::string describe(const WqlQuery& q) {
  std::string out = utf8(q.className) + "|";
  for (size_t i = 0; i < q.properties.size(); ++i) out += (i ? "," : "") + utf8(q.properties[i]);
  if (q.properties.empty()) out += "*";
  if (q.where) out += "|" + utf8(q.where->property) + "=" + utf8(q.where->literal);
  return out;
}

TEST(WqlQueryTest, AcceptedQueries) {
  struct Case {
    std::u16string text;
    std::string parsed;
  } cases[] = {
      {u"SELECT * FROM Win32_QuickFixEngineering", "Win32_QuickFixEngineering|*"},
      {u"select HotFixID from win32_quickfixengineering", "win32_quickfixengineering|HotFixID"},
      {u"SELECT HotFixID, Description ,InstalledOn FROM Q", "Q|HotFixID,Description,InstalledOn"},
      {u"SELECT*FROM Q", "Q|*"},
      {u"\t SELECT\r\nHotFixID FROM Q \n", "Q|HotFixID"},
      {u"SELECT HotFixID FROM Win32_QuickFixEngineering WHERE HotFixID = 'KB3140245'",
       "Win32_QuickFixEngineering|HotFixID|HotFixID=KB3140245"},
      {u"SELECT HotFixID FROM Q WHERE HotFixID='KB1'", "Q|HotFixID|HotFixID=KB1"},
      {u"SELECT HotFixID FROM Q WHERE HotFixID = \"KB'1\"", "Q|HotFixID|HotFixID=KB'1"},
      {u"SELECT HotFixID FROM Q WHERE HotFixID = 'K\\'B\\\\1'", "Q|HotFixID|HotFixID=K'B\\1"},
      {u"SELECT HotFixID FROM Q WHERE HotFixID = ''", "Q|HotFixID|HotFixID="},
      {u"SELECT _a1 FROM Q WHERE _a1 = '补丁 一'", "Q|_a1|_a1=补丁 一"},
  };
  for (const Case& c : cases) {
    auto q = parseWqlQuery(c.text);
    ASSERT_TRUE(q) << utf8(c.text);
    EXPECT_EQ(describe(*q), c.parsed) << utf8(c.text);
  }
}

TEST(WqlQueryTest, RejectedQueries) {
  const std::u16string cases[] = {
      u"",
      u"SELECT",
      u"SELECT FROM Q",
      u"SELECT * FROM",
      u"SELECT * Q",
      u"SELECT HotFixID, FROM Q",
      u"SELECT HotFixID,, Description FROM Q",
      u"SELECT *, HotFixID FROM Q",
      u"SELECT * FROM Q R",
      u"SELECT * FROM SELECT",
      u"SELECT FROM FROM Q",
      u"DELETE FROM Q",
      u"SELECT * FROM Q WHERE",
      u"SELECT * FROM Q WHERE HotFixID",
      u"SELECT * FROM Q WHERE HotFixID =",
      u"SELECT * FROM Q WHERE HotFixID = KB1",
      u"SELECT * FROM Q WHERE HotFixID = 1",
      u"SELECT * FROM Q WHERE HotFixID <> 'KB1'",
      u"SELECT * FROM Q WHERE HotFixID = 'KB1",
      u"SELECT * FROM Q WHERE HotFixID = 'KB1\\'",
      u"SELECT * FROM Q WHERE HotFixID = 'KB1'23'",
      u"SELECT * FROM Q WHERE HotFixID = 'KB1' OR HotFixID <> ''",
      u"SELECT * FROM Q WHERE HotFixID = 'KB1' OR 'a' = 'a'",
      u"SELECT * FROM Q WHERE HotFixID = 'KB1';",
      u"SELECT * FROM Q WHERE HotFixID = 'KB1' AND Name = 'x'",
      u"SELECT * FROM Q WHERE (HotFixID = 'KB1')",
      u"SELECT * FROM 1Q",
      u"SELECT * FROM Q\u00A0",
  };
  for (const std::u16string& text : cases) EXPECT_FALSE(parseWqlQuery(text)) << utf8(text);
}

}  // namespace

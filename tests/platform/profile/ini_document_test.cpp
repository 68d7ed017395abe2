// The INI text as a value: copies and moves read their own bytes; the
// writable-name checks agree with what a written document reads back.
#include "platform/profile/ini_document.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "platform/text/gbk.h"

using namespace std::string_literals;

namespace {

TEST(IniDocumentValue, CopiesAndMovesReadTheirOwnBytes) {
  IniDocument original("[s]\r\nk=v\r\n");
  IniDocument copy = original;
  IniDocument assigned;
  assigned = original;
  IniDocument moved = std::move(original);
  // The source's bytes are overwritten in place (same length, same buffer).
  original = IniDocument("[t]\r\nj=w\r\n");
  for (const IniDocument* d : {&copy, &assigned, &moved}) {
    EXPECT_EQ(d->value("s", "k"), "v");
    EXPECT_EQ(d->sectionNames(), std::vector<Text>{"s"});
  }
  EXPECT_EQ(original.value("t", "j"), "w");
}

// Each name or value the checks accept reads back as written, into an empty
// document and into one that already holds the section; each one refused
// would not.
TEST(IniDocumentWritableNames, AcceptedExactlyWhenTheyReadBack) {
  enum Part { Section, Key, Value };
  const struct {
    Part part;
    std::string text;
    bool writable;
  } rows[] = {
      {Section, "s", true},
      {Section, " s\t", true},
      {Section, "", true},
      {Section, "[s", true},
      {Section, "s=1;x", true},
      {Section, "s]", false},
      {Section, "a]b", false},
      {Section, "s\r", true},                      // a trailing CR is a blank
      {Section, "s\nt", false},
      // a lone lead byte at the end would take the "]" after it as its second byte
      {Section, "s\x81", false},
      {Section, "\x81", false},
      {Section, "\xfe", false},
      {Section, " s\xfe ", false},
      {Section, "\x81\x81\x81", false},          // a character, then a lone lead byte
      {Section, "中文"_gbk, true},
      {Section, "\x81\x81", true},
      {Section, "s\x80", true},                    // 0x80 and 0xFF are no lead bytes
      {Section, "s\xff", true},
      {Section, "t\x81]", true},                   // "\x81]" is one character
      {Section, "t\x81]x", true},
      {Section, "\x81 s", true},                   // a blank is no second byte
      {Key, "k", true},
      {Key, "k\x81", true},                        // "=" is no second byte
      {Key, "中"_gbk, true},
      {Key, "a b", true},
      {Key, "a]", true},
      {Key, "", false},
      {Key, " \t", false},
      {Key, "k=j", false},
      {Key, "\x81=", false},
      {Key, "[k", false},
      {Key, " ;k", false},
      {Key, "k\x81\rj", false},
      {Value, "v", true},
      {Value, "", true},
      {Value, "\x81", true},
      {Value, "v\x81", true},
      {Value, "a=b;[c]", true},
      {Value, "v\x81\n[x]", false},
      {Value, "v\rw", false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.text) + " as part " + std::to_string(row.part));
    const bool accepted = row.part == Section ? isWritableSectionName(row.text)
                          : row.part == Key   ? isWritableKeyName(row.text)
                                              : isWritableValue(row.text);
    EXPECT_EQ(accepted, row.writable);
    const std::string section = row.part == Section ? row.text : "s";
    const std::string key = row.part == Key ? row.text : "k";
    const std::string value = row.part == Value ? row.text : "v";
    for (const std::string& before : {""s, "[s]\r\nk=old\r\n"s, "[other]\r\nk=1"s}) {
      IniDocument document(before);
      document.setValue(section, key, value);
      const bool readsBack = document.value(section, key) == valueAsRead(value);
      // Written anyway, a refused one reads back as something else or not at all.
      EXPECT_EQ(readsBack, row.writable) << testing::PrintToString(document.bytes());
    }
  }
}

}  // namespace

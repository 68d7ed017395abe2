// The INI text as a value: copies and moves read their own bytes.
#include "platform/profile/ini_document.h"

#include <gtest/gtest.h>

#include <utility>

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

}  // namespace

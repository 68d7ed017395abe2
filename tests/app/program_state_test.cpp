// Program-wide state: start values and the exit clean-up.
#include <gtest/gtest.h>

#include "app/program_state.h"
#include "eval/evaluation.h"
#include "eval/tail_table.h"
#include "net/wide_text.h"

namespace {

TEST(ProgramState, StartValuesAndExitCleanUp) {
  loadTailTable();
  SeedCounter = 77;
  DefaultCodePage = 65001;
  HttpBlockSize = 1;
  NoticeText = "x";
  initProgramState();
  EXPECT_TRUE(TailTable.empty());
  EXPECT_EQ(SeedCounter, 0);
  EXPECT_EQ(DefaultCodePage, 936);
  EXPECT_EQ(HttpBlockSize, 0x100000);
  EXPECT_EQ(NoticeText, "");

  loadTailTable();
  AppVersion = "25.14";
  NoticeVersion = "25.14";
  NoticeC = "c";
  NoticeW = "w";
  onProgramExit();
  EXPECT_TRUE(TailTable.empty());
  EXPECT_EQ(TailTable.capacity(), 0u);
  for (const Text* t : {&AppVersion, &NoticeText, &NoticeVersion, &NoticeC, &NoticeW})
    EXPECT_TRUE(t->empty());
}

}  // namespace

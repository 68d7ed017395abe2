#include "app/program_state.h"

#include "eval/evaluation.h"
#include "eval/tail_table.h"
#include "net/wide_text.h"

Text AppVersion;
Text NoticeText;
Text NoticeVersion;
Text NoticeC;
Text NoticeW;

void initProgramState() {
  TailTable = {};
  SeedCounter = 0;
  DefaultCodePage = 936;
  HttpBlockSize = 0x100000;
  for (Text* t : {&AppVersion, &NoticeText, &NoticeVersion, &NoticeC, &NoticeW}) t->clear();
}

void onProgramExit() {
  std::vector<TailRow>().swap(TailTable);
  for (Text* t : {&AppVersion, &NoticeText, &NoticeVersion, &NoticeC, &NoticeW}) Text().swap(*t);
}

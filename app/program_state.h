// Program-wide state owned by the program entry (the tail table and the seed
// counter live with the evaluation, the code page and block size with the
// HTTP client's text conversions), and the exit clean-up.
#pragma once

#include "platform/text/text.h"

// Texts of the version notice.
extern Text AppVersion;
extern Text NoticeText;
extern Text NoticeVersion;
extern Text NoticeC;
extern Text NoticeW;

// Sets every program-wide value to its start value: an empty tail table,
// seed counter 0, code page 936, block size 0x100000, empty notice texts.
void initProgramState();

// Exit clean-up: frees the tail table, then the notice texts, in this order.
void onProgramExit();

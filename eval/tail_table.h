// The built-in tail-number table: every tail 0000-9999 with grade and price.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/text/text.h"

struct TailRow {
  Text tail;
  Text grade;
  int32_t price = 0;
};

// The table text as built into the program: GBK, 10,000 lines "tail=grade=price"
// separated by CR LF, no CR LF after the last line, followed by a zero byte
// (not counted in TAIL_TABLE_SIZE).
extern const char TAIL_TABLE_TEXT[];
extern const std::size_t TAIL_TABLE_SIZE;

inline std::string_view tailTableText() { return {TAIL_TABLE_TEXT, TAIL_TABLE_SIZE}; }

// Program-wide table; row i of the table (counted from 1) is TailTable[i - 1].
extern std::vector<TailRow> TailTable;

// Parses `text` into `table`: one row per CR LF separated line, in order.
// A line that does not split into exactly three fields at "=" leaves an
// empty row; a price that is not a number gives 0.
void parseTailTable(std::string_view text, std::vector<TailRow>& table);

// Parses TAIL_TABLE_TEXT into TailTable.
void loadTailTable();

// The tail-table loader and the lookup on an arbitrary table text and
// input: one row per line, and the lookup's row is the dearest one (priced
// above 0) whose tail occurs in the input, the earliest among equals.
#include <string>
#include <vector>

#include "eval/evaluation.h"
#include "eval/tail_table.h"
#include "fuzz/fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzInput in(data, size);
  const std::string input = in.field();
  const std::string text = in.rest();

  std::vector<TailRow> table{TailRow{"stale", "row", 1}};
  parseTailTable(text, table);
  const std::vector<Text> lines = splitText(text, "\r\n");
  FUZZ_CHECK(table.size() == lines.size());
  for (size_t i = 0; i < table.size(); ++i) {
    const std::vector<Text> fields = splitText(lines[i], "=");
    const bool three = forEachPiece(lines[i], "=", [](std::string_view) {}) == 3;
    if (three) {
      FUZZ_CHECK(table[i].tail == fields[0] && table[i].grade == fields[1]);
      FUZZ_CHECK(table[i].price == textToInt(fields[2]));
    } else {
      FUZZ_CHECK(table[i].tail.empty() && table[i].grade.empty() && table[i].price == 0);
    }
  }

  const TailRow found = lookupTail(table, input);
  const TailRow* best = nullptr;
  for (const TailRow& row : table)
    if (row.price > (best ? best->price : 0) && findText(input, row.tail) != -1) best = &row;
  if (best) {
    FUZZ_CHECK(found.tail == best->tail && found.grade == best->grade && found.price == best->price);
  } else {
    FUZZ_CHECK(found.tail.empty() && found.grade.empty() && found.price == 0);
  }
  return 0;
}

#include "eval/tail_table.h"

std::vector<TailRow> TailTable;

void parseTailTable(std::string_view text, std::vector<TailRow>& table) {
  static constexpr std::string_view kLineBreak = "\r\n";
  // Fresh rows, one per line; the pieces are visited in place, so no line or
  // field is copied until it lands in its row.
  table.clear();
  table.resize(forEachPiece(text, kLineBreak, [](std::string_view) {}));
  auto row = table.begin();
  forEachPiece(text, kLineBreak, [&](std::string_view line) {
    std::string_view fields[3];
    size_t count = 0;
    forEachPiece(line, "=", [&](std::string_view field) {
      if (count < 3) fields[count] = field;
      ++count;
    });
    if (count == 3) {
      row->tail.assign(fields[0]);
      row->grade.assign(fields[1]);
      row->price = textToInt(fields[2]);
    }
    ++row;
  });
}

void loadTailTable() { parseTailTable(tailTableText(), TailTable); }

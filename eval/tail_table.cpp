#include "eval/tail_table.h"

std::vector<TailRow> TailTable;

void parseTailTable(std::string_view text, std::vector<TailRow>& table) {
  const std::vector<Text> lines = splitText(text, "\r\n");
  table.clear();
  table.resize(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) {
    std::vector<Text> fields = splitText(lines[i], "=");
    if (fields.size() != 3) continue;
    TailRow& row = table[i];
    row.tail = std::move(fields[0]);
    row.grade = std::move(fields[1]);
    row.price = textToInt(fields[2]);
  }
}

void loadTailTable() { parseTailTable(tailTableText(), TailTable); }

// kestrune-tablegen FILE: writes the generated tail-number table (GBK) to FILE.
#include <cstdio>
#include <fstream>
#include <iostream>

#include "tools/tablegen/tail_table_generator.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: kestrune-tablegen FILE\n";
    return 2;
  }
  const Text text = generateTailTableText();
  std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out.close();
  if (!out) {
    std::cerr << "kestrune-tablegen: cannot write " << argv[1] << "\n";
    return 1;
  }
  return 0;
}

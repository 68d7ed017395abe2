# Writes a C++ source holding the bytes of INPUT as TAIL_TABLE_TEXT.
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('\\\\x[0-9a-f][0-9a-f]',){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include \"eval/tail_table.h\"\n"
  "extern const char TAIL_TABLE_TEXT[] = {\n${bytes}'\\0'};\n"
  "extern const std::size_t TAIL_TABLE_SIZE = ${size};\n")

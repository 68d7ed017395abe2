# Writes a C++ source holding the bytes of INPUT as the array DATA (with a
# '\0' after the last byte, not counted) and their number as SIZE:
#   cmake -DINPUT=file -DOUTPUT=file.cpp -DDATA=NAME -DSIZE=NAME_SIZE -P embed_bytes.cmake
file(READ "${INPUT}" hex HEX)
string(LENGTH "${hex}" hexLength)
math(EXPR size "${hexLength} / 2")
string(REGEX REPLACE "([0-9a-f][0-9a-f])" "'\\\\x\\1'," bytes "${hex}")
string(REGEX REPLACE "(('\\\\x[0-9a-f][0-9a-f]',){32})" "\\1\n" bytes "${bytes}")
file(WRITE "${OUTPUT}"
  "// Generated from ${INPUT}; do not edit.\n"
  "#include <cstddef>\n"
  "extern const char ${DATA}[] = {\n${bytes}'\\0'};\n"
  "extern const std::size_t ${SIZE} = ${size};\n")

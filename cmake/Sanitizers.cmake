# KESTRUNE_SANITIZE: everything (Duktape included) built with AddressSanitizer
# and UBSan; undefined behaviour stops the program like a memory error does.
# float-cast-overflow is named because GCC's "undefined" leaves it out (clang's
# holds it): a number converted to a type that cannot hold it is caught by both.
# scripts/test-sanitized builds build-asan/ this way and runs the suite.
#
# KESTRUNE_FUZZ (clang only): the libraries the fuzz targets use, with
# libFuzzer's coverage and the same sanitizers, plus the targets in fuzz/;
# nothing else is built. scripts/fuzz builds build-fuzz/ this way.
option(KESTRUNE_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KESTRUNE_FUZZ "Build the libFuzzer targets in fuzz/ (clang)" OFF)

set(KESTRUNE_SANITIZER_FLAGS
  -fsanitize=address,undefined,float-cast-overflow -fno-sanitize-recover=undefined,float-cast-overflow
  -fno-omit-frame-pointer)
if(KESTRUNE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "KESTRUNE_FUZZ needs clang (CMAKE_CXX_COMPILER=clang++, CMAKE_C_COMPILER=clang)")
  endif()
  add_compile_options(${KESTRUNE_SANITIZER_FLAGS} -fsanitize=fuzzer-no-link)
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
elseif(KESTRUNE_SANITIZE)
  add_compile_options(${KESTRUNE_SANITIZER_FLAGS})
  add_link_options(-fsanitize=address,undefined,float-cast-overflow)
endif()

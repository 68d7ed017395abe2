# Windows, x86-64: the same source for the Windows test suite on machines whose
# kernel runs no 32-bit code (Wine can then only run 64-bit programs).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

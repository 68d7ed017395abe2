# Windows, 32-bit x86: the target the program ships for (the script control
# exists only as a 32-bit component).
set(CMAKE_SYSTEM_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)

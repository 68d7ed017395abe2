# kestrune_test(NAME SOURCES... LIBS ...): one GoogleTest program registered with ctest.
# In the Windows build the program is one ctest test, run through the
# cross-compiling emulator (Wine): listing its cases would start Wine at build
# time, and GoogleTest's output names the case that failed.
# ARGS: arguments of the program's run (the Windows build: a --gtest_filter
# leaving out cases that describe a stand-in, not Windows).
function(kestrune_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES;ARGS" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  if(WIN32)
    add_test(NAME ${name} COMMAND ${name} ${T_ARGS})
    if(T_PROPERTIES)
      set_tests_properties(${name} PROPERTIES ${T_PROPERTIES})
    endif()
  else()
    gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${T_PROPERTIES})
  endif()
endfunction()

# kestrune_gui_test(NAME SOURCES... LIBS ...): a GoogleTest program with a
# QApplication (offscreen unless QT_QPA_PLATFORM says otherwise) and QtTest.
function(kestrune_gui_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  find_package(Qt6 REQUIRED COMPONENTS Widgets Test)
  add_executable(${name} ${T_SOURCES} ${PROJECT_SOURCE_DIR}/tests/gui_test_main.cpp)
  target_link_libraries(${name} PRIVATE ${T_LIBS} Qt6::Widgets Qt6::Test GTest::gtest)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60
    PROPERTIES ENVIRONMENT QT_QPA_PLATFORM=offscreen ${T_PROPERTIES})
endfunction()

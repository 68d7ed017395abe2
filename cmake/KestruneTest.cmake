# kestrune_test(NAME SOURCES... LIBS ...): one GoogleTest program registered with ctest.
function(kestrune_test name)
  cmake_parse_arguments(T "" "" "SOURCES;LIBS;PROPERTIES" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${T_PROPERTIES})
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

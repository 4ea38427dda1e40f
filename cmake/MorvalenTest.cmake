# morvalen_add_test(NAME SOURCES ... LIBS ...): one GoogleTest program registered with CTest.
include(GoogleTest)
function(morvalen_add_test name)
  cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;ENV" ${ARGN})
  add_executable(${name} ${ARG_SOURCES})
  target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main morvalen_options)
  add_test(NAME ${name} COMMAND ${name})
  set_tests_properties(${name} PROPERTIES TIMEOUT 900
    ENVIRONMENT "QT_QPA_PLATFORM=offscreen;MORVALEN_SOURCE_DIR=${PROJECT_SOURCE_DIR};MORVALEN_BINARY_DIR=${PROJECT_BINARY_DIR};${ARG_ENV}")
endfunction()

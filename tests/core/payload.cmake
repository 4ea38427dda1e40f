morvalen_add_test(core_payload_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/payload_test.cpp
  LIBS morvalen_core)

morvalen_add_test(core_history_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/edit_history_test.cpp ${CMAKE_CURRENT_LIST_DIR}/working_state_test.cpp
  LIBS morvalen_core)

morvalen_add_test(core_aux_windows_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/probability_drag_test.cpp
  LIBS morvalen_core)

morvalen_add_test(core_best_chances_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/best_chances_test.cpp
  LIBS morvalen_core)

morvalen_add_test(core_results_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/results_check_test.cpp ${CMAKE_CURRENT_LIST_DIR}/package_chances_test.cpp
  LIBS morvalen_core)

morvalen_add_test(core_foundation_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/currency_test.cpp ${CMAKE_CURRENT_LIST_DIR}/bet_notation_test.cpp ${CMAKE_CURRENT_LIST_DIR}/event_table_test.cpp ${CMAKE_CURRENT_LIST_DIR}/list_operations_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/package_stats_test.cpp ${CMAKE_CURRENT_LIST_DIR}/cp1251_test.cpp ${CMAKE_CURRENT_LIST_DIR}/bet_fuzz_test.cpp
  LIBS morvalen_core)

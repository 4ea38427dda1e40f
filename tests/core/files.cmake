morvalen_add_test(core_files_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/spreadsheet_table_test.cpp ${CMAKE_CURRENT_LIST_DIR}/quotes_file_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/update_check_test.cpp
  LIBS morvalen_core)

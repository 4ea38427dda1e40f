# The file commands, the update check and the results check window, through answering adapters.
set(MORVALEN_APP_XLSX_READER "")
find_program(morvalen_python3 NAMES python3 PATHS /usr/bin NO_DEFAULT_PATH NO_CACHE)
if(morvalen_python3)
  execute_process(COMMAND ${morvalen_python3} -c "import openpyxl" RESULT_VARIABLE morvalen_has_openpyxl OUTPUT_QUIET ERROR_QUIET)
  if(morvalen_has_openpyxl EQUAL 0)
    set(MORVALEN_APP_XLSX_READER ${morvalen_python3})
  endif()
endif()
morvalen_add_test(app_files_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt_environment.cpp ${CMAKE_CURRENT_LIST_DIR}/file_commands_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/update_check_test.cpp ${CMAKE_CURRENT_LIST_DIR}/results_window_test.cpp
  LIBS morvalen_app_lib Qt6::Test
  ENV "ASAN_OPTIONS=detect_leaks=0" "MORVALEN_XLSX_READER=${MORVALEN_APP_XLSX_READER}")

# A picture of the results check window for the documentation: results_window_shot <file.png> under Xvfb.
add_executable(results_window_shot ${CMAKE_CURRENT_LIST_DIR}/results_window_shot.cpp)
target_link_libraries(results_window_shot PRIVATE morvalen_app_lib morvalen_options Qt6::Test)

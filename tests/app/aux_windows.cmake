# The auxiliary windows: the probability editor, the nearest brief systems, the distribution by outcomes.
morvalen_add_test(app_aux_windows_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/qt_environment.cpp ${CMAKE_CURRENT_LIST_DIR}/probability_editor_test.cpp ${CMAKE_CURRENT_LIST_DIR}/distribution_window_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/nearest_systems_window_test.cpp ${CMAKE_CURRENT_LIST_DIR}/aux_windows_main_test.cpp
  LIBS morvalen_app_lib Qt6::Test
  ENV "LSAN_OPTIONS=suppressions=${CMAKE_CURRENT_LIST_DIR}/lsan_fontconfig.supp")

# Pictures of the three windows for the documentation: run under Xvfb with the docs folder as argument.
add_executable(aux_window_shots ${CMAKE_CURRENT_LIST_DIR}/aux_window_shots.cpp)
target_link_libraries(aux_window_shots PRIVATE morvalen_app_lib morvalen_options Qt6::Test)

morvalen_add_test(core_formation_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/autoformation_test.cpp ${CMAKE_CURRENT_LIST_DIR}/formation_methods_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/analysis_test.cpp
  LIBS morvalen_core)

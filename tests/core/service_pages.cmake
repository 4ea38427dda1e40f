morvalen_add_test(core_service_pages_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/line_page_test.cpp ${CMAKE_CURRENT_LIST_DIR}/list_page_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/service_request_test.cpp ${CMAKE_CURRENT_LIST_DIR}/page_text_test.cpp
          ${CMAKE_CURRENT_LIST_DIR}/service_pages_fuzz_test.cpp
  LIBS morvalen_core)

# The program's version, written once: the native project takes it as project(VERSION) and the browser
# build reads the same line; both configure src/core/version.h.in into a generated header.
set(MORVALEN_VERSION 1.0.2.0)

function(morvalen_configure_version_header target)
  set(MORVALEN_VERSION_TEXT "${MORVALEN_VERSION}")
  configure_file("${CMAKE_CURRENT_FUNCTION_LIST_DIR}/../src/core/version.h.in"
                 "${CMAKE_CURRENT_BINARY_DIR}/generated/core/version.h" @ONLY)
  target_include_directories(${target} PUBLIC "${CMAKE_CURRENT_BINARY_DIR}/generated")
endfunction()

# One INTERFACE target that carries the language standard, warnings and sanitizer flags for every target.
add_library(morvalen_options INTERFACE)
target_compile_features(morvalen_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
target_compile_options(morvalen_options INTERFACE
  -Wall -Wextra -Wpedantic -Wshadow -Wconversion -Wno-sign-conversion
  $<$<BOOL:${MORVALEN_WERROR}>:-Werror>)
if(MORVALEN_SANITIZE)
  target_compile_options(morvalen_options INTERFACE
    -fsanitize=address,undefined -fno-sanitize-recover=undefined -fno-omit-frame-pointer)
  target_link_options(morvalen_options INTERFACE -fsanitize=address,undefined)
endif()

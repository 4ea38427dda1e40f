# Every outside part the build needs, found once here; a missing one stops cmake naming its Debian package.

# Stops the configure run: WHAT was not found, PACKAGES install it, OPTION (if any) switches the part off.
function(morvalen_missing what packages option)
  set(text "${what} not found. Install the Debian package(s): ${packages} (./scripts/deps.sh installs all).")
  if(option)
    string(APPEND text " To build without this part, configure with -D${option}=OFF.")
  endif()
  message(FATAL_ERROR "${text}")
endfunction()

# find_package(NAME ...) for a part that WHAT names and PACKAGES install; OPTION switches it off ("" if none).
macro(morvalen_find_package name what packages option)
  find_package(${name} ${ARGN} QUIET)
  if(NOT ${name}_FOUND)
    morvalen_missing("${what}" "${packages}" "${option}")
  endif()
endmacro()

# A pkg-config module as the imported target PkgConfig::PREFIX.
macro(morvalen_find_module prefix module what packages)
  pkg_check_modules(${prefix} QUIET IMPORTED_TARGET ${module})
  if(NOT ${prefix}_FOUND)
    morvalen_missing("${what}" "${packages}" "")
  endif()
endmacro()

morvalen_find_package(ZLIB "zlib" zlib1g-dev "")
find_package(Threads REQUIRED)
morvalen_find_package(PkgConfig "pkg-config" pkg-config "")

# The service: HTTP transport, store and line files; then the spreadsheet export.
morvalen_find_package(Boost "Boost.Asio and Boost.Beast" libboost-dev "" 1.74 CONFIG)
morvalen_find_module(SQLITE3 sqlite3 "SQLite 3" libsqlite3-dev)
morvalen_find_package(nlohmann_json "nlohmann-json 3" nlohmann-json3-dev "" 3)
morvalen_find_module(XLSXWRITER xlsxwriter "libxlsxwriter" libxlsxwriter-dev)

if(MORVALEN_BUILD_APP)
  find_package(Qt6 COMPONENTS Core Gui Widgets Network Charts Test)
  if(NOT Qt6_FOUND)
    set(detail "")
    if(Qt6_NOT_FOUND_MESSAGE)
      set(detail " (${Qt6_NOT_FOUND_MESSAGE})")
    endif()
    morvalen_missing("Qt 6 Widgets, Network, Charts and Test${detail}"
                     "qt6-base-dev qt6-charts-dev libqt6opengl6-dev" MORVALEN_BUILD_APP)
  endif()
  # The update check verifies the release's minisign signatures (Ed25519, BLAKE2b) with libsodium.
  morvalen_find_module(SODIUM libsodium "libsodium" libsodium-dev)
  # The program's icon in the sizes a desktop asks for is drawn from its SVG.
  find_program(MORVALEN_RSVG_CONVERT rsvg-convert)
  if(NOT MORVALEN_RSVG_CONVERT)
    morvalen_missing("rsvg-convert" "librsvg2-bin" MORVALEN_BUILD_APP)
  endif()
endif()

if(MORVALEN_BUILD_TESTS)
  morvalen_find_package(GTest "GoogleTest" libgtest-dev MORVALEN_BUILD_TESTS)
  # Python 3 runs the build-file and deployment checks, and the spreadsheet tests read the written
  # workbooks back with its openpyxl: the system's python3 first, since one earlier in PATH (a virtual
  # environment) may lack it.
  set(MORVALEN_PYTHON "")
  foreach(candidate /usr/bin/python3 python3)
    find_program(python_path NAMES ${candidate} NO_CACHE)
    if(python_path AND NOT MORVALEN_PYTHON)
      execute_process(COMMAND ${python_path} -c "import openpyxl" RESULT_VARIABLE import_result
                      OUTPUT_QUIET ERROR_QUIET)
      if(import_result EQUAL 0)
        set(MORVALEN_PYTHON ${python_path})
      endif()
    endif()
    unset(python_path)
  endforeach()
  if(NOT MORVALEN_PYTHON)
    morvalen_missing("Python 3 with openpyxl (the spreadsheet tests read workbooks with it)"
                     "python3 python3-openpyxl" MORVALEN_BUILD_TESTS)
  endif()
endif()
# The HTTP client of the service's tests and load benchmark.
if(MORVALEN_BUILD_TESTS OR MORVALEN_BUILD_BENCH)
  morvalen_find_module(CPPHTTPLIB cpp-httplib "cpp-httplib" libcpp-httplib-dev)
endif()
if(MORVALEN_BUILD_BENCH)
  morvalen_find_package(benchmark "Google Benchmark" libbenchmark-dev MORVALEN_BUILD_BENCH)
endif()

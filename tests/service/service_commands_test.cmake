# Runs the operator's commands of morvalen_service on a fresh database and checks their effects.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
set(DB ${WORK_DIR}/store.db)

function(run_service expect_code)
  execute_process(COMMAND ${SERVICE} --db ${DB} ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL expect_code)
    message(FATAL_ERROR "morvalen_service ${ARGN}: exit ${code}, expected ${expect_code}\n${out}\n${err}")
  endif()
  set(last_out "${out}" PARENT_SCOPE)
  set(last_err "${err}" PARENT_SCOPE)
endfunction()

run_service(0 --help)
foreach(command import-line export-line import-system set-version set-archive)
  if(NOT last_out MATCHES "${command}")
    message(FATAL_ERROR "--help does not mention ${command}")
  endif()
endforeach()

# A new database exports the demonstration line; importing it back changes nothing.
run_service(0 export-line ${WORK_DIR}/exported.json)
file(READ ${WORK_DIR}/exported.json exported)
string(JSON first_name GET "${exported}" events 0 name)
if(first_name STREQUAL "")
  message(FATAL_ERROR "the exported line has no first event name")
endif()
run_service(0 import-line ${WORK_DIR}/exported.json)
run_service(0 export-line ${WORK_DIR}/again.json)
file(READ ${WORK_DIR}/again.json again)
if(NOT again STREQUAL exported)
  message(FATAL_ERROR "export after import differs")
endif()

# The shipped demonstration file imports.
run_service(0 import-line ${SOURCE_DIR}/data/demo-line.json)

# A broken line file is refused and the stored line stays.
file(WRITE ${WORK_DIR}/broken.json "{\"deadline\": \"no slash\", \"stake\": 1, \"events\": []}")
run_service(1 import-line ${WORK_DIR}/broken.json)
run_service(0 export-line ${WORK_DIR}/after.json)
file(READ ${WORK_DIR}/after.json after)
if(NOT after STREQUAL exported)
  message(FATAL_ERROR "a refused import changed the line")
endif()

# Payloads: a plain file is no gzip stream; a signature that the program cannot send is refused.
file(WRITE ${WORK_DIR}/plain.bin "not a gzip stream")
run_service(1 import-system 50111101842 ${WORK_DIR}/plain.bin)
run_service(1 import-system 12x ${WORK_DIR}/plain.bin)
run_service(2 import-system 50111101842)

# 12 bytes of content are 2 records; the last 2 bytes are no record.
file(WRITE ${WORK_DIR}/records.bin "ABCDEFGHIJKL")
file(ARCHIVE_CREATE OUTPUT ${WORK_DIR}/records.gz PATHS ${WORK_DIR}/records.bin FORMAT raw COMPRESSION GZip)
run_service(0 import-system 50111101842 ${WORK_DIR}/records.gz)
if(NOT last_out MATCHES "2 bets")
  message(FATAL_ERROR "import-system did not count 2 bets: ${last_out}")
endif()
run_service(0 set-version 1.0.3.0)
file(WRITE ${WORK_DIR}/archive.rar "Rar! archive bytes")
run_service(0 set-archive ${WORK_DIR}/archive.rar)
run_service(1 set-archive ${WORK_DIR}/missing.rar)
run_service(2 no-such-command)
run_service(2 --port 70000)

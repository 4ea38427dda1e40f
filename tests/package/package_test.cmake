# Builds the Debian package of the tree, unpacks it into a folder and checks what a user would get.
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})

function(run)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE code OUTPUT_VARIABLE out ERROR_VARIABLE err)
  if(NOT code EQUAL 0)
    message(FATAL_ERROR "${ARGN}: exit ${code}\n${out}\n${err}")
  endif()
  set(last_out "${out}" PARENT_SCOPE)
endfunction()

run(dpkg --print-architecture)
string(STRIP "${last_out}" architecture)
run(${CPACK} -G DEB --config ${BINARY_DIR}/CPackConfig.cmake -B ${WORK_DIR})
set(deb ${WORK_DIR}/morvalen_${VERSION}_${architecture}.deb)
if(NOT EXISTS ${deb})
  message(FATAL_ERROR "cpack wrote no ${deb}")
endif()

# Every file a desktop user and an operator need, where Debian 12 looks for it.
run(${DPKG_DEB} --contents ${deb})
set(listing "${last_out}")
foreach(path
    ./usr/bin/morvalen ./usr/bin/morvalen_service ./usr/bin/morvalen_pack
    ./usr/share/applications/${APP_ID}.desktop
    ./usr/share/metainfo/${APP_ID}.metainfo.xml
    ./usr/share/icons/hicolor/scalable/apps/${APP_ID}.svg
    ./usr/share/icons/hicolor/48x48/apps/${APP_ID}.png
    ./usr/share/icons/hicolor/256x256/apps/${APP_ID}.png
    ./lib/systemd/system/morvalen-service.service
    ./usr/share/morvalen/demo-line.json ./usr/share/morvalen/brief_catalogue.txt
    ./usr/share/morvalen/web/index.html)
  string(REGEX REPLACE "([.+])" "\\\\\\1" pattern "${path}")
  if(NOT listing MATCHES " ${pattern}\n")
    message(FATAL_ERROR "the package has no ${path}:\n${listing}")
  endif()
endforeach()
if(listing MATCHES "/usr/include|\\.a\n|_test|_bench")
  message(FATAL_ERROR "the package carries build or test files:\n${listing}")
endif()

# Library dependencies are computed, and what no library pulls in is named.
run(${DPKG_DEB} --field ${deb} Depends)
foreach(dependency libqt6widgets6 libqt6charts6 libsqlite3 libxlsxwriter zlib1g qt6-qpa-plugins qt6-translations-l10n)
  if(NOT last_out MATCHES "${dependency}")
    message(FATAL_ERROR "Depends lacks ${dependency}: ${last_out}")
  endif()
endforeach()
foreach(script postinst prerm postrm)
  run(${DPKG_DEB} --info ${deb} ${script})
endforeach()

# Unpacked into a folder, as dpkg would install it.
set(root ${WORK_DIR}/root)
run(${DPKG_DEB} -x ${deb} ${root})
set(desktop_entry ${root}/usr/share/applications/${APP_ID}.desktop)
run(${DESKTOP_FILE_VALIDATE} ${desktop_entry})
file(READ ${desktop_entry} entry)
foreach(line "Name=" "Name\\[ru\\]=" "Comment=" "Comment\\[ru\\]=" "Exec=morvalen\n" "Icon=${APP_ID}\n"
             "Categories=[^\n]*Office")
  if(NOT entry MATCHES "\n${line}")
    message(FATAL_ERROR "the desktop entry has no ${line}:\n${entry}")
  endif()
endforeach()
run(${APPSTREAMCLI} validate --no-net ${root}/usr/share/metainfo/${APP_ID}.metainfo.xml)

# PNG keeps width and height as big-endian words at bytes 16 to 23.
foreach(size 48 256)
  file(READ ${root}/usr/share/icons/hicolor/${size}x${size}/apps/${APP_ID}.png header OFFSET 16 LIMIT 8 HEX)
  math(EXPR hex_size "${size}" OUTPUT_FORMAT HEXADECIMAL)
  string(SUBSTRING "${hex_size}" 2 -1 digits)
  string(LENGTH "${digits}" length)
  math(EXPR padding "8 - ${length}")
  string(REPEAT "0" ${padding} zeros)
  if(NOT header STREQUAL "${zeros}${digits}${zeros}${digits}")
    message(FATAL_ERROR "the ${size} pixel icon is not ${size} by ${size}: ${header}")
  endif()
endforeach()

# The service unit: its own user, a state directory for the database, hardening, the port set once.
file(READ ${root}/lib/systemd/system/morvalen-service.service unit)
foreach(setting "User=morvalen|DynamicUser=yes" "StateDirectory=morvalen-service" "ProtectSystem=strict"
                "NoNewPrivileges=yes" "ExecStart=/usr/bin/morvalen_service --db /var/lib/morvalen-service/")
  if(NOT unit MATCHES "\n(${setting})")
    message(FATAL_ERROR "the unit has no ${setting}")
  endif()
endforeach()
string(REGEX MATCHALL "8017" port_mentions "${unit}")
list(LENGTH port_mentions port_count)
if(NOT port_count EQUAL 1)
  message(FATAL_ERROR "the unit names the port ${port_count} times instead of once")
endif()

# The unpacked batch tool runs.
run(${root}/usr/bin/morvalen_pack --help)
if(NOT last_out MATCHES "hits")
  message(FATAL_ERROR "morvalen_pack --help from the package lists no commands: ${last_out}")
endif()
run(${root}/usr/bin/morvalen_service --help)

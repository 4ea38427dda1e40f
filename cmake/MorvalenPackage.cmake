# What `cmake --install` puts where, and the Debian package of it: `cpack -G DEB` in a Release tree.
include(GNUInstallDirs)

# Debian 12 keeps packaged units under /lib, not /usr/lib.
set(MORVALEN_SYSTEMD_UNIT_DIR /lib/systemd/system CACHE PATH "Where the service's systemd unit is installed")

install(TARGETS morvalen_pack morvalen_service RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${PROJECT_SOURCE_DIR}/deploy/morvalen-service.service DESTINATION ${MORVALEN_SYSTEMD_UNIT_DIR})
# Both are built into the programs; the files are the operator's starting points (import-line, --previous).
install(FILES ${PROJECT_SOURCE_DIR}/data/demo-line.json ${PROJECT_SOURCE_DIR}/data/brief_catalogue.txt
        DESTINATION ${CMAKE_INSTALL_DATADIR}/morvalen)
# The browser page (scripts/build-web), which morvalen_service serves at "/" from this folder.
set(MORVALEN_WEB_DIST ${PROJECT_SOURCE_DIR}/build/web/dist CACHE PATH "The built browser page that the package ships")
install(CODE "if(NOT EXISTS \"${MORVALEN_WEB_DIST}/index.html\")
  message(FATAL_ERROR \"the browser page is not built in ${MORVALEN_WEB_DIST}: run scripts/build-web\")
endif()")
install(DIRECTORY ${MORVALEN_WEB_DIST}/ DESTINATION ${CMAKE_INSTALL_DATADIR}/morvalen/web)
install(FILES ${PROJECT_SOURCE_DIR}/README.md ${PROJECT_SOURCE_DIR}/docs/service.md DESTINATION ${CMAKE_INSTALL_DOCDIR})

if(MORVALEN_BUILD_APP)
  install(TARGETS morvalen RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
  set(desktop_dir ${PROJECT_SOURCE_DIR}/data/desktop)
  install(FILES ${desktop_dir}/${MORVALEN_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)

  # The release date honours SOURCE_DATE_EPOCH, so a rebuild of the same sources gives the same file.
  string(TIMESTAMP MORVALEN_RELEASE_DATE "%Y-%m-%d" UTC)
  configure_file(${desktop_dir}/${MORVALEN_APP_ID}.metainfo.xml.in
                 ${PROJECT_BINARY_DIR}/desktop/${MORVALEN_APP_ID}.metainfo.xml @ONLY)
  install(FILES ${PROJECT_BINARY_DIR}/desktop/${MORVALEN_APP_ID}.metainfo.xml
          DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

  set(icon_svg ${desktop_dir}/${MORVALEN_APP_ID}.svg)
  set(icon_root ${CMAKE_INSTALL_DATADIR}/icons/hicolor)
  install(FILES ${icon_svg} DESTINATION ${icon_root}/scalable/apps)
  set(icon_pngs "")
  foreach(size 48 256)
    set(png ${PROJECT_BINARY_DIR}/desktop/${size}/${MORVALEN_APP_ID}.png)
    add_custom_command(OUTPUT ${png}
      COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/desktop/${size}
      COMMAND ${MORVALEN_RSVG_CONVERT} --width=${size} --height=${size} --output=${png} ${icon_svg}
      DEPENDS ${icon_svg}
      COMMENT "Drawing the ${size} pixel icon")
    install(FILES ${png} DESTINATION ${icon_root}/${size}x${size}/apps)
    list(APPEND icon_pngs ${png})
  endforeach()
  add_custom_target(morvalen_icons ALL DEPENDS ${icon_pngs})
endif()

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME morvalen)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Morvalen developers")
set(CPACK_PACKAGE_CONTACT "Morvalen developers <packages@morvalen.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "packages of exact-score bets for a totalizator")
set(CPACK_PACKAGE_DESCRIPTION
  "A draw is 8 matches, each predicted as one of 17 exact scores. The desktop
program marks the possible outcomes, forms a package of bets and shows what it
costs and covers; morvalen_pack is the batch tool over the same rules, and
morvalen_service the line and brief-system service with its systemd unit.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES TRUE)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
if(MORVALEN_BUILD_APP)
  # Not libraries, so the computed dependencies miss them: the window's platform plugin, Qt's translations,
  # and xdg-open for the spreadsheet and the information page.
  set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, qt6-translations-l10n")
  set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils")
endif()
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
  ${PROJECT_SOURCE_DIR}/deploy/package/postinst ${PROJECT_SOURCE_DIR}/deploy/package/prerm
  ${PROJECT_SOURCE_DIR}/deploy/package/postrm)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION TRUE)
include(CPack)

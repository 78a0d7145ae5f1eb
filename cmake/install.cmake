# Installation on Linux (cmake --install) and the Debian package (cpack -G DEB, target
# package): the programs, their man pages, the bash completion, README and the manual.
include(GNUInstallDirs)

install(TARGETS kest kestemu RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})

# Man pages: written in scdoc, turned into roff and compressed as Debian keeps them.
find_program(KEST_SCDOC scdoc)
find_program(KEST_GZIP gzip)
set(KEST_MAN_PAGES kest kestemu)
set(KEST_MAN_OUTPUTS)
foreach(page ${KEST_MAN_PAGES})
  set(source ${CMAKE_SOURCE_DIR}/docs/man/${page}.1.scd)
  set(roff ${CMAKE_BINARY_DIR}/man/${page}.1)
  if(KEST_SCDOC AND KEST_GZIP)
    add_custom_command(OUTPUT ${roff}.gz
      COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
      COMMAND ${KEST_SCDOC} < ${source} > ${roff}
      COMMAND ${KEST_GZIP} -9nf ${roff}
      DEPENDS ${source}
      COMMENT "man page ${page}(1)")
    list(APPEND KEST_MAN_OUTPUTS ${roff}.gz)
    install(FILES ${roff}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
  endif()
endforeach()
if(KEST_MAN_OUTPUTS)
  add_custom_target(man ALL DEPENDS ${KEST_MAN_OUTPUTS})
else()
  message(WARNING "scdoc not found: no man pages (scripts/install-deps.sh installs it)")
endif()

install(FILES ${CMAKE_SOURCE_DIR}/completion/kest.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kest)
install(FILES ${CMAKE_SOURCE_DIR}/completion/kest.bash
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME kestemu)

install(FILES ${CMAKE_SOURCE_DIR}/README.md ${CMAKE_SOURCE_DIR}/kest-project.schema.json
              ${CMAKE_SOURCE_DIR}/kest-output.schema.json
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY ${CMAKE_SOURCE_DIR}/docs/manual/ DESTINATION ${CMAKE_INSTALL_DOCDIR}/manual)
install(FILES ${CMAKE_SOURCE_DIR}/docs/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The package's changelog, compressed as Debian keeps it.
configure_file(${CMAKE_SOURCE_DIR}/docs/changelog.in ${CMAKE_BINARY_DIR}/doc/changelog @ONLY)
if(KEST_GZIP)
  add_custom_command(OUTPUT ${CMAKE_BINARY_DIR}/doc/changelog.gz
    COMMAND ${KEST_GZIP} -9nc ${CMAKE_BINARY_DIR}/doc/changelog > ${CMAKE_BINARY_DIR}/doc/changelog.gz
    DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog)
  add_custom_target(changelog ALL DEPENDS ${CMAKE_BINARY_DIR}/doc/changelog.gz)
  install(FILES ${CMAKE_BINARY_DIR}/doc/changelog.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})
endif()

# The Debian package kest_VERSION_ARCH.deb; its dependencies are computed by
# dpkg-shlibdeps from the programs' libraries.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kest)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "KEST developers <kest@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "tools for the hand-held barcode data terminal")
set(CPACK_PACKAGE_DESCRIPTION
    "kest writes, checks and converts the terminal's project files and makes\nevery transfer with the terminal over a serial port or the infrared cradle:\napplication and lookup download, data upload and flash download. kestemu\nemulates the terminal and its cradle on a pseudo-terminal.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
include(CPack)

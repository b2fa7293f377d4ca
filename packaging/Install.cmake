# What `cmake --install` puts where, and the Debian package CPack builds of it.
# `scripts/package` configures with CMAKE_INSTALL_PREFIX=/usr and runs cpack.

install(TARGETS tavrin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tavrin-survey RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
if(TARGET tavrin-devsim)
  install(TARGETS tavrin-devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavrin.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavrin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
install(FILES ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The README's pictures, at the place its links name.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/screenshots
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "tavrin developers <tavrin@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service tool for a Bluetooth serial module")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "tavrin reads the state of a Bluetooth serial module installed at a site,\n"
  "sends the module's text commands while showing the raw byte trace, and\n"
  "creates and breaks its pair. The module is reached by cable or through a\n"
  "dial-up GSM modem. The user interface is in Russian. tavrin-devsim\n"
  "simulates the module and the modem on a pseudo-terminal, for\n"
  "demonstrations and training.")
# The package's files are those the program looks for: the settings library compiles
# in CMAKE_INSTALL_FULL_BINDIR, so the package is laid out under the same prefix.
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
# The libraries linked (Qt widgets and serial port, the C++ runtime) come from
# dpkg-shlibdeps; the rest is loaded at run time: Qt's X11 platform plugin, Qt's own
# Russian texts, and the fonts whose control pictures (␍ ␊) the byte trace shows.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, qt6-translations-l10n, fonts-dejavu-core, fonts-freefont-ttf")
include(CPack)

# What `cmake --install` puts where, and the Debian package CPack builds of it.
# `cpack -G DEB` in any build, or `scripts/package`, makes a package laid out under
# /usr; `cmake --install` keeps the configured prefix (/usr/local unless given).

set(TAVRIN_PACKAGE_MAINTAINER "tavrin maintainers <maintainers@tavrin.invalid>" CACHE STRING
  "Name and mail address of the Debian package's maintainer (its Maintainer field and changelog)")
set(TAVRIN_APPSTREAM_ID "org.example.tavrin" CACHE STRING
  "The AppStream component id (reverse domain name) of the program's metainfo")
# The package's Debian revision: the version of the packaging of this upstream version.
set(TAVRIN_DEBIAN_REVISION 1)
set(TAVRIN_DEBIAN_VERSION ${PROJECT_VERSION}-${TAVRIN_DEBIAN_REVISION})

install(TARGETS tavrin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tavrin-survey RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# Where the programs look for it, relative to their own folder.
install(TARGETS tavrin-network LIBRARY DESTINATION ${TAVRIN_NETWORK_MODULE_DIR})
if(TARGET tavrin-devsim)
  install(TARGETS tavrin-devsim RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavrin.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/tavrin.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 128 256)
  install(FILES ${CMAKE_CURRENT_LIST_DIR}/icons/tavrin-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps RENAME tavrin.png)
endforeach()
install(FILES ${PROJECT_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})
# The README's pictures, at the place its links name.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/docs/screenshots
        DESTINATION ${CMAKE_INSTALL_DOCDIR}/docs)
install(FILES ${CMAKE_CURRENT_LIST_DIR}/copyright DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(FILES ${CMAKE_CURRENT_LIST_DIR}/lintian-overrides
        DESTINATION ${CMAKE_INSTALL_DATADIR}/lintian/overrides RENAME tavrin)

# Manual pages and the changelog are installed compressed, as Debian keeps them:
# gzip -9 without a name or time stamp, so the same sources give the same bytes.
set(TAVRIN_PACKAGING_OUT ${CMAKE_BINARY_DIR}/packaging)
find_program(TAVRIN_GZIP gzip)
function(tavrin_gzip source output)
  if(TAVRIN_GZIP)
    add_custom_command(OUTPUT ${output}
      COMMAND ${TAVRIN_GZIP} -9nc ${source} > ${output}
      DEPENDS ${source} VERBATIM)
  else()
    # Without gzip (Windows) the file is installed as it is, under the .gz name's stem.
    add_custom_command(OUTPUT ${output}
      COMMAND ${CMAKE_COMMAND} -E copy ${source} ${output}
      DEPENDS ${source} VERBATIM)
  endif()
  set(TAVRIN_COMPRESSED ${TAVRIN_COMPRESSED} ${output} PARENT_SCOPE)
endfunction()

configure_file(${CMAKE_CURRENT_LIST_DIR}/changelog.Debian.in ${TAVRIN_PACKAGING_OUT}/changelog.Debian @ONLY)
tavrin_gzip(${TAVRIN_PACKAGING_OUT}/changelog.Debian ${TAVRIN_PACKAGING_OUT}/changelog.Debian.gz)
install(FILES ${TAVRIN_PACKAGING_OUT}/changelog.Debian.gz DESTINATION ${CMAKE_INSTALL_DOCDIR})

# A manual page for every program installed: English in man1, Russian in ru/man1.
function(tavrin_install_manual program)
  foreach(language "" ru)
    set(source ${PROJECT_SOURCE_DIR}/packaging/man/${language}/${program}.1)
    set(output ${TAVRIN_PACKAGING_OUT}/man/${language}/${program}.1.gz)
    file(MAKE_DIRECTORY ${TAVRIN_PACKAGING_OUT}/man/${language})
    tavrin_gzip(${source} ${output})
    if(language STREQUAL "")
      install(FILES ${output} DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
    else()
      install(FILES ${output} DESTINATION ${CMAKE_INSTALL_MANDIR}/${language}/man1)
    endif()
  endforeach()
  set(TAVRIN_COMPRESSED ${TAVRIN_COMPRESSED} PARENT_SCOPE)
endfunction()
tavrin_install_manual(tavrin)
if(TARGET tavrin-devsim)
  tavrin_install_manual(tavrin-devsim)
endif()

# tavrin-survey, the metainfo that lists it and the files made above are settled once
# every folder of the project has been read, wherever that program is added.
function(tavrin_finish_packaging)
  set(TAVRIN_SURVEY_PROVIDES "")
  if(TARGET tavrin-survey)
    tavrin_install_manual(tavrin-survey)
    string(CONCAT TAVRIN_SURVEY_PROVIDES "\n    <binary>tavrin-survey</binary>")
  endif()
  set(metainfo ${TAVRIN_PACKAGING_OUT}/${TAVRIN_APPSTREAM_ID}.metainfo.xml)
  configure_file(${PROJECT_SOURCE_DIR}/packaging/tavrin.metainfo.xml.in ${metainfo} @ONLY)
  install(FILES ${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
  add_custom_target(tavrin-packaging-files ALL DEPENDS ${TAVRIN_COMPRESSED})
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL tavrin_finish_packaging)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tavrin)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "${TAVRIN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TAVRIN_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_RELEASE ${TAVRIN_DEBIAN_REVISION})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "service tool for a Bluetooth serial module")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
  "tavrin reads the state of a Bluetooth serial module installed at a site,\n"
  "sends the module's text commands while showing the raw byte trace, and\n"
  "creates and breaks its pair. The module is reached by cable or through a\n"
  "dial-up GSM modem. The user interface is in Russian. tavrin-survey\n"
  "reads the module of every subscriber site in one run, for a scheduled\n"
  "job. tavrin-devsim simulates the module and the modem on a\n"
  "pseudo-terminal, for demonstrations and training.")
# Laid out under /usr whatever the build's own prefix: the program counts /usr/bin as
# a place it is installed in, so its settings go to the user's folder there.
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION electronics)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# Folders in the package as Debian has them, whatever the umask of the build.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
# The libraries linked (Qt widgets and serial port, the C++ runtime) come from
# dpkg-shlibdeps; the rest is loaded at run time: Qt's X11 platform plugin, Qt's own
# Russian texts, the fonts whose control pictures (␍ ␊) the byte trace shows, and
# libxlsxwriter, loaded when the first survey report is written.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
  "qt6-qpa-plugins, qt6-translations-l10n, fonts-dejavu-core, fonts-freefont-ttf, libxlsxwriter4")
include(CPack)

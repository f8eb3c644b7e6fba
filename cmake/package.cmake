# The man pages, the AppStream metainfo, the licence, and the Debian package:
#
#   cpack -G DEB          (in the build folder) gives quillmere_<version>_amd64.deb
#
# The package installs the same tree as cmake --install under /usr:
#   /usr/bin/quillmere, /usr/bin/quillmere-report      launcher and report link
#   /usr/lib/quillmere/                                the program and the report tool
#   /usr/share/quillmere/                              shipped data, help, maps
#   /usr/share/applications/quillmere.desktop, /usr/share/icons/hicolor/...
#   /usr/share/man/man1/quillmere.1.gz, quillmere-report.1.gz
#   /usr/share/metainfo/io.github.quillmere.Quillmere.metainfo.xml
#   /usr/share/doc/quillmere/copyright
#
# This file is included at the end of the top-level CMakeLists.txt, after
# cmake/install.cmake.

# The man pages are written in scdoc and turned into roff here, then
# compressed as Debian's policy asks.
find_program(QUILLMERE_SCDOC scdoc REQUIRED)
find_program(QUILLMERE_GZIP gzip REQUIRED)
set(quillmere_man_pages)
foreach(page quillmere.1 quillmere-report.1)
  set(roff ${PROJECT_BINARY_DIR}/packaging/man/${page})
  add_custom_command(OUTPUT ${roff} ${roff}.gz
    COMMAND ${CMAKE_COMMAND} -E make_directory ${PROJECT_BINARY_DIR}/packaging/man
    COMMAND ${QUILLMERE_SCDOC} < ${PROJECT_SOURCE_DIR}/packaging/man/${page}.scd > ${roff}
    COMMAND ${QUILLMERE_GZIP} -9 -n -c ${roff} > ${roff}.gz
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/man/${page}.scd
    COMMENT "Writing the man page ${page}"
    VERBATIM)
  list(APPEND quillmere_man_pages ${roff}.gz)
  install(FILES ${roff}.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1
          COMPONENT ${QUILLMERE_COMPONENT})
endforeach()
add_custom_target(quillmere_man_pages ALL DEPENDS ${quillmere_man_pages})
add_dependencies(quillmere_installables quillmere_man_pages)

set(QUILLMERE_METAINFO ${PROJECT_SOURCE_DIR}/packaging/io.github.quillmere.Quillmere.metainfo.xml)
install(FILES ${QUILLMERE_METAINFO} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo
        COMPONENT ${QUILLMERE_COMPONENT})
# Debian's machine-readable copyright file: the program's licence and the
# terms of the data it ships (ITU-R's tables and maps, the coastlines).
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/quillmere COMPONENT ${QUILLMERE_COMPONENT})

# Checks of what a desktop and a software centre read.
find_program(QUILLMERE_APPSTREAMCLI appstreamcli)
if(QUILLMERE_APPSTREAMCLI)
  add_test(NAME appstream_metainfo_validates
           COMMAND ${QUILLMERE_APPSTREAMCLI} validate --no-net ${QUILLMERE_METAINFO})
endif()
find_program(QUILLMERE_DESKTOP_FILE_VALIDATE desktop-file-validate)
if(QUILLMERE_DESKTOP_FILE_VALIDATE)
  add_test(NAME desktop_entry_validates
           COMMAND ${QUILLMERE_DESKTOP_FILE_VALIDATE}
                   ${PROJECT_SOURCE_DIR}/packaging/quillmere.desktop)
endif()
# man -l renders both pages without a warning from groff.
add_test(NAME man_pages_render
         COMMAND ${PROJECT_SOURCE_DIR}/packaging/check_man.sh
                 ${PROJECT_BINARY_DIR}/packaging/man/quillmere.1
                 ${PROJECT_BINARY_DIR}/packaging/man/quillmere-report.1)

# The Debian package.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME quillmere)
set(CPACK_PACKAGE_VERSION ${QUILLMERE_FILE_VERSION})
set(CPACK_PACKAGE_VENDOR "The Quillmere developers")
set(CPACK_PACKAGE_CONTACT "The Quillmere developers <quillmere@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "atmospheric attenuation and path loss for microwave EME and terrestrial paths")
set(CPACK_PACKAGE_DESCRIPTION
    "A calculator for radio amateurs on the microwave bands (10 to 241 GHz): for a Home and
a DX station at once it works out what gases, rain, cloud and fog take from the signal
(ITU-R P.676, P.838, P.840), the sky noise this adds, and the EME or free-space path
loss, and redisplays every figure at every click. quillmere-report prints the same
figures without a window.")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_SOURCE_DIR}/LICENSE)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE https://github.com/quillmere/quillmere)
# Library dependencies come from the binaries (dpkg-shlibdeps); what they load
# at run time or draw with is named here: Qt's window-system plugins and the
# fonts the form is drawn in.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins, fonts-liberation2")
set(CPACK_COMPONENTS_ALL ${QUILLMERE_COMPONENT})
set(CPACK_DEB_COMPONENT_INSTALL OFF)
set(CPACK_STRIP_FILES ON)
include(CPack)

# The package is built and checked: its contents list, then an install into a
# throwaway root, the report tool run from there, and a clean removal.
add_test(NAME debian_package
         COMMAND ${PROJECT_SOURCE_DIR}/packaging/check_deb.sh ${PROJECT_BINARY_DIR})
set_tests_properties(debian_package PROPERTIES TIMEOUT 600 RUN_SERIAL TRUE)

# --help, --version and unknown options on both programs.
add_test(NAME command_line_options
         COMMAND ${PROJECT_SOURCE_DIR}/packaging/check_options.sh
                 $<TARGET_FILE:quillmere> $<TARGET_FILE:quillmere-report>
                 ${QUILLMERE_FILE_VERSION})

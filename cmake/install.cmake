# Installation of Quillmere:
#
#   PREFIX/bin/quillmere                 launcher: starts the program in the
#                                        user's working folder
#   PREFIX/bin/quillmere-report          link to the report tool (when built)
#   PREFIX/lib/quillmere/                the program and the report tool
#   PREFIX/lib/quillmere/views/          the library of the views the program
#                                        opens on request
#   PREFIX/share/quillmere/              shipped files: default data, window
#                                        placement (later help and cloud maps)
#   PREFIX/share/applications/quillmere.desktop
#   PREFIX/share/icons/hicolor/...       the icon, scalable (and 64x64 PNG when
#                                        rsvg-convert is there to render it)
#
# Every rule belongs to the component "quillmere", so the install check can
# install into a scratch prefix without overwriting install_manifest.txt of a
# real installation. The tree is relocatable: the launcher finds the program
# and the shipped files relative to itself.
#
# This file is included at the end of the top-level CMakeLists.txt.

include(GNUInstallDirs)

set(QUILLMERE_INSTALL_PROGRAMDIR "lib/quillmere" CACHE STRING
    "Where the program files are installed, relative to the prefix")
set(QUILLMERE_INSTALL_SHAREDIR "${CMAKE_INSTALL_DATADIR}/quillmere")
set(QUILLMERE_COMPONENT quillmere)

# The files the program looks for in its working folder, shipped read-only
# into the share folder. Quillmere.dat and QuillmereS.ini are copied into
# the user's folder on the first start; every other file listed here is
# linked into it. One line per file, names with blanks quoted, e.g.
#   "${PROJECT_SOURCE_DIR}/assets/Fig2 LiquidWater 0.1%.jpg"
set(QUILLMERE_SHARED_FILES
  # Written at build time by the target quillmere_shipped_data (app/).
  "${PROJECT_BINARY_DIR}/share/Quillmere.dat"
  "${PROJECT_SOURCE_DIR}/assets/QuillmereS.ini"
  # The cloud maps, rendered at build time by quillmere_cloud_maps (assets/mapgen/).
  "${PROJECT_BINARY_DIR}/share/Fig2 LiquidWater 0.1%.jpg"
  "${PROJECT_BINARY_DIR}/share/Fig3 LiquidWater 0.5%.jpg"
  "${PROJECT_BINARY_DIR}/share/Fig4 LiquidWater 1.0%.jpg"
  "${PROJECT_BINARY_DIR}/share/Fig5 LiquidWater 5.0%.jpg"
  "${PROJECT_BINARY_DIR}/share/Fig6 LiquidWater 10.0%.jpg"
  "${PROJECT_BINARY_DIR}/share/Fig7 LiquidWater 20.0%.jpg"
  "${PROJECT_BINARY_DIR}/share/Quillmere Attenuation.chm"
)

# The program, and in the folder views/ beside it the library of the views
# it opens on request. The library is the program's own, in a folder of its
# own: no business of the dynamic loader's cache (no ldconfig in the
# package).
install(TARGETS quillmere quillmere_views
        RUNTIME DESTINATION ${QUILLMERE_INSTALL_PROGRAMDIR} COMPONENT ${QUILLMERE_COMPONENT}
        LIBRARY DESTINATION ${QUILLMERE_INSTALL_PROGRAMDIR}/views
        COMPONENT ${QUILLMERE_COMPONENT})

install(FILES ${QUILLMERE_SHARED_FILES}
        DESTINATION ${QUILLMERE_INSTALL_SHAREDIR}
        COMPONENT ${QUILLMERE_COMPONENT})

# The launcher, with the paths from bin/ to the program and the shared files
# written in. With the usual relative install dirs these hold under any
# prefix, including one given only to cmake --install.
cmake_path(ABSOLUTE_PATH QUILLMERE_INSTALL_PROGRAMDIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX}
           OUTPUT_VARIABLE quillmere_full_programdir)
cmake_path(ABSOLUTE_PATH QUILLMERE_INSTALL_SHAREDIR BASE_DIRECTORY ${CMAKE_INSTALL_PREFIX}
           OUTPUT_VARIABLE quillmere_full_sharedir)
file(RELATIVE_PATH QUILLMERE_BIN_TO_PROGRAMDIR
     ${CMAKE_INSTALL_FULL_BINDIR} ${quillmere_full_programdir})
file(RELATIVE_PATH QUILLMERE_BIN_TO_SHARED ${CMAKE_INSTALL_FULL_BINDIR} ${quillmere_full_sharedir})
set(QUILLMERE_BIN_TO_PROGRAM ${QUILLMERE_BIN_TO_PROGRAMDIR}/quillmere)
configure_file(${PROJECT_SOURCE_DIR}/packaging/quillmere.in
               ${PROJECT_BINARY_DIR}/packaging/quillmere @ONLY)
install(PROGRAMS ${PROJECT_BINARY_DIR}/packaging/quillmere
        DESTINATION ${CMAKE_INSTALL_BINDIR}
        COMPONENT ${QUILLMERE_COMPONENT})

# The desktop entry and the icon.
install(FILES ${PROJECT_SOURCE_DIR}/packaging/quillmere.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications
        COMPONENT ${QUILLMERE_COMPONENT})
install(FILES ${PROJECT_SOURCE_DIR}/packaging/quillmere.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        COMPONENT ${QUILLMERE_COMPONENT})

# Everything an installation needs built, for a build of selected targets:
#   cmake --build BUILD --target quillmere_installables
add_custom_target(quillmere_installables)
add_dependencies(quillmere_installables quillmere quillmere_views quillmere_shipped_data
  quillmere_cloud_maps)

# Menus and docks that cannot draw SVG take the PNG. Rendered only when
# rsvg-convert (librsvg2-bin) happens to be there; nothing depends on it.
find_program(QUILLMERE_RSVG_CONVERT rsvg-convert)
if(QUILLMERE_RSVG_CONVERT)
  set(QUILLMERE_ICON_PNG ${PROJECT_BINARY_DIR}/packaging/quillmere-64.png)
  add_custom_command(OUTPUT ${QUILLMERE_ICON_PNG}
    COMMAND ${QUILLMERE_RSVG_CONVERT} --width=64 --height=64
            --output=${QUILLMERE_ICON_PNG} ${PROJECT_SOURCE_DIR}/packaging/quillmere.svg
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/quillmere.svg
    COMMENT "Rendering the 64x64 icon")
  add_custom_target(quillmere_icon_png ALL DEPENDS ${QUILLMERE_ICON_PNG})
  add_dependencies(quillmere_installables quillmere_icon_png)
  install(FILES ${QUILLMERE_ICON_PNG}
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/64x64/apps
          RENAME quillmere.png
          COMPONENT ${QUILLMERE_COMPONENT})
endif()

# The report tool (cli/) is optional: whether it exists is decided once every
# directory has been read, wherever this file is included from.
function(quillmere_install_report_tool)
  if(NOT TARGET quillmere-report)
    return()
  endif()
  install(TARGETS quillmere-report
          RUNTIME DESTINATION ${QUILLMERE_INSTALL_PROGRAMDIR}
          COMPONENT ${QUILLMERE_COMPONENT})
  # It reads Quillmere.dat from the current folder and needs no working
  # folder of its own, so a plain link will do; install() copies the link
  # as a link.
  set(link ${PROJECT_BINARY_DIR}/packaging/quillmere-report)
  file(CREATE_LINK ${QUILLMERE_BIN_TO_PROGRAMDIR}/quillmere-report ${link} SYMBOLIC)
  install(FILES ${link} DESTINATION ${CMAKE_INSTALL_BINDIR} COMPONENT ${QUILLMERE_COMPONENT})
  add_dependencies(quillmere_installables quillmere-report)
endfunction()
cmake_language(DEFER DIRECTORY ${PROJECT_SOURCE_DIR} CALL quillmere_install_report_tool)

# The check of the installed tree: install into a scratch prefix, stand a stub
# in for the program, and run the launcher (packaging/check_install.sh).
add_test(NAME install_launcher
         COMMAND ${PROJECT_SOURCE_DIR}/packaging/check_install.sh
                 ${PROJECT_BINARY_DIR} ${QUILLMERE_COMPONENT} ${CMAKE_INSTALL_BINDIR}
                 ${QUILLMERE_INSTALL_PROGRAMDIR} ${QUILLMERE_INSTALL_SHAREDIR}
                 ${CMAKE_COMMAND})
# Exit status 77: the installed tree is right, but desktop-file-validate
# (desktop-file-utils) is not there to check the desktop entry.
set_tests_properties(install_launcher PROPERTIES SKIP_RETURN_CODE 77)

# The line tables of ITU-R P.676-13 with their notice, beside the other
# shipped data in a folder of their own (the launcher links only the files
# at the top into the user's folder). The program carries them compiled in
# (models/); these copies are the source of record the licence asks to keep.
install(FILES ${PROJECT_SOURCE_DIR}/assets/p676/oxygen_lines_p676-13.csv
              ${PROJECT_SOURCE_DIR}/assets/p676/water_vapour_lines_p676-13.csv
              ${PROJECT_SOURCE_DIR}/assets/p676/README.md
        DESTINATION ${QUILLMERE_INSTALL_SHAREDIR}/p676
        COMPONENT ${QUILLMERE_COMPONENT})

# What `cmake --install` puts under the prefix, and the Debian package made from it by
# `cpack -G DEB`. The layout is the one the program looks for (config/file_layout.h).

install(TARGETS kelvane RUNTIME DESTINATION ${KELVANE_INSTALL_BINDIR})
install(TARGETS kelvane-solve RUNTIME DESTINATION ${KELVANE_INSTALL_TOOLDIR})
install(TARGETS kelvane_engine LIBRARY DESTINATION ${KELVANE_INSTALL_ENGINEDIR})

# The desktop entry, the metainfo and the icons share the application id.
set(KELVANE_RELEASE_DATE "2026-12-08")
set(desktop_dir ${CMAKE_SOURCE_DIR}/resources/desktop)
configure_file(${desktop_dir}/kelvane.desktop.in
               ${CMAKE_BINARY_DIR}/desktop/${KELVANE_APP_ID}.desktop @ONLY)
configure_file(${desktop_dir}/kelvane.metainfo.xml.in
               ${CMAKE_BINARY_DIR}/desktop/${KELVANE_APP_ID}.metainfo.xml @ONLY)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${KELVANE_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${CMAKE_BINARY_DIR}/desktop/${KELVANE_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

set(KELVANE_ICON_SIZES 16 22 24 32 48 64 128 256)
foreach(size IN LISTS KELVANE_ICON_SIZES)
  install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/kelvane-${size}.png
          DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps
          RENAME ${KELVANE_APP_ID}.png)
endforeach()
install(FILES ${CMAKE_SOURCE_DIR}/resources/icons/kelvane.svg
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps
        RENAME ${KELVANE_APP_ID}.svg)

install(FILES ${CMAKE_SOURCE_DIR}/docs/man/kelvane.6 DESTINATION ${CMAKE_INSTALL_MANDIR}/man6)
install(FILES ${CMAKE_SOURCE_DIR}/docs/man/kelvane-solve.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES ${CMAKE_SOURCE_DIR}/COPYING ${CMAKE_SOURCE_DIR}/docs/copyright
              ${CMAKE_SOURCE_DIR}/README.md
        DESTINATION ${CMAKE_INSTALL_DOCDIR})

# cpack -G DEB: Depends from the real shared-library dependencies.
set(CPACK_PACKAGE_NAME kelvane)
set(CPACK_PACKAGE_VENDOR "Kelvane developers")
set(CPACK_PACKAGE_CONTACT "Kelvane developers <kelvane@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "minesweeper with an exact mine-probability engine")
set(CPACK_PACKAGE_HOMEPAGE_URL "${PROJECT_HOMEPAGE_URL}")
set(CPACK_RESOURCE_FILE_LICENSE ${CMAKE_SOURCE_DIR}/COPYING)
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION games)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt loads its SQLite driver as a plugin, which no shared-library dependency names.
set(CPACK_DEBIAN_PACKAGE_DEPENDS libqt6sql6-sqlite)
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Kelvane is a minesweeper for players who want to understand the game. Open\n\
sectors, mark mines and chord as usual; a middle press on a closed sector asks\n\
Kelvane's own probability engine for the exact probability that each closed\n\
sector holds a mine, with a panel that tells what the engine did.\n\
\n\
Four levels up to Ultra (32 x 25, 180 mines) and custom fields, Fair Play,\n\
Trainer Mode and best times per level. kelvane-solve analyses a position from\n\
a text file with the same engine.")
set(CPACK_KELVANE_BINDIR ${KELVANE_INSTALL_BINDIR})
set(CPACK_KELVANE_CHANGELOG ${CMAKE_SOURCE_DIR}/docs/changelog)
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_SOURCE_DIR}/cmake/KelvaneDebianPackage.cmake)
include(CPack)

# Where an install puts each file (GNUInstallDirs, relative to CMAKE_INSTALL_PREFIX), and
# what the program derives from that to find its engine and help from its own path.
include(GNUInstallDirs)

set(KELVANE_APP_ID "org.example.kelvane")

# Debian puts games in "games"; the engine is the program's private library and sits in a
# folder of its own, as a plug-in would.
set(KELVANE_INSTALL_BINDIR "${CMAKE_INSTALL_BINDIR}" CACHE STRING
    "Folder for the game kelvane, relative to the prefix")
# kelvane-solve is a command-line tool, not a game: it stays with the other commands.
set(KELVANE_INSTALL_TOOLDIR "${CMAKE_INSTALL_BINDIR}")
set(KELVANE_INSTALL_ENGINEDIR "lib/kelvane" CACHE STRING
    "Folder for the engine library kelvane.so, relative to the prefix")
set(KELVANE_INSTALL_DATADIR "${CMAKE_INSTALL_DATADIR}/kelvane" CACHE STRING
    "Folder for the program's data (its Help), relative to the prefix")
if(CMAKE_INSTALL_DOCDIR STREQUAL "${CMAKE_INSTALL_DATAROOTDIR}/doc/${PROJECT_NAME}")
  set(CMAKE_INSTALL_DOCDIR "${CMAKE_INSTALL_DATAROOTDIR}/doc/kelvane")
endif()

# The installed program finds the rest relative to its own folder, so a staged (DESTDIR)
# or relocated tree works as well as the prefix itself.
foreach(dir BINDIR TOOLDIR ENGINEDIR DATADIR)
  if(IS_ABSOLUTE "${KELVANE_INSTALL_${dir}}")
    set(kelvane_full_${dir} "${KELVANE_INSTALL_${dir}}")
  else()
    set(kelvane_full_${dir} "${CMAKE_INSTALL_PREFIX}/${KELVANE_INSTALL_${dir}}")
  endif()
endforeach()
file(RELATIVE_PATH KELVANE_ENGINE_FROM_BIN "${kelvane_full_BINDIR}" "${kelvane_full_ENGINEDIR}")
file(RELATIVE_PATH KELVANE_ENGINE_FROM_TOOLDIR "${kelvane_full_TOOLDIR}" "${kelvane_full_ENGINEDIR}")
file(RELATIVE_PATH KELVANE_HELP_FROM_BIN "${kelvane_full_BINDIR}" "${kelvane_full_DATADIR}/Help")

# In the build tree the shipped files sit side by side in bin/, as a portable folder: the
# two programs, the engine and the Help, nothing else.
set(KELVANE_BIN_DIR ${CMAKE_BINARY_DIR}/bin)

# Run by cpack -G DEB on the staged files before they are packed: a Debian package carries
# its man pages and its changelog compressed (gzip -9n, so the package is reproducible), and
# its games in games/ (kelvane-solve, a command, stays in bin/). Both sit right under the
# prefix, so the relative way to the engine and help (../lib/kelvane, ../share/kelvane) is the
# same from either.
set(root "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(CPACK_KELVANE_BINDIR STREQUAL "bin" AND EXISTS "${root}/bin/kelvane")
  file(MAKE_DIRECTORY "${root}/games")
  file(RENAME "${root}/bin/kelvane" "${root}/games/kelvane")
endif()
file(GLOB_RECURSE pages "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/man/*")
file(GLOB_RECURSE docs "${CPACK_TEMPORARY_INSTALL_DIRECTORY}/*/share/doc/kelvane/COPYING")
foreach(doc IN LISTS docs)
  get_filename_component(dir "${doc}" DIRECTORY)
  file(COPY_FILE "${CPACK_KELVANE_CHANGELOG}" "${dir}/changelog")
  list(APPEND pages "${dir}/changelog")
endforeach()
foreach(page IN LISTS pages)
  if(NOT page MATCHES "\\.gz$")
    execute_process(COMMAND gzip -9n "${page}" COMMAND_ERROR_IS_FATAL ANY)
  endif()
endforeach()

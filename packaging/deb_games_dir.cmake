# Runs inside cpack before the Debian package is made. Debian keeps the
# commands of games in /usr/games, so the program's link moves there from
# /usr/bin (both lie beside lib/, so the relative link target still holds).
if(NOT CPACK_GENERATOR STREQUAL "DEB")
  return()
endif()
set(usr "${CPACK_TEMPORARY_INSTALL_DIRECTORY}${CPACK_PACKAGING_INSTALL_PREFIX}")
if(NOT IS_SYMLINK "${usr}/bin/playdeck")
  message(FATAL_ERROR "no link ${usr}/bin/playdeck to move to games/")
endif()
file(MAKE_DIRECTORY "${usr}/games")
file(RENAME "${usr}/bin/playdeck" "${usr}/games/playdeck")
file(GLOB left "${usr}/bin/*")
if(NOT left)
  file(REMOVE_RECURSE "${usr}/bin")
endif()

# The menu entry names the command by its full path, which moved with it.
file(GLOB desktop_files "${usr}/share/applications/*.desktop")
foreach(desktop IN LISTS desktop_files)
  file(READ "${desktop}" text)
  string(REPLACE "\nExec=${CPACK_PACKAGING_INSTALL_PREFIX}/bin/playdeck\n"
                 "\nExec=${CPACK_PACKAGING_INSTALL_PREFIX}/games/playdeck\n" text "${text}")
  file(WRITE "${desktop}" "${text}")
endforeach()

# The emulator the menu starts, data/Runcart.exe, is managed by
# update-alternatives (see the maintainer scripts): the stand-in is one choice
# and lives beside it, and an emulator the admin registers survives upgrades.
set(app "${usr}/lib/playdeck")
file(RENAME "${app}/data/Runcart.exe" "${app}/standin-emulator")

# Runs inside cpack before the Debian package is made: Debian keeps the
# commands of games in /usr/games, so the program's link moves there from
# /usr/bin. Both lie beside lib/, so the relative link target still holds.
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

# The menu entry names the command by its full path: /usr/games is in the
# PATH of user sessions but not in root's.
file(GLOB desktop_files "${usr}/share/applications/*.desktop")
foreach(desktop IN LISTS desktop_files)
  file(READ "${desktop}" text)
  string(REGEX REPLACE "\nExec=playdeck\n" "\nExec=${CPACK_PACKAGING_INSTALL_PREFIX}/games/playdeck\n" text "${text}")
  file(WRITE "${desktop}" "${text}")
endforeach()

# Who and what PLAYDECK is, for packaging/ and its tests (tests/packaging).

# The one application id: desktop file name, icon name, metainfo id and the
# desktop file name the program reports to the window system.
set(PLAYDECK_APP_ID io.github.playdeck.Playdeck)
set(PLAYDECK_RELEASE_DATE 2026-12-06)
set(PLAYDECK_COPYRIGHT_YEAR 2026)
set(PLAYDECK_ICON_FILE ${PROJECT_SOURCE_DIR}/assets/app_icon.ico)

# Maker, author and contact come from the credits the About page shows.
function(playdeck_credit variable name)
  file(STRINGS ${PROJECT_SOURCE_DIR}/ui/credits.h line REGEX "${name} = \"")
  if(NOT line MATCHES "${name} = \"([^\"]+)\"")
    message(FATAL_ERROR "ui/credits.h has no ${name}")
  endif()
  set(${variable} "${CMAKE_MATCH_1}" PARENT_SCOPE)
endfunction()
playdeck_credit(PLAYDECK_MAKER kMakerName)
playdeck_credit(PLAYDECK_AUTHOR kAuthorName)
playdeck_credit(PLAYDECK_CONTACT kContactAddress)
set(PLAYDECK_COPYRIGHT "Copyright (C) ${PLAYDECK_COPYRIGHT_YEAR} ${PLAYDECK_MAKER}")


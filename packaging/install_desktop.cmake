# Runs at install time: writes the menu entry with the full path of the
# installed command, quoted the way desktop entries want it, so the entry
# starts this copy whatever the PATH and whatever the prefix holds.
# Set before: PLAYDECK_DESKTOP_IN, PLAYDECK_DESKTOP_NAME, PLAYDECK_WORK_DIR.
set(exec "${CMAKE_INSTALL_PREFIX}/bin/playdeck")
if(exec MATCHES "[] \t\n\"'\\\\><~|&;$*?#()`[]")
  # Within quotes, \ " ` $ take a backslash; the value itself then doubles
  # every backslash once more.
  foreach(c "\\" "\"" "`" "$")
    string(REPLACE "${c}" "\\${c}" exec "${exec}")
  endforeach()
  string(REPLACE "\\" "\\\\" exec "${exec}")
  set(exec "\"${exec}\"")
endif()
string(REPLACE "%" "%%" PLAYDECK_EXEC "${exec}")
configure_file("${PLAYDECK_DESKTOP_IN}" "${PLAYDECK_WORK_DIR}/${PLAYDECK_DESKTOP_NAME}" @ONLY)
file(INSTALL DESTINATION "${CMAKE_INSTALL_PREFIX}/share/applications" TYPE FILE
     FILES "${PLAYDECK_WORK_DIR}/${PLAYDECK_DESKTOP_NAME}")

# Runs artgen into a fresh OUT directory and fails unless every picture file
# in REF is byte for byte what it wrote, with no file missing or extra.
file(REMOVE_RECURSE "${OUT}")
execute_process(COMMAND "${ARTGEN}" "${OUT}" RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "artgen failed: ${rc}")
endif()

file(GLOB generated RELATIVE "${OUT}" "${OUT}/*")
file(GLOB committed RELATIVE "${REF}" "${REF}/*.bmp" "${REF}/*.ico")
list(SORT generated)
list(SORT committed)
if(NOT generated STREQUAL committed)
  message(FATAL_ERROR "file lists differ\n generated: ${generated}\n committed: ${committed}")
endif()

set(stale "")
foreach(name IN LISTS generated)
  execute_process(COMMAND "${CMAKE_COMMAND}" -E compare_files "${OUT}/${name}" "${REF}/${name}"
                  RESULT_VARIABLE differs)
  if(differs)
    list(APPEND stale "${name}")
  endif()
endforeach()
if(stale)
  message(FATAL_ERROR "committed files differ from the generator's output: ${stale}\n"
                      "regenerate them with: cmake --build <build> --target update_assets")
endif()
list(LENGTH generated count)
message(STATUS "${count} files identical")

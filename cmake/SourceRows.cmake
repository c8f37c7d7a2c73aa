# qs_source_rows(VAR FILE REGEX): the rows of a table in a source file that the build reads (the end-to-end
# scenarios, the fuzz targets), each match of REGEX as one list element (a ";" inside a row becomes ","). Fails
# when there is none; CMake runs again when the file changes.
function(qs_source_rows var file regex)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${file})
  file(READ ${file} text)
  string(REPLACE ";" "," text "${text}")
  string(REGEX MATCHALL "${regex}" rows "${text}")
  if(NOT rows)
    message(FATAL_ERROR "no rows found in ${file}")
  endif()
  set(${var} "${rows}" PARENT_SCOPE)
endfunction()

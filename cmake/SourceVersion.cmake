# Reads the version of the sources from the VERSION file into QS_VERSION (the text, e.g. "1.0.0") and
# QS_VERSION_NUMBERS (four numbers separated by commas, missing parts 0, as a version resource's numeric fields
# take them). Each part must fit the 16 bits such a field holds; anything else stops the configuration here.
# QS_VERSION_FILE names another file (the check of this reader does).
if(NOT DEFINED QS_VERSION_FILE)
  set(QS_VERSION_FILE ${CMAKE_CURRENT_LIST_DIR}/../VERSION)
endif()
file(READ ${QS_VERSION_FILE} QS_VERSION)
if(NOT CMAKE_SCRIPT_MODE_FILE)
  set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS ${QS_VERSION_FILE})
endif()
string(STRIP "${QS_VERSION}" QS_VERSION)
set(qs_number "(0|[1-9][0-9]*)")
if(NOT QS_VERSION MATCHES "^${qs_number}(\\.${qs_number})?(\\.${qs_number})?(\\.${qs_number})?$")
  message(FATAL_ERROR "${QS_VERSION_FILE} holds \"${QS_VERSION}\": expected one to four numbers separated by dots, "
                      "without leading zeros, such as 1.0.0")
endif()
string(REPLACE "." ";" QS_VERSION_NUMBERS "${QS_VERSION}")
foreach(qs_number IN LISTS QS_VERSION_NUMBERS)
  string(LENGTH "${qs_number}" qs_digits)
  if(qs_digits GREATER 5 OR qs_number GREATER 65535)
    message(FATAL_ERROR "${QS_VERSION_FILE} holds \"${QS_VERSION}\": the part ${qs_number} is larger than 65535, "
                        "the most a version resource's field holds")
  endif()
endforeach()
list(LENGTH QS_VERSION_NUMBERS qs_count)
while(qs_count LESS 4)
  list(APPEND QS_VERSION_NUMBERS 0)
  math(EXPR qs_count "${qs_count} + 1")
endwhile()
string(REPLACE ";" "," QS_VERSION_NUMBERS "${QS_VERSION_NUMBERS}")

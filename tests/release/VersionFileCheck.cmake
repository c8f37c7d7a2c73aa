# The reader of the VERSION file: versions a version resource can hold pass with their four numbers; anything
# else stops the configuration with a message that names the fault.   cmake -P VersionFileCheck.cmake
cmake_minimum_required(VERSION 3.20)
set(reader ${CMAKE_CURRENT_LIST_DIR}/../../cmake/SourceVersion.cmake)
set(file ${CMAKE_CURRENT_BINARY_DIR}/version-file-check.txt)

# text|expected numbers
foreach(case "1.0.0|1,0,0,0" "7|7,0,0,0" " 2.5.1.9 \n|2,5,1,9" "65535.0.65535.1|65535,0,65535,1")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 text)
  list(GET case 1 numbers)
  file(WRITE ${file} "${text}")
  set(QS_VERSION_FILE ${file})
  include(${reader})
  if(NOT QS_VERSION_NUMBERS STREQUAL numbers)
    message(FATAL_ERROR "\"${text}\" read as ${QS_VERSION_NUMBERS}, expected ${numbers}")
  endif()
endforeach()

# text|words the message must hold
foreach(case "65536.0.0|larger than 65535" "1.2.3.4.5|one to four numbers" "1.0-beta|one to four numbers"
             "01.0|without leading zeros" "|one to four numbers" "1..0|one to four numbers"
             "1234567.0|larger than 65535" "1.0 \"x\"|one to four numbers")
  string(REPLACE "|" ";" case "${case}")
  list(GET case 0 text)
  list(GET case 1 words)
  file(WRITE ${file} "${text}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DQS_VERSION_FILE=${file} -P ${reader}
                  RESULT_VARIABLE rc ERROR_VARIABLE err OUTPUT_QUIET)
  if(rc EQUAL 0)
    message(FATAL_ERROR "\"${text}\" was taken as a version")
  endif()
  string(REPLACE "\n" " " err "${err}")
  string(REGEX REPLACE " +" " " err "${err}")
  if(NOT err MATCHES "${words}")
    message(FATAL_ERROR "\"${text}\": the message does not say \"${words}\": ${err}")
  endif()
endforeach()
file(REMOVE ${file})
message(STATUS "version file reader: 4 good and 8 bad versions as expected")

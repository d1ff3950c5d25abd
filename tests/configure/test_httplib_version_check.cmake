# Runs cmake/check_httplib_version.cmake on the build's own cpp-httplib and on headers made here:
# only the version the stand-in is written against is taken; any other stops in one line naming it.
#   cmake -DTS_SOURCE_DIR=... -DTS_HTTPLIB_INCLUDE_DIRS=DIR[|DIR...] -P tests/configure/test_httplib_version_check.cmake
execute_process(COMMAND mktemp -d /tmp/ts_httplib_XXXXXX OUTPUT_VARIABLE work OUTPUT_STRIP_TRAILING_WHITESPACE)
foreach(header "newer=#define CPPHTTPLIB_VERSION \"0.13.1\"" "longer=#define CPPHTTPLIB_VERSION \"0.11.40\""
               "unversioned=#define CPPHTTPLIB_HTTPLIB_H")
  string(REGEX MATCH "^[a-z]+" name "${header}")
  string(REGEX REPLACE "^[a-z]+=" "" text "${header}")
  file(WRITE ${work}/${name}/httplib.h "${text}\n")
endforeach()

set(failures "")
# Folders, split by |=what is named as found, or nothing when the version is taken.
foreach(case "${TS_HTTPLIB_INCLUDE_DIRS}=" "${work}/missing|${work}/newer=0.13.1 in ${work}/newer/httplib.h"
             "${work}/longer=0.11.40 in" "${work}/unversioned=no CPPHTTPLIB_VERSION in" "${work}/missing=no httplib.h in")
  string(REGEX REPLACE "=[^=]*$" "" dirs "${case}")
  string(REPLACE "|" ";" dirs "${dirs}")
  string(REGEX REPLACE "^.*=" "" expected "${case}")
  execute_process(COMMAND ${CMAKE_COMMAND} "-DTS_HTTPLIB_INCLUDE_DIRS=${dirs}" -P ${TS_SOURCE_DIR}/cmake/check_httplib_version.cmake
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  # A refusal: both versions on one line.
  string(REGEX MATCH "ts_server is written against cpp-httplib [^\n]+" line "${err}")
  string(FIND "${line}" "; found ${expected}" named)
  if((expected STREQUAL "" AND NOT rc EQUAL 0) OR (NOT expected STREQUAL "" AND (rc EQUAL 0 OR named EQUAL -1)))
    string(APPEND failures "  ${dirs}: exit ${rc}, expected \"${expected}\" named in one line\n${err}\n")
  else()
    message(STATUS "${dirs}: ${line}")
  endif()
endforeach()

file(REMOVE_RECURSE ${work})
if(failures)
  message(FATAL_ERROR "cpp-httplib version check:\n${failures}")
endif()

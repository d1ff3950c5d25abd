# Runs cmake/check_httplib_version.cmake on the build's own cpp-httplib and on headers made here:
# only the version the stand-in is written against is taken, from the first header on the path;
# any other stops in one line naming it. The stand-in's header refuses the same headers, when the
# compiler takes them, in the same line.
#   cmake -DTS_SOURCE_DIR=... -DTS_HTTPLIB_INCLUDE_DIRS=DIR[|DIR...] -DTS_CXX=COMPILER
#         -DTS_HTTPLIB_WRITTEN_AGAINST=VERSION -P tests/configure/test_httplib_version_check.cmake
execute_process(COMMAND mktemp -d /tmp/ts_httplib_XXXXXX OUTPUT_VARIABLE work OUTPUT_STRIP_TRAILING_WHITESPACE)
# Each the build's own header but for its version, so that a compile stops for the version alone.
foreach(header "newer=#define CPPHTTPLIB_VERSION \"0.13.1\"" "longer=#define CPPHTTPLIB_VERSION \"0.11.40\""
               "unversioned=")
  string(REGEX MATCH "^[a-z]+" name "${header}")
  string(REGEX REPLACE "^[a-z]+=" "" text "${header}")
  file(WRITE ${work}/${name}/httplib.h "#include_next <httplib.h>\n#undef CPPHTTPLIB_VERSION\n${text}\n")
endforeach()
string(REPLACE "|" ";" own "${TS_HTTPLIB_INCLUDE_DIRS}")

set(failures "")
# A refusal: both versions on one line, naming what was found; none when nothing is expected.
function(expect what rc err expected)
  string(REGEX MATCH "ts_server is written against cpp-httplib [^\n]+" line "${err}")
  string(FIND "${line}" "; found ${expected}" named)
  if((expected STREQUAL "" AND NOT rc EQUAL 0) OR (NOT expected STREQUAL "" AND (rc EQUAL 0 OR named EQUAL -1)))
    set(failures "${failures}  ${what}: exit ${rc}, expected \"${expected}\" named in one line\n${err}\n" PARENT_SCOPE)
  else()
    message(STATUS "${what}: ${line}")
  endif()
endfunction()

# Folders, split by |=what is named as found, or nothing when the version is taken.
foreach(case "${TS_HTTPLIB_INCLUDE_DIRS}=" "${work}/missing|${work}/newer=0.13.1 in ${work}/newer/httplib.h"
             "${work}/newer|${TS_HTTPLIB_INCLUDE_DIRS}=0.13.1 in ${work}/newer/httplib.h"
             "${TS_HTTPLIB_INCLUDE_DIRS}|${work}/newer="
             "${work}/longer=0.11.40 in" "${work}/unversioned=no CPPHTTPLIB_VERSION in" "${work}/missing=no httplib.h in")
  string(REGEX REPLACE "=[^=]*$" "" dirs "${case}")
  string(REPLACE "|" ";" dirs "${dirs}")
  string(REGEX REPLACE "^.*=" "" expected "${case}")
  execute_process(COMMAND ${CMAKE_COMMAND} "-DTS_HTTPLIB_INCLUDE_DIRS=${dirs}" -P ${TS_SOURCE_DIR}/cmake/check_httplib_version.cmake
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  expect("configure with ${dirs}" "${rc}" "${err}" "${expected}")
endforeach()

# The header the compiler takes, first on its path, ahead of the build's own.
file(WRITE ${work}/probe.cpp "#include \"server/deadline_server.h\"\n")
foreach(case "=" "newer=0.13.1" "longer=0.11.40" "unversioned=no CPPHTTPLIB_VERSION")
  string(REGEX REPLACE "=.*$" "" name "${case}")
  string(REGEX REPLACE "^[^=]*=" "" expected "${case}")
  set(path "")
  if(name)
    list(APPEND path "-I${work}/${name}")
  endif()
  foreach(dir ${own})
    list(APPEND path "-I${dir}")
  endforeach()
  execute_process(COMMAND ${TS_CXX} -std=c++17 -fsyntax-only ${path} "-DTS_HTTPLIB_WRITTEN_AGAINST=\"${TS_HTTPLIB_WRITTEN_AGAINST}\""
                          -I${TS_SOURCE_DIR} ${work}/probe.cpp
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  expect("compile with ${path}" "${rc}" "${err}" "${expected}")
endforeach()

file(REMOVE_RECURSE ${work})
if(failures)
  message(FATAL_ERROR "cpp-httplib version check:\n${failures}")
endif()

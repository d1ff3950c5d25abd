# The stand-in's server (server/deadline_server.*) overrides cpp-httplib's internals: how a socket
# is served and closed, its task queue, its Stream. Another version breaks the build with errors
# far from that reason, so the configure stops first, naming both versions. The version is the
# one the header defines that the build includes: the first httplib.h in TS_HTTPLIB_INCLUDE_DIRS.
# server/deadline_server.h holds the header the compiler took to this version too, in this line.
# Included by CMakeLists.txt; runs alone too:
#   cmake -DTS_HTTPLIB_INCLUDE_DIRS=DIR -P cmake/check_httplib_version.cmake
set(TS_HTTPLIB_WRITTEN_AGAINST 0.11.4)
set(ts_httplib_version "")
list(JOIN TS_HTTPLIB_INCLUDE_DIRS " " ts_httplib_dirs)
set(ts_httplib_where "no httplib.h in ${ts_httplib_dirs}")
foreach(dir ${TS_HTTPLIB_INCLUDE_DIRS})
  if(EXISTS "${dir}/httplib.h")
    set(ts_httplib_where "in ${dir}/httplib.h")
    file(STRINGS "${dir}/httplib.h" ts_httplib_define REGEX "^#define CPPHTTPLIB_VERSION \"[^\"]*\"" LIMIT_COUNT 1)
    if(ts_httplib_define MATCHES "\"([^\"]*)\"")
      set(ts_httplib_version "${CMAKE_MATCH_1}")
    else()
      set(ts_httplib_version "no CPPHTTPLIB_VERSION")
    endif()
    break()
  endif()
endforeach()
# One line: the leading blank keeps CMake from wrapping it.
if(NOT ts_httplib_version STREQUAL TS_HTTPLIB_WRITTEN_AGAINST)
  string(STRIP "${ts_httplib_version} ${ts_httplib_where}" ts_httplib_found)
  message(FATAL_ERROR " ts_server is written against cpp-httplib ${TS_HTTPLIB_WRITTEN_AGAINST}; found ${ts_httplib_found}")
endif()

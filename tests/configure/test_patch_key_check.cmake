# Runs cmake/check_patch_key.cmake on the tree's key and on keys made here with openssl: only an
# Ed25519 public key is taken; every other file is refused in one line that names it.
#   cmake -DTS_SOURCE_DIR=... -P tests/configure/test_patch_key_check.cmake
find_program(openssl openssl REQUIRED)
execute_process(COMMAND mktemp -d /tmp/ts_patch_key_XXXXXX OUTPUT_VARIABLE work OUTPUT_STRIP_TRAILING_WHITESPACE)
foreach(step "genpkey -algorithm RSA -pkeyopt rsa_keygen_bits:2048 -out rsa.pem" "pkey -in rsa.pem -pubout -out rsa_public.pem"
             "genpkey -algorithm ed25519 -out ed25519.pem" "pkey -in ed25519.pem -pubout -out ed25519_public.pem")
  separate_arguments(arguments UNIX_COMMAND "${step}")
  execute_process(COMMAND ${openssl} ${arguments} WORKING_DIRECTORY ${work} RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "openssl ${step} failed")
  endif()
endforeach()
file(WRITE ${work}/garbage.pem "-----BEGIN PUBLIC KEY-----\nthis is no key, and not base64 either!\n-----END PUBLIC KEY-----\n")
file(READ ${work}/ed25519_public.pem public)
file(READ ${work}/ed25519.pem private)
file(WRITE ${work}/public_then_private.pem "${public}${private}")

set(failures "")
foreach(case "${TS_SOURCE_DIR}/server/patch_key_public.pem=accepted" "${work}/rsa_public.pem=refused"
             "${work}/garbage.pem=refused" "${work}/ed25519.pem=refused" "${work}/public_then_private.pem=refused"
             "${work}/missing.pem=refused")
  string(REGEX REPLACE "=[a-z]+$" "" file "${case}")
  string(REGEX REPLACE "^.*=" "" expected "${case}")
  execute_process(COMMAND ${CMAKE_COMMAND} -DTS_PATCH_PUBLIC_KEY=${file} -P ${TS_SOURCE_DIR}/cmake/check_patch_key.cmake
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_VARIABLE err)
  set(got accepted)
  if(NOT rc EQUAL 0)
    set(got refused)
  endif()
  # A refusal: the file and its reason on one line.
  string(REGEX MATCH "TS_PATCH_PUBLIC_KEY: [^\n]+" line "${err}")
  string(FIND "${line}" "TS_PATCH_PUBLIC_KEY: ${file}: " named)
  if(NOT got STREQUAL expected OR (got STREQUAL "refused" AND NOT named EQUAL 0))
    string(APPEND failures "  ${file}: ${got}, expected ${expected}, naming it in one line\n${err}\n")
  else()
    message(STATUS "${file}: ${got}")
  endif()
endforeach()

file(REMOVE_RECURSE ${work})
if(failures)
  message(FATAL_ERROR "patch key check:\n${failures}")
endif()

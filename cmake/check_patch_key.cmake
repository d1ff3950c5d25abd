# The patch key check of the configure: TS_PATCH_PUBLIC_KEY must name a PEM file that holds an
# Ed25519 public key and nothing private, or the build would refuse every patch offer (or carry a
# private key). Sets TS_PATCH_PUBLIC_KEY_PEM to the file's text. Included by CMakeLists.txt; runs
# alone too: cmake -DTS_PATCH_PUBLIC_KEY=FILE -P cmake/check_patch_key.cmake
set(ts_patch_key_problem "")
if(NOT EXISTS "${TS_PATCH_PUBLIC_KEY}" OR IS_DIRECTORY "${TS_PATCH_PUBLIC_KEY}")
  set(ts_patch_key_problem "no such file")
else()
  file(READ "${TS_PATCH_PUBLIC_KEY}" TS_PATCH_PUBLIC_KEY_PEM)
  # The header says little: OpenSSL reads the key, and it must be of the kind the game verifies with.
  find_program(TS_OPENSSL openssl)
  if(TS_OPENSSL)
    execute_process(COMMAND ${TS_OPENSSL} pkey -pubin -in ${TS_PATCH_PUBLIC_KEY} -noout -text
                    OUTPUT_VARIABLE ts_patch_key_text ERROR_QUIET)
  endif()
  if(TS_PATCH_PUBLIC_KEY_PEM MATCHES "PRIVATE")
    set(ts_patch_key_problem "holds a private key, which no program may carry")
  elseif(NOT TS_OPENSSL)
    set(ts_patch_key_problem "cannot be read without the openssl program (scripts/deps.sh installs it)")
  elseif(NOT TS_PATCH_PUBLIC_KEY_PEM MATCHES "^-----BEGIN PUBLIC KEY-----" OR
         NOT ts_patch_key_text MATCHES "^ED25519 Public-Key:")
    set(ts_patch_key_problem
        "not an Ed25519 public key in PEM (make one with: openssl pkey -in PRIVATE.pem -pubout -out PUBLIC.pem)")
  endif()
endif()
# One line naming the file: the leading blank keeps CMake from wrapping it.
if(ts_patch_key_problem)
  message(FATAL_ERROR " TS_PATCH_PUBLIC_KEY: ${TS_PATCH_PUBLIC_KEY}: ${ts_patch_key_problem}")
endif()

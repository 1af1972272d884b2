# Instrumented builds, each in a build folder of its own (see scripts/test and scripts/fuzz).
#   ORVANE_SANITIZE=address  AddressSanitizer (with leak checking) and UndefinedBehaviorSanitizer
#   ORVANE_SANITIZE=thread   ThreadSanitizer
#   ORVANE_FUZZ=ON           clang's libFuzzer with ASan and UBSan, for the targets in tests/fuzz
# Undefined behaviour stops the program, so a test cannot pass over it.
set(ORVANE_SANITIZE "" CACHE STRING "Sanitizer build: address, thread or empty")
option(ORVANE_FUZZ "Build the fuzz targets of tests/fuzz (clang) and only what they test" OFF)

if(ORVANE_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID MATCHES "Clang")
    message(FATAL_ERROR "ORVANE_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer -g)
  add_link_options(-fsanitize=address,undefined)
elseif(ORVANE_SANITIZE STREQUAL "address")
  add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=undefined
                      -fno-omit-frame-pointer)
  add_link_options(-fsanitize=address,undefined)
elseif(ORVANE_SANITIZE STREQUAL "thread")
  add_compile_options(-fsanitize=thread -fno-omit-frame-pointer)
  add_link_options(-fsanitize=thread)
elseif(NOT ORVANE_SANITIZE STREQUAL "")
  message(FATAL_ERROR "ORVANE_SANITIZE must be address, thread or empty, not ${ORVANE_SANITIZE}")
endif()

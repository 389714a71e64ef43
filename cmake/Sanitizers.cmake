# SCROLL_SANITIZE=address,undefined or =thread instruments everything we build. Line tables (-g1) are all
# a report needs to name file and line, and take far less to build than full debug information.
set(SCROLL_SANITIZE "" CACHE STRING "Sanitizers to build with (address,undefined | thread)")
if(SCROLL_SANITIZE)
  add_compile_options(-fsanitize=${SCROLL_SANITIZE} -fno-omit-frame-pointer -g1)
  add_link_options(-fsanitize=${SCROLL_SANITIZE})
  if(SCROLL_SANITIZE MATCHES "undefined")
    add_compile_options(-fno-sanitize-recover=undefined)
  endif()
endif()

# SCROLL_FUZZ=ON builds the picture fuzzer in tests/fuzz, with clang and SCROLL_SANITIZE=address,undefined
# (scripts/fuzz.sh sets all three). All our code gives libFuzzer coverage feedback, so that it shares
# one set of precompiled headers; Qt's reader itself is not instrumented.
option(SCROLL_FUZZ "Build the picture fuzzer (needs clang)" OFF)
if(SCROLL_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "SCROLL_FUZZ needs clang for libFuzzer, not ${CMAKE_CXX_COMPILER_ID}")
  endif()
  if(NOT SCROLL_SANITIZE MATCHES "address")
    message(FATAL_ERROR "SCROLL_FUZZ needs the whole project built with SCROLL_SANITIZE=address,undefined")
  endif()
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

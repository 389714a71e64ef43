# Everything we build is hardened as Debian hardens its own programs, so that lintian has nothing to say of
# the installed one: position-independent, relocations read-only and bound at start-up, stack protector and
# stack clash protection, control-flow protection where the compiler has it, and glibc's checked string and
# memory functions in optimised builds. On Windows, the linker's equivalents,
# named, as only newer linkers make them the default.
if(WIN32)
  add_link_options(LINKER:--dynamicbase LINKER:--nxcompat LINKER:--high-entropy-va)
  return()
endif()

# Sanitizer builds are for the tests alone and never shipped: they go without, as quick to build and start
# as before (binding every symbol at start-up costs each of their many test processes).
if(SCROLL_SANITIZE)
  return()
endif()

include(CheckCXXCompilerFlag)
include(CheckPIESupported)

check_pie_supported(LANGUAGES CXX)
set(CMAKE_POSITION_INDEPENDENT_CODE ON)

foreach(flag -fstack-protector-strong -fstack-clash-protection -fcf-protection)
  string(MAKE_C_IDENTIFIER "SCROLL_HAS${flag}" has_flag)
  check_cxx_compiler_flag(${flag} ${has_flag})
  if(${has_flag})
    add_compile_options(${flag})
  endif()
endforeach()

add_link_options(LINKER:-z,relro LINKER:-z,now)

# glibc checks only with optimisation (it warns at -O0).
add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)

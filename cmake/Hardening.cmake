# Everything we build is hardened as Debian hardens its own programs, so that lintian has nothing to say of
# the installed one: position-independent, relocations read-only and bound at start-up, stack protector and
# stack clash protection, control-flow protection where the compiler has it, and the C library's checked
# string and memory functions in optimised builds.

# Sanitizer builds are for the tests alone and never shipped: they go without, as quick to build and start
# as before (binding every symbol at start-up costs each of their many test processes).
if(SCROLL_SANITIZE)
  return()
endif()

# The checks happen only with optimisation (glibc warns at -O0).
add_compile_definitions($<$<CONFIG:Release,RelWithDebInfo,MinSizeRel>:_FORTIFY_SOURCE=2>)

# On Windows: the stack protector, and mingw-w64's checked functions, which live, with the protector's guard, in
# GCC's libssp; the compiler's driver links it (statically, as the whole program is) only when told so at link
# time too. Stack clash protection makes this compiler fail on a large stack frame, whose pages Windows
# programs probe in order anyway, and the control-flow marking means nothing to the system's loader. For
# address randomisation and data that cannot run, the linker's flags, named, as only newer linkers make them
# the default.
if(WIN32)
  add_compile_options(-fstack-protector-strong)
  add_link_options(-fstack-protector-strong LINKER:--dynamicbase LINKER:--nxcompat LINKER:--high-entropy-va)
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

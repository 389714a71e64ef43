# Cross build for 64-bit Windows with Debian's MinGW-w64 compilers, their POSIX-threads variant (the
# one with std::thread). Programs run under wine (Debian's wine64), in a prefix of the build's own:
#   cmake -S . -B build-windows --toolchain cmake/x86_64-w64-mingw32.cmake
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# The compiler's own runtime linked in, so that a program needs no DLL beside it.
set(CMAKE_EXE_LINKER_FLAGS_INIT -static)

# Without a display, so that a program that opens a window fails rather than waits for a user; without
# wine's debugger, which would end a crashed program with exit code 0, or not at all; and without its menu
# builder, which otherwise writes menu folders into the home folder while the prefix is made, or its .NET
# and HTML engines, which nothing here needs. (One list, all disabled: a ';' would end a shell command.)
set(SCROLL_WINEPREFIX ${CMAKE_BINARY_DIR}/wine)
set(CMAKE_CROSSCOMPILING_EMULATOR
  env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX=${SCROLL_WINEPREFIX} WINEDEBUG=-all
  WINEDLLOVERRIDES=mscoree,mshtml,winedbg.exe,winemenubuilder.exe=d /usr/lib/wine/wine64)

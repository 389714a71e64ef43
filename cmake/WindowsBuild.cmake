# The Windows build: the whole program over the system's own windows, drawing, timer service and message
# box, with the tests that run over them; the program's resources and its zip and installer
# (WindowsPackage.cmake). The tests' GoogleTest is built from the system's sources (Debian's googletest) by
# the same compiler.
enable_language(RC)
if(BUILD_TESTING)
  set(BUILD_GMOCK OFF)
  set(INSTALL_GTEST OFF)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  include(GoogleTest)
  # Test programs are listed when the tests run, under wine, rather than while the build runs.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
  # Tests that open windows run on an X display, in a prefix of their own: the first program to start a
  # prefix's wine decides for every program sharing it whether there is a display, and the tests without
  # one would refuse their windows (error 1400) when they come first.
  set(SCROLL_WINEPREFIX_DISPLAY ${PROJECT_BINARY_DIR}/wine-display)
  add_custom_command(OUTPUT ${SCROLL_WINEPREFIX_DISPLAY}/system.reg
    COMMAND env -u DISPLAY WINEPREFIX=${SCROLL_WINEPREFIX_DISPLAY} WINEDEBUG=-all
      WINEDLLOVERRIDES=mscoree,mshtml,winedbg.exe,winemenubuilder.exe=d
      /usr/lib/wine/wine64 wineboot --init
    COMMAND env WINEPREFIX=${SCROLL_WINEPREFIX_DISPLAY} /usr/lib/wine/wineserver -w
    COMMENT "Making wine's prefix for the tests on a display")
  add_custom_target(wine_display_prefix ALL DEPENDS ${SCROLL_WINEPREFIX_DISPLAY}/system.reg)
endif()
# Wine makes its prefix at the first program it runs, which takes a while: here, beside the build. The
# build runs programs of its own in it (the form's header, the icon, the sample picture), and the tests
# theirs. The registry files are written when wine's server ends, after wineboot has returned: waiting for
# it keeps the prefix from being made twice.
set(prefix_made ${SCROLL_WINEPREFIX}/system.reg)
add_custom_command(OUTPUT ${prefix_made} COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init
  COMMAND env WINEPREFIX=${SCROLL_WINEPREFIX} /usr/lib/wine/wineserver -w
  COMMENT "Making wine's prefix")
add_custom_target(wine_prefix ALL DEPENDS ${prefix_made})

add_subdirectory(platform)
add_subdirectory(mmtimer)
add_subdirectory(toolkit)
add_subdirectory(window)
add_subdirectory(app)
if(BUILD_TESTING)
  add_subdirectory(tests)
endif()
include(cmake/WindowsPackage.cmake)

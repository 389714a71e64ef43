# What building for Windows needs beyond the compiler: the resource compiler for the program's icon, version
# and manifest, wine's prefixes to run the build's own tools and the tests in, and GoogleTest built from the
# system's sources (Debian's googletest) by the same compiler.
enable_language(RC)
# Wine makes its prefix at the first program it runs, which takes a while: here, beside the build.
# scroll_wine_prefix(TARGET PREFIX) makes PREFIX as the emulator would, without a display. The registry
# files are written when wine's server ends, after wineboot has returned: waiting for it keeps the prefix
# from being made twice.
function(scroll_wine_prefix target prefix)
  set(wine ${CMAKE_CROSSCOMPILING_EMULATOR})
  list(TRANSFORM wine REPLACE "^WINEPREFIX=.*" "WINEPREFIX=${prefix}")
  add_custom_command(OUTPUT ${prefix}/system.reg COMMAND ${wine} wineboot --init
    COMMAND env WINEPREFIX=${prefix} /usr/lib/wine/wineserver -w
    COMMENT "Making wine's prefix ${prefix}")
  add_custom_target(${target} ALL DEPENDS ${prefix}/system.reg)
endfunction()

if(BUILD_TESTING)
  set(BUILD_GMOCK OFF)
  set(INSTALL_GTEST OFF)
  add_subdirectory(/usr/src/googletest ${PROJECT_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Test programs are listed when the tests run, under wine, rather than while the build runs.
  set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
  # Tests that open windows run on an X display, in a prefix of their own: the first program to start a
  # prefix's wine decides for every program sharing it whether there is a display, and the tests without
  # one would refuse their windows (error 1400) when they come first.
  set(SCROLL_WINEPREFIX_DISPLAY ${PROJECT_BINARY_DIR}/wine-display)
  scroll_wine_prefix(wine_display_prefix ${SCROLL_WINEPREFIX_DISPLAY})
endif()
# The build runs programs of its own in this one (the form's header, the icon, the sample picture), and the
# tests theirs.
scroll_wine_prefix(wine_prefix ${SCROLL_WINEPREFIX})

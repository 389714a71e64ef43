# The Windows build: the precision timer and the system services beneath it, which there are the
# system's own, with the tests that run over them; the program's resources and its zip and installer
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
endif()
# Wine makes its prefix at the first program it runs, which takes a while: here, beside the build. The
# build runs programs of its own in it (resources/Windows.cmake), and the tests theirs. The registry files
# are written when wine's server ends, after wineboot has returned: waiting for it keeps the prefix from
# being made twice.
set(prefix_made ${SCROLL_WINEPREFIX}/system.reg)
add_custom_command(OUTPUT ${prefix_made} COMMAND ${CMAKE_CROSSCOMPILING_EMULATOR} wineboot --init
  COMMAND env WINEPREFIX=${SCROLL_WINEPREFIX} /usr/lib/wine/wineserver -w
  COMMENT "Making wine's prefix")
add_custom_target(wine_prefix ALL DEPENDS ${prefix_made})

add_subdirectory(platform)
add_subdirectory(mmtimer)
if(BUILD_TESTING)
  add_subdirectory(tests)
endif()
include(cmake/WindowsPackage.cmake)

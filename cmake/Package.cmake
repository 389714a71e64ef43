# The Debian package: `cpack -G DEB` in the Release build folder makes scrolltest_VERSION_ARCH.deb with what
# `cmake --install` installs, under /usr.
set(CPACK_PACKAGE_NAME scrolltest)
set(CPACK_PACKAGE_CONTACT "scrolltest developers <scrolltest@example.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Scrolls a picture under a standard or a precision timer")
# The extended description: lines of at most 80 columns, as Debian's tools show them.
set(CPACK_PACKAGE_DESCRIPTION "A small desktop test program: its window shows an 800 x 356 pixel view
onto a wider picture, BG.bmp, and moves it one pixel on every tick of the
window toolkit's standard timer or of a precision timer, so that how smoothly
the picture moves shows how regularly the timer ticks. The menu entry starts
it on a sample picture.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
# A plain strip keeps the compiler's notes (.comment, .note), which lintian calls unneeded: stripped, the
# program loses them too, as dh_strip strips Debian's programs.
install(CODE "
  if(CMAKE_INSTALL_DO_STRIP)
    execute_process(COMMAND \"${CMAKE_STRIP}\" --remove-section=.comment --remove-section=.note --strip-unneeded
      \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}/$<TARGET_FILE_NAME:scrolltest>\"
      COMMAND_ERROR_IS_FATAL ANY)
  endif()")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Qt's X11 platform ships with libqt6gui6, which the binary links; the Wayland one is loaded at run time.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS qt6-wayland)
include(CPack)

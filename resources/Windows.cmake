# The Windows program's resources, made without Qt: the icon file (makeico, from the XPM) and the resource
# script that carries it with the version and the manifest; cmake/WindowsPackage.cmake adds the script to the
# program. makeico and makebg are Windows programs too, run under wine in the build's prefix.
add_dependencies(sample_picture wine_prefix)

add_executable(makeico makeico.cpp)
scroll_warnings(makeico)
add_custom_command(OUTPUT scrolltest.ico
  COMMAND makeico ${CMAKE_CURRENT_SOURCE_DIR}/scrolltest.xpm scrolltest.ico
  DEPENDS makeico scrolltest.xpm wine_prefix VERBATIM)
add_custom_target(windows_icon ALL DEPENDS scrolltest.ico)

# The version resource wants four numbers: 1.0 is 1,0,0,0.
string(REPLACE "." ";" version_numbers ${PROJECT_VERSION})
list(APPEND version_numbers 0 0 0)
list(SUBLIST version_numbers 0 4 version_numbers)
string(JOIN "," SCROLL_VERSION_COMMAS ${version_numbers})
string(JOIN "." SCROLL_VERSION_DOTS ${version_numbers})
configure_file(scrolltest.manifest.in scrolltest.manifest @ONLY)
configure_file(scrolltest.rc.in scrolltest.rc @ONLY)

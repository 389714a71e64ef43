# The Windows program as a user gets it: its icon, version and manifest (resources/Windows.cmake), and
# `cpack` in the build folder making scrolltest-VERSION-win64.zip and the 64-bit NSIS installer
# scrolltest-VERSION-win64.exe. Both hold the program, the sample BG.bmp beside it, the licence and a
# read-me, the two texts with Windows line ends.

add_subdirectory(${PROJECT_SOURCE_DIR}/resources ${PROJECT_BINARY_DIR}/resources)
set(resources ${PROJECT_BINARY_DIR}/resources)
target_sources(scrolltest PRIVATE ${resources}/scrolltest.rc)
add_dependencies(scrolltest windows_icon)
set_property(SOURCE ${resources}/scrolltest.rc TARGET_DIRECTORY scrolltest APPEND PROPERTY
  OBJECT_DEPENDS ${resources}/scrolltest.ico ${resources}/scrolltest.manifest)

configure_file(LICENSE LICENSE.txt @ONLY NEWLINE_STYLE CRLF)
configure_file(resources/windows-readme.txt README.txt @ONLY NEWLINE_STYLE CRLF)
install(TARGETS scrolltest RUNTIME DESTINATION .)
install(FILES ${resources}/BG.bmp ${PROJECT_BINARY_DIR}/LICENSE.txt ${PROJECT_BINARY_DIR}/README.txt DESTINATION .)

set(CPACK_GENERATOR NSIS ZIP)
set(CPACK_VERBATIM_VARIABLES ON)
set(CPACK_PACKAGE_NAME scrolltest)
set(CPACK_PACKAGE_VENDOR "the scrolltest developers")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Scrolls a picture under a standard or a precision timer")
set(CPACK_RESOURCE_FILE_LICENSE ${PROJECT_BINARY_DIR}/LICENSE.txt)
set(CPACK_STRIP_FILES ON)

set(CPACK_NSIS_EXECUTABLE ${PROJECT_SOURCE_DIR}/cmake/makensis-amd64.sh)
set(CPACK_NSIS_PACKAGE_NAME "Scroll Test")
set(CPACK_NSIS_DISPLAY_NAME "Scroll Test")
set(CPACK_NSIS_INSTALL_ROOT "$PROGRAMFILES64")
# Folder and key without the version, so that a newer version installs over an older one, which the
# installer first uninstalls.
set(CPACK_PACKAGE_INSTALL_DIRECTORY scrolltest)
set(CPACK_PACKAGE_INSTALL_REGISTRY_KEY scrolltest)
set(CPACK_NSIS_ENABLE_UNINSTALL_BEFORE_INSTALL ON)
set(CPACK_NSIS_MUI_ICON ${resources}/scrolltest.ico)
set(CPACK_NSIS_MUI_UNIICON ${resources}/scrolltest.ico)
set(CPACK_NSIS_INSTALLED_ICON_NAME scrolltest.exe)
# The program reads BG.bmp from its current folder: the shortcut starts it in the folder it is installed in.
set(CPACK_NSIS_CREATE_ICONS_EXTRA [[
  SetOutPath "$INSTDIR"
  CreateShortCut "$SMPROGRAMS\$STARTMENU_FOLDER\Scroll Test.lnk" "$INSTDIR\scrolltest.exe"]])
set(CPACK_NSIS_DELETE_ICONS_EXTRA [[
  Delete "$SMPROGRAMS\$MUI_TEMP\Scroll Test.lnk"]])
# CPack's uninstaller deletes the program's key beneath the vendor's, and leaves the vendor's behind, empty;
# it goes too, unless another program of the vendor's keeps its own key there.
set(CPACK_NSIS_EXTRA_UNINSTALL_COMMANDS "
  DeleteRegKey SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\\${CPACK_PACKAGE_INSTALL_REGISTRY_KEY}\"
  DeleteRegKey /ifempty SHCTX \"Software\\${CPACK_PACKAGE_VENDOR}\"")
include(CPack)

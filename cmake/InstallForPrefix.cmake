# Installs files that name installed paths. Only the install step knows the prefix (`cmake --install --prefix`
# and the package each choose their own), so such a file is written then:
#   scroll_install_for_prefix(FILE DESTINATION [GZIP])
# installs FILE into DESTINATION under the prefix. A FILE ending in .in is installed without that ending,
# with @SCROLLTEST_BINARY@, @SCROLLTEST_DATA_DIR@, @SCROLLTEST_SAMPLE_DIR@, @SCROLLTEST_DOC_DIR@ and
# @SCROLLTEST_VERSION@ replaced by the installed program, data and documentation folders and the version.
# GZIP compresses it as Debian's policy asks of manual pages and changelogs: gzip -9n, no name, no time.
include(GNUInstallDirs)

function(scroll_install_for_prefix file destination)
  cmake_parse_arguments(PARSE_ARGV 2 arg GZIP "" "")
  cmake_path(ABSOLUTE_PATH file BASE_DIRECTORY ${CMAKE_CURRENT_SOURCE_DIR})
  cmake_path(GET file FILENAME name)
  set(written ${file})
  set(steps "")
  if(name MATCHES "^(.*)\\.in$")
    set(name ${CMAKE_MATCH_1})
    set(written ${CMAKE_CURRENT_BINARY_DIR}/${name})
    set(steps "configure_file([[${file}]] [[${written}]] @ONLY)")
  endif()
  if(arg_GZIP)
    string(APPEND steps "
      execute_process(COMMAND gzip -9n -c [[${written}]] OUTPUT_FILE [[${CMAKE_CURRENT_BINARY_DIR}/${name}.gz]]
        COMMAND_ERROR_IS_FATAL ANY)")
    set(written ${CMAKE_CURRENT_BINARY_DIR}/${name}.gz)
  endif()
  install(CODE "
    set(bin [[${CMAKE_INSTALL_BINDIR}]])
    set(data [[${CMAKE_INSTALL_DATADIR}]])
    set(doc [[${CMAKE_INSTALL_DOCDIR}]])
    foreach(folder bin data doc)
      cmake_path(ABSOLUTE_PATH \${folder} BASE_DIRECTORY \"\${CMAKE_INSTALL_PREFIX}\" NORMALIZE)
    endforeach()
    set(SCROLLTEST_BINARY \"\${bin}/scrolltest\")
    set(SCROLLTEST_DATA_DIR \"\${data}\")
    set(SCROLLTEST_SAMPLE_DIR \"\${data}/scrolltest\")
    set(SCROLLTEST_DOC_DIR \"\${doc}\")
    set(SCROLLTEST_VERSION [[${PROJECT_VERSION}]])
    ${steps}
    file(INSTALL [[${written}]] DESTINATION \"\${CMAKE_INSTALL_PREFIX}/${destination}\")
  ")
endfunction()

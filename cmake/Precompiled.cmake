# Qt's headers, and GoogleTest's in the tests, take most of every compile here. Each set below is compiled
# once a build, by a target of its own, and reused by every target that names it:
#   scroll_precompiled(TARGET qt|qt_gtest|gtest)
# (gtest: GoogleTest's without Qt's, for the Windows build's tests.) The reuse needs the same compile flags as
# the set's own target, which is made in the folder of the first target that names the set and keeps that
# folder's options; SCROLL_PCH_VARIANT tells apart folders whose options differ. A mismatch fails the build
# (-Winvalid-pch with -Werror).
set(SCROLL_PCH_qt <QApplication> <QCoreApplication> <QDir> <QImage> <QPainter> <QString> <QTemporaryDir>
  <QTimer> <QWidget>)
set(SCROLL_PCH_gtest <gtest/gtest.h>)
set(SCROLL_PCH_std <atomic> <chrono> <functional> <memory> <string> <thread> <vector>)

function(scroll_precompiled target set)
  set(host scroll_pch_${set}${SCROLL_PCH_VARIANT})
  if(NOT TARGET ${host})
    add_library(${host} OBJECT ${PROJECT_SOURCE_DIR}/cmake/Precompiled.cpp)
    set(headers ${SCROLL_PCH_std})
    if(set MATCHES "^qt")
      set_target_properties(${host} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
      target_link_libraries(${host} PRIVATE Qt6::Widgets)
      list(APPEND headers ${SCROLL_PCH_qt})
    endif()
    if(set MATCHES "gtest$")
      target_link_libraries(${host} PRIVATE GTest::gtest)
      list(APPEND headers ${SCROLL_PCH_gtest})
    endif()
    target_precompile_headers(${host} PRIVATE ${headers})
    scroll_warnings(${host})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${host})
endfunction()

# Qt's headers, and GoogleTest's in the tests, take most of every compile here. Each set below is compiled
# once a build, by a target of its own, and reused by every target that names it:
#   scroll_precompiled(TARGET qt|qt_gtest)
# The reuse needs the same compile flags as the set's own target, which is made in the folder of the first
# target that names the set and keeps that folder's options; SCROLL_PCH_VARIANT tells apart folders whose
# options differ. A mismatch fails the build (-Winvalid-pch with -Werror).
set(SCROLL_PCH_qt <QApplication> <QCoreApplication> <QDir> <QImage> <QPainter> <QString> <QTemporaryDir>
  <QTimer> <QWidget>)
set(SCROLL_PCH_gtest <gtest/gtest.h>)
set(SCROLL_PCH_std <atomic> <chrono> <functional> <memory> <string> <thread> <vector>)

function(scroll_precompiled target set)
  set(host scroll_pch_${set}${SCROLL_PCH_VARIANT})
  if(NOT TARGET ${host})
    add_library(${host} OBJECT ${PROJECT_SOURCE_DIR}/cmake/Precompiled.cpp)
    set_target_properties(${host} PROPERTIES AUTOMOC OFF AUTOUIC OFF AUTORCC OFF)
    target_link_libraries(${host} PRIVATE Qt6::Widgets)
    set(headers ${SCROLL_PCH_std} ${SCROLL_PCH_qt})
    if(set STREQUAL "qt_gtest")
      target_link_libraries(${host} PRIVATE GTest::gtest)
      list(APPEND headers ${SCROLL_PCH_gtest})
    endif()
    target_precompile_headers(${host} PRIVATE ${headers})
    scroll_warnings(${host})
  endif()
  target_precompile_headers(${target} REUSE_FROM ${host})
endfunction()

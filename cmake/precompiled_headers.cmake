# Precompiled headers. Most of the time a source file takes to compile goes
# into parsing Qt's, the standard library's and GoogleTest's headers, the same
# in every file. Two precompiled headers hold them, each made once and used by
# every target of its kind (REUSE_FROM, with the same compiler flags):
#   qbpch      Qt Widgets, PrintSupport and the standard library, for the
#              program's libraries and tools (qb_use_pch, at the end of the
#              top-level CMakeLists.txt)
#   qbtestpch  the same plus GoogleTest and QtTest, for the test suites
#              (qb_test_build_settings, at the end of tests/CMakeLists.txt:
#              QtTest's definitions name the folder of the target)
# The table engine and its tests are plain C++ and keep to their own headers.
# A compiler cache still caches every compile; the build does not need one.

option(QB_PCH "Precompile the headers every source file includes" ON)

set(QB_PCH_STD <algorithm> <array> <cmath> <cstdint> <cstring> <functional> <map> <memory>
    <optional> <set> <string> <string_view> <utility> <vector>)
set(QB_PCH_QT <QAction> <QApplication> <QCheckBox> <QColor> <QComboBox> <QDialog> <QDir> <QFile>
    <QFileInfo> <QFormLayout> <QGridLayout> <QGroupBox> <QHBoxLayout> <QImage> <QKeyEvent> <QLabel>
    <QLineEdit> <QLocale> <QMenu> <QMessageBox> <QPainter> <QPlainTextEdit> <QPrinter> <QPushButton>
    <QRadioButton> <QScrollArea> <QSpinBox> <QString> <QStringList> <QTableView> <QTextDocument>
    <QTimer> <QToolButton> <QVBoxLayout> <QWidget>)
set(QB_PCH_SOURCE ${CMAKE_BINARY_DIR}/qbpch.cpp)
file(WRITE ${QB_PCH_SOURCE} "// Holds the precompiled headers' compile options.\n")

# The program's libraries and tools that use Qt Widgets.
function(qb_use_pch)
  if(NOT QB_PCH)
    return()
  endif()
  add_library(qbpch OBJECT ${QB_PCH_SOURCE})
  target_link_libraries(qbpch PRIVATE Qt6::Widgets Qt6::PrintSupport Qt6::Network)
  target_precompile_headers(qbpch PRIVATE ${QB_PCH_STD} ${QB_PCH_QT})
  foreach(target qbplatformqt qbcore qbprinting qbdesign qblabels qbenvelopes qbreports qbletters qbdialer
          qbtransfer qbutilities qbmainwindow quillbase qbtool mksysdata qbshot)
    if(TARGET ${target})
      target_precompile_headers(${target} REUSE_FROM qbpch)
    endif()
  endforeach()
endfunction()

# The test executables of the calling folder. In an optimised build their own
# sources are compiled with -O1 and line tables only: the tests' code is
# checked, not tuned, and the program's code they link keeps the build's
# flags. That halves what the test sources cost to compile and link. Those that
# use QtTest and GoogleTest share one precompiled header.
set(QB_TEST_COMPILE_OPTIONS $<$<CONFIG:RelWithDebInfo,Release>:-O1 -g1>)
function(qb_test_build_settings)
  get_property(targets DIRECTORY PROPERTY BUILDSYSTEM_TARGETS)
  set(suites)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(type STREQUAL "EXECUTABLE")
      target_compile_options(${target} PRIVATE ${QB_TEST_COMPILE_OPTIONS})
      get_target_property(libraries ${target} LINK_LIBRARIES)
      if("Qt6::Test" IN_LIST libraries AND "GTest::gtest" IN_LIST libraries)
        list(APPEND suites ${target})
      endif()
    endif()
  endforeach()
  if(NOT QB_PCH)
    return()
  endif()
  add_library(qbtestpch OBJECT ${QB_PCH_SOURCE})
  target_link_libraries(qbtestpch PRIVATE Qt6::Widgets Qt6::PrintSupport Qt6::Network Qt6::Test GTest::gtest)
  target_compile_options(qbtestpch PRIVATE ${QB_TEST_COMPILE_OPTIONS})
  target_precompile_headers(qbtestpch PRIVATE ${QB_PCH_STD} ${QB_PCH_QT} <QSignalSpy> <QTest> <gtest/gtest.h>)
  foreach(target IN LISTS suites)
    target_precompile_headers(${target} REUSE_FROM qbtestpch)
  endforeach()
endfunction()

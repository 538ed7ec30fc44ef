# Parsing the Qt and GoogleTest headers takes longer than compiling most of
# the files that include them. Targets that ask for the same headers share
# one precompiled copy: the first of them builds it, the others reuse it, so
# their compile options must match (the test programs share theirs, and Qt
# makes every target that links it position-independent). A copy that does
# not fit is a warning, so it is not silently parsed again in every file.
option(VANTREL_PCH "Precompile the common headers of the Qt and test targets" ON)

set(VANTREL_PCH_STD <algorithm> <filesystem> <functional> <map> <memory> <optional> <string>
    <vector>)
set(VANTREL_PCH_GTEST <gtest/gtest.h>)
set(VANTREL_PCH_QT <QApplication> <QCheckBox> <QComboBox> <QDialog> <QLineEdit> <QListWidget>
    <QPushButton> <QTreeWidget> <QWidget>)
# QTest reads the test's own folders from macros, so a copy with it serves
# one target only.
set(VANTREL_PCH_QTEST <QTest>)

# vantrel_precompile(target [GTEST] [QT] [QTEST])
function(vantrel_precompile target)
  if(NOT VANTREL_PCH)
    return()
  endif()
  if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU")
    target_compile_options(${target} PRIVATE -Winvalid-pch)
  endif()
  string(JOIN "_" _group STD ${ARGN})
  get_property(_owner GLOBAL PROPERTY VANTREL_PCH_OWNER_${_group})
  if(_owner)
    target_precompile_headers(${target} REUSE_FROM ${_owner})
    return()
  endif()
  set(_headers ${VANTREL_PCH_STD})
  foreach(_kind ${ARGN})
    list(APPEND _headers ${VANTREL_PCH_${_kind}})
  endforeach()
  target_precompile_headers(${target} PRIVATE ${_headers})
  set_property(GLOBAL PROPERTY VANTREL_PCH_OWNER_${_group} ${target})
endfunction()

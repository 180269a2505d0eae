# Finds QScintilla built for Qt 6, the list pane's widget, and defines the
# imported target QScintilla::QScintilla.
#
# Debian ships it as libqscintilla2_qt6 with its headers in the Qt 6 include
# folder (…/qt6/Qsci); other systems name the library qscintilla2_qt6 too.
# QSCINTILLA_INCLUDE_DIR and QSCINTILLA_LIBRARY may be given to point at
# another build.

find_path(QSCINTILLA_INCLUDE_DIR
  NAMES Qsci/qsciscintilla.h
  HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_HEADERS}
  PATH_SUFFIXES qt6 ${CMAKE_LIBRARY_ARCHITECTURE}/qt6)
find_library(QSCINTILLA_LIBRARY
  NAMES qscintilla2_qt6
  HINTS ${QT6_INSTALL_PREFIX}/${QT6_INSTALL_LIBS})

if(QSCINTILLA_INCLUDE_DIR AND EXISTS "${QSCINTILLA_INCLUDE_DIR}/Qsci/qsciglobal.h")
  file(STRINGS "${QSCINTILLA_INCLUDE_DIR}/Qsci/qsciglobal.h" version_line
       REGEX "^#define QSCINTILLA_VERSION_STR")
  string(REGEX REPLACE ".*\"([^\"]+)\".*" "\\1" QScintilla_VERSION "${version_line}")
endif()

include(FindPackageHandleStandardArgs)
find_package_handle_standard_args(QScintilla
  REQUIRED_VARS QSCINTILLA_LIBRARY QSCINTILLA_INCLUDE_DIR
  VERSION_VAR QScintilla_VERSION)

if(QScintilla_FOUND AND NOT TARGET QScintilla::QScintilla)
  add_library(QScintilla::QScintilla UNKNOWN IMPORTED)
  set_target_properties(QScintilla::QScintilla PROPERTIES
    IMPORTED_LOCATION "${QSCINTILLA_LIBRARY}"
    INTERFACE_INCLUDE_DIRECTORIES "${QSCINTILLA_INCLUDE_DIR}"
    INTERFACE_LINK_LIBRARIES Qt6::Widgets)
endif()
mark_as_advanced(QSCINTILLA_INCLUDE_DIR QSCINTILLA_LIBRARY)

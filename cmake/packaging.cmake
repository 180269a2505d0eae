# The Debian package: `./kestro.sh package` configures the "package" preset
# (installed under /usr, no tests) and runs CPack's DEB generator in
# build-package/. The package holds the program, its help, the desktop entry
# and icons (data/), the manual pages and the bash completion (man/), the
# store entry and the Debian documents made here; its dependencies are the
# ones dpkg-shlibdeps finds in the program.

# The day of the release: the store entry, the manual pages and the Debian
# changelog carry it, so that rebuilding the release gives the same files.
# A new version in CMakeLists.txt comes with a new day here.
set(KESTRO_RELEASE_DATE "2026-12-08")
set(KESTRO_MAINTAINER "The Kestro developers <kestro@users.noreply.github.com>"
  CACHE STRING "Maintainer of the Debian package: name <mail address>")
set(KESTRO_SCREENSHOT_URL "https://raw.githubusercontent.com/kestro/kestro/main/docs/main-window.png"
  CACHE STRING "Address of the screenshot the store entry shows")
set(KESTRO_SCREENSHOT_WIDTH 483)
set(KESTRO_SCREENSHOT_HEIGHT 464)

set(package_data ${PROJECT_SOURCE_DIR}/data)
set(package_made ${CMAKE_BINARY_DIR}/package)

# The store entry, named after its component id.
set(metainfo io.github.kestro.Kestro.metainfo.xml)
configure_file(${package_data}/${metainfo}.in ${package_made}/${metainfo} @ONLY)
install(FILES ${package_made}/${metainfo} DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)

# The documents every Debian package has: its copyright and its changelog,
# compressed without a time stamp.
execute_process(COMMAND date -u -R -d "${KESTRO_RELEASE_DATE} 00:00:00"
  OUTPUT_VARIABLE KESTRO_RELEASE_TIME OUTPUT_STRIP_TRAILING_WHITESPACE COMMAND_ERROR_IS_FATAL ANY)
configure_file(${package_data}/debian/changelog.in ${package_made}/changelog @ONLY)
configure_file(${package_data}/debian/copyright.in ${package_made}/copyright @ONLY)
find_program(KESTRO_GZIP gzip REQUIRED)
add_custom_command(
  OUTPUT ${package_made}/changelog.gz
  COMMAND ${KESTRO_GZIP} -9nkf ${package_made}/changelog
  DEPENDS ${package_made}/changelog
  VERBATIM)
add_custom_target(kestro_changelog ALL DEPENDS ${package_made}/changelog.gz)
set(package_doc_dir ${CMAKE_INSTALL_DATADIR}/doc/kestro)
install(FILES ${package_made}/copyright ${package_made}/changelog.gz DESTINATION ${package_doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME kestro)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "The Kestro developers")
set(CPACK_PACKAGE_CONTACT "${KESTRO_MAINTAINER}")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "write a list of the files in a folder as text")
set(CPACK_PACKAGE_DESCRIPTION
  "Kestro writes a list of the files in a folder as text: pick a folder, type\n"
  "file-name patterns, choose which facts to print for each file (path, name,\n"
  "extension, size, attributes, file type, times, checksum) and how, and press\n"
  "the create button. The list lands in an editable pane that can be copied,\n"
  "saved as UTF-8 or Shift-JIS, and compared with a list saved earlier. Its\n"
  "window speaks Japanese.\n"
  "\n"
  "The command line (kestro --list, --compare, --info) makes the same lists\n"
  "without a window, for scripts and scheduled jobs.")
string(JOIN "" CPACK_PACKAGE_DESCRIPTION ${CPACK_PACKAGE_DESCRIPTION})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# The libraries the program loads only when a list needs them (the
# digests', the workbook's) are no link of its files, so dpkg-shlibdeps does
# not see them: the package depends on what the shlibs file of the package
# holding each one says, as dpkg-shlibdeps would for a link.
find_program(KESTRO_DPKG_QUERY dpkg-query)
if(KESTRO_DPKG_QUERY)
  set(loaded_depends "")
  foreach(loaded "${OPENSSL_CRYPTO_LIBRARY}=${KESTRO_DIGEST_LIBRARY}"
                 "${KESTRO_XLSXWRITER_LIBRARY}=${KESTRO_WORKBOOK_LIBRARY}")
    string(REGEX REPLACE "=.*" "" library ${loaded})
    string(REGEX REPLACE ".*=" "" soname ${loaded})
    file(REAL_PATH ${library} library_file)
    execute_process(COMMAND ${KESTRO_DPKG_QUERY} -S ${library_file} OUTPUT_VARIABLE owner
                    RESULT_VARIABLE failed OUTPUT_STRIP_TRAILING_WHITESPACE)
    if(failed OR NOT owner MATCHES "^([^:]+)")
      message(FATAL_ERROR "No package holds ${library_file}")
    endif()
    set(package ${CMAKE_MATCH_1})
    execute_process(COMMAND ${KESTRO_DPKG_QUERY} --control-show ${package} shlibs
                    OUTPUT_VARIABLE shlibs RESULT_VARIABLE failed)
    if(failed OR NOT soname MATCHES "^(.+)\\.so\\.([0-9]+)$")
      message(FATAL_ERROR "No shlibs entry for ${library_file}")
    endif()
    if(NOT shlibs MATCHES "(^|\n)${CMAKE_MATCH_1} ${CMAKE_MATCH_2} ([^\n]+)")
      message(FATAL_ERROR "No shlibs entry for ${soname} in ${package}")
    endif()
    list(APPEND loaded_depends "${CMAKE_MATCH_2}")
  endforeach()
  list(JOIN loaded_depends ", " CPACK_DEBIAN_PACKAGE_DEPENDS)
endif()
# What the program uses besides its libraries: the Japanese font of the
# list pane, the MIME database of the file-type column, xdg-open for the
# help and the web page.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-ipafont-gothic | fonts-japanese-gothic, shared-mime-info, xdg-utils")
if(KESTRO_WEB_PAGE)
  set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "${KESTRO_WEB_PAGE}")
endif()
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DIRECTORY ${CMAKE_BINARY_DIR})
include(CPack)

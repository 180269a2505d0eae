# Fails when a source file outside src/platform/ includes a header of the
# operating system or uses a compiler's own 128-bit integer: everything that
# depends on the system or the compiler sits behind the platform's
# interfaces, so that another system needs only new platform files. Also
# fails when a file includes from a layer it may not use (the table below,
# the same rule the include directories of src/CMakeLists.txt hold), when a
# core file includes a Qt header, and when a call interrupted by a signal is
# retried anywhere but in platform/descriptor.h and its files. Each
# offending line is printed as file:line.
#
#   cmake -DSOURCE_DIR=<repository>/src -P platform_boundary.cmake

cmake_minimum_required(VERSION 3.25)

# The folders each folder may include from, besides its own. The command
# line uses the window only to start it, in app/window_module.cpp.
set(may_use_platform "")
set(may_use_fileinfo platform)
set(may_use_listgen fileinfo platform)
set(may_use_settings listgen fileinfo platform)
set(may_use_document listgen fileinfo platform)
set(may_use_compare document listgen fileinfo platform)
set(may_use_export compare document settings listgen fileinfo platform)
set(may_use_ui export compare document settings listgen fileinfo platform)
set(may_use_app export compare document settings listgen fileinfo platform)
set(may_use_app/window_module.cpp ui app)
set(layers platform fileinfo listgen settings document compare export ui app)
set(core fileinfo listgen settings document compare)

set(denied
  "unistd\\.h" "fcntl\\.h" "sys/[^>]*" "signal\\.h" "csignal" "dirent\\.h" "pwd\\.h" "grp\\.h"
  "termios\\.h" "linux/[^>]*" "windows\\.h" "poll\\.h" "spawn\\.h" "dlfcn\\.h" "mntent\\.h"
  "pthread\\.h" "semaphore\\.h" "ftw\\.h" "fnmatch\\.h" "glob\\.h" "libgen\\.h" "utime\\.h"
  "langinfo\\.h" "iconv\\.h" "syslog\\.h" "netinet/[^>]*" "arpa/[^>]*" "io\\.h" "direct\\.h")
list(JOIN denied "|" denied)
set(include "#[ \t]*include[ \t]*[<\"](${denied})[>\"]")

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")
list(SORT files)
set(found "")
foreach(file IN LISTS files)
  string(REGEX MATCH "^[^/]+" folder "${file}")
  if(NOT folder IN_LIST layers)
    message(FATAL_ERROR "src/${file}: the folder ${folder} is not in the layer table")
  endif()
  # What this file may not include: the system's headers outside the
  # platform, the folders it may not use, and Qt in the core.
  if(DEFINED may_use_${file})
    set(allowed ${may_use_${file}})
  else()
    set(allowed ${folder} ${may_use_${folder}})
  endif()
  set(refused ${layers})
  list(REMOVE_ITEM refused ${allowed})
  set(checks "")
  set(anywhere "")
  if(NOT folder STREQUAL "platform")
    list(APPEND checks "${include}")
    list(APPEND anywhere "__int128")
  endif()
  if(NOT file MATCHES "^platform/descriptor")
    list(APPEND anywhere "== *EINTR")
  endif()
  if(refused)
    list(JOIN refused "|" refused)
    list(APPEND checks "#[ \t]*include[ \t]*[<\"](${refused})/")
  endif()
  if(folder IN_LIST core)
    list(APPEND checks "#[ \t]*include[ \t]*<Q")
  endif()
  list(JOIN checks "|" checks)
  list(JOIN anywhere "|" anywhere)
  if(NOT checks)
    set(checks "@none@")
  endif()
  if(NOT anywhere)
    set(anywhere "@none@")
  endif()
  file(READ "${SOURCE_DIR}/${file}" text)
  if(NOT text MATCHES "${checks}|${anywhere}")
    continue()
  endif()
  # One list element per line; characters that mean something in a list are
  # stood in for first, and put back for the printout.
  string(REPLACE ";" "@semicolon@" text "${text}")
  string(REPLACE "[" "@open@" text "${text}")
  string(REPLACE "]" "@close@" text "${text}")
  string(REPLACE "\\" "@backslash@" text "${text}")
  string(REPLACE "\n" ";" lines "${text}")
  set(number 0)
  foreach(line IN LISTS lines)
    math(EXPR number "${number} + 1")
    if(line MATCHES "^[ \t]*(${checks})|${anywhere}")
      string(STRIP "${line}" line)
      string(REPLACE "@semicolon@" ";" line "${line}")
      string(REPLACE "@open@" "[" line "${line}")
      string(REPLACE "@close@" "]" line "${line}")
      string(REPLACE "@backslash@" "\\" line "${line}")
      string(APPEND found "  src/${file}:${number}: ${line}\n")
    endif()
  endforeach()
endforeach()

if(found)
  message(FATAL_ERROR "Operating-system headers or __int128 outside src/platform/, a layer "
                      "reaching up into one it may not use, Qt in the core, or a retry "
                      "outside platform/descriptor.h:\n${found}"
                      "Put the call behind an interface in src/platform/, the code it needs "
                      "below it.")
endif()
list(LENGTH files count)
message(STATUS "${count} files checked: the platform boundary and the layers hold")

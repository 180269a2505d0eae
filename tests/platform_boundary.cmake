# Fails when a source file outside src/platform/ includes a header of the
# operating system or uses a compiler's own 128-bit integer: everything that
# depends on the system or the compiler sits behind the platform's
# interfaces, so that another system needs only new platform files. Also
# fails when the list code (listgen, fileinfo) includes from the layers that
# use it, which would make a cycle. Each offending line is printed as
# file:line.
#
#   cmake -DSOURCE_DIR=<repository>/src -P platform_boundary.cmake

set(denied
  "unistd\\.h" "fcntl\\.h" "sys/[^>]*" "signal\\.h" "csignal" "dirent\\.h" "pwd\\.h" "grp\\.h"
  "termios\\.h" "linux/[^>]*" "windows\\.h" "poll\\.h" "spawn\\.h" "dlfcn\\.h" "mntent\\.h"
  "pthread\\.h" "semaphore\\.h" "ftw\\.h" "fnmatch\\.h" "glob\\.h" "libgen\\.h" "utime\\.h"
  "langinfo\\.h" "iconv\\.h" "syslog\\.h" "netinet/[^>]*" "arpa/[^>]*" "io\\.h" "direct\\.h")
list(JOIN denied "|" denied)
set(include "#[ \t]*include[ \t]*[<\"](${denied})[>\"]")
set(pattern "^[ \t]*${include}|__int128")

file(GLOB_RECURSE files RELATIVE "${SOURCE_DIR}" "${SOURCE_DIR}/*.cpp" "${SOURCE_DIR}/*.h")
list(SORT files)
set(found "")
foreach(file IN LISTS files)
  if(file MATCHES "^platform/")
    continue()
  endif()
  # Inside the core the list code is below the settings and the document:
  # nothing of theirs is used by it.
  set(upward "")
  if(file MATCHES "^(listgen|fileinfo)/")
    set(upward "|#[ \t]*include[ \t]*\"(settings|document|ui|app)/")
  endif()
  file(READ "${SOURCE_DIR}/${file}" text)
  if(NOT text MATCHES "${include}|__int128${upward}")
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
    if(line MATCHES "${pattern}${upward}")
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
  message(FATAL_ERROR "Operating-system headers or __int128 outside src/platform/, or the list "
                      "code reaching up into settings, document or the hosts:\n${found}"
                      "Put the call behind an interface in src/platform/, the lookup below.")
endif()
list(LENGTH files count)
message(STATUS "${count} files checked: the platform boundary holds")

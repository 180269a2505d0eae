# Writes the desktop entry at install time, when the prefix is known.
# In: KESTRO_BIN_DIR, KESTRO_DATA_DIR (absolute, without DESTDIR),
# KESTRO_DESKTOP_TEMPLATE.

set(exec_path "${KESTRO_BIN_DIR}/kestro")

# Exec is a command line: a path with characters the entry's syntax reserves
# is quoted, with ", `, $ and \ escaped inside the quotes, and % doubled.
set(exec_arg "${exec_path}")
string(REPLACE "%" "%%" exec_arg "${exec_arg}")
if(exec_arg MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
  string(REPLACE "\\" "\\\\" exec_arg "${exec_arg}")
  string(REPLACE "\"" "\\\"" exec_arg "${exec_arg}")
  string(REPLACE "`" "\\`" exec_arg "${exec_arg}")
  string(REPLACE "$" "\\$" exec_arg "${exec_arg}")
  set(exec_arg "\"${exec_arg}\"")
endif()
# Every value of the entry escapes its backslashes once more.
string(REPLACE "\\" "\\\\" KESTRO_DESKTOP_EXEC "${exec_arg}")
string(REPLACE "\\" "\\\\" KESTRO_DESKTOP_TRYEXEC "${exec_path}")

set(entry "$ENV{DESTDIR}${KESTRO_DATA_DIR}/applications/kestro.desktop")
message(STATUS "Installing: ${entry}")
configure_file("${KESTRO_DESKTOP_TEMPLATE}" "${entry}" @ONLY)
list(APPEND CMAKE_INSTALL_MANIFEST_FILES "${entry}")

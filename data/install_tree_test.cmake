# Installs the build into fresh prefixes and checks the tree: the program in
# bin/ starts and answers --version and --help, the help, the desktop entry
# and the icons are where a desktop looks for them.
# In: BUILD_DIR, SOURCE_DIR (data/), WORK_DIR, CONFIG, VERSION, ICON_SIZES.

# check(MESSAGE CONDITION...): reports MESSAGE unless the condition holds.
# Conditions name variables rather than expand them, so that values with
# spaces or semicolons stay whole.
set(failures 0)
macro(check message)
  if(NOT (${ARGN}))
    message(SEND_ERROR "${message}")
    math(EXPR failures "${failures} + 1")
  endif()
endmacro()

function(install_into prefix destdir)
  set(command ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})
  if(CONFIG)
    list(APPEND command --config ${CONFIG})
  endif()
  if(destdir)
    set(command ${CMAKE_COMMAND} -E env DESTDIR=${destdir} ${command})
  endif()
  execute_process(COMMAND ${command} RESULT_VARIABLE result OUTPUT_VARIABLE output
                  ERROR_VARIABLE output)
  if(NOT result EQUAL 0)
    message(FATAL_ERROR "cmake --install failed (${result}):\n${output}")
  endif()
endfunction()

# Width and height of a PNG, from its header.
function(png_size file out)
  file(READ ${file} header LIMIT 24 HEX)
  string(SUBSTRING "${header}" 0 16 signature)
  if(NOT signature STREQUAL "89504e470d0a1a0a")
    set(${out} "not a PNG" PARENT_SCOPE)
    return()
  endif()
  string(SUBSTRING "${header}" 32 8 width_hex)
  string(SUBSTRING "${header}" 40 8 height_hex)
  math(EXPR width "0x${width_hex}")
  math(EXPR height "0x${height_hex}")
  set(${out} "${width}x${height}" PARENT_SCOPE)
endfunction()

file(REMOVE_RECURSE ${WORK_DIR})
set(prefix "${WORK_DIR}/prefix with space")
install_into("${prefix}" "")

# The program starts from the installed place.
set(program "${prefix}/bin/kestro")
check("no program at ${program}" EXISTS "${program}")
execute_process(COMMAND "${program}" --version RESULT_VARIABLE result OUTPUT_VARIABLE output)
check("kestro --version exited with ${result}" result EQUAL 0)
# The version line of the version dialog: Ver.1.02.0003 for 1.2.3.
function(zero_padded out number digits)
  set(text "${number}")
  string(LENGTH "${text}" length)
  while(length LESS digits)
    string(PREPEND text "0")
    math(EXPR length "${length} + 1")
  endwhile()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()
string(REPLACE "." ";" parts "${VERSION}")
list(GET parts 0 major)
list(GET parts 1 minor)
list(GET parts 2 revision)
zero_padded(minor ${minor} 2)
zero_padded(revision ${revision} 4)
set(expected "kestro Ver.${major}.${minor}.${revision}\n")
check("kestro --version printed '${output}', not '${expected}'" output STREQUAL expected)
execute_process(COMMAND "${program}" --help RESULT_VARIABLE result OUTPUT_VARIABLE output)
check("kestro --help exited with ${result}" result EQUAL 0)
string(FIND "${output}" "--list" at)
check("kestro --help says nothing of --list:\n${output}" NOT at EQUAL -1)

# The help, where the installed program looks for it (beside bin/).
set(help "${prefix}/share/kestro/Kestro.html")
check("no help at ${help}" EXISTS "${help}")
if(EXISTS "${help}")
  file(SHA256 "${help}" installed)
  file(SHA256 "${SOURCE_DIR}/Kestro.html" original)
  check("the installed help differs from data/Kestro.html" installed STREQUAL original)
endif()

# The icons, each at its size.
foreach(size ${ICON_SIZES})
  set(icon "${prefix}/share/icons/hicolor/${size}x${size}/apps/kestro.png")
  check("no icon at ${icon}" EXISTS "${icon}")
  if(EXISTS "${icon}")
    png_size("${icon}" found)
    check("${icon} is ${found}, not ${size}x${size}" found STREQUAL "${size}x${size}")
  endif()
endforeach()
check("no icon in share/pixmaps" EXISTS "${prefix}/share/pixmaps/kestro.png")

# The desktop entry starts the installed program by its full path.
set(entry "${prefix}/share/applications/kestro.desktop")
check("no desktop entry at ${entry}" EXISTS "${entry}")
if(EXISTS "${entry}")
  file(STRINGS "${entry}" lines ENCODING UTF-8)
  foreach(expected
      "[Desktop Entry]" "Type=Application" "Icon=kestro" "Categories=Utility;"
      "Exec=\"${program}\"" "TryExec=${program}")
    list(FIND lines "${expected}" at)
    check("the desktop entry lacks the line '${expected}'" NOT at EQUAL -1)
  endforeach()
  foreach(key "Name[ja]" "Comment[ja]" "Comment")
    string(REPLACE "[" "\\[" pattern "${key}")
    string(REPLACE "]" "\\]" pattern "${pattern}")
    set(found ${lines})
    list(FILTER found INCLUDE REGEX "^${pattern}=.*[^ -~]")
    check("the desktop entry has no Japanese ${key}" found)
  endforeach()
endif()

# Staged for packaging: the files land under DESTDIR, the entry names the
# final place.
set(stage "${WORK_DIR}/stage")
install_into("/opt/kestro" "${stage}")
set(staged_entry "${stage}/opt/kestro/share/applications/kestro.desktop")
check("DESTDIR install put no program under ${stage}" EXISTS "${stage}/opt/kestro/bin/kestro")
check("DESTDIR install put no desktop entry under ${stage}" EXISTS "${staged_entry}")
if(EXISTS "${staged_entry}")
  file(STRINGS "${staged_entry}" exec_lines REGEX "^Exec=")
  set(expected "Exec=/opt/kestro/bin/kestro")
  check("the staged entry says '${exec_lines}', not ${expected}" exec_lines STREQUAL expected)
endif()

if(failures EQUAL 0)
  file(REMOVE_RECURSE ${WORK_DIR})
else()
  message(FATAL_ERROR "${failures} check(s) of the installed tree failed; tree kept in ${WORK_DIR}")
endif()

# The Windows build's golden lists (included by tests/CMakeLists.txt on
# WIN32): golden/windows/golden_win32.cpp makes a fixture tree with attribute
# bits and long names, and each golden/windows/NAME.args is run through the
# built kestro.exe and compared with NAME.out, under Wine like every test
# here (KESTRO_UPDATE_GOLDEN=1 ctest -R golden_ rewrites them). Local times
# are those of UTC.

add_executable(kestro_golden_win32 golden/windows/golden_win32.cpp)
set(golden_folder ${CMAKE_BINARY_DIR}/golden-tree)
file(GLOB golden_cases CONFIGURE_DEPENDS golden/windows/*.args)
# The golden lists of tests/golden/ that mean the same on both platforms:
# plain files only (the Windows tree holds them too), no attribute column,
# no path. The same .args and .out as on Linux.
set(KESTRO_GOLDEN_SHARED portable-columns portable-csv)
foreach(name ${KESTRO_GOLDEN_SHARED})
  list(APPEND golden_cases ${CMAKE_CURRENT_SOURCE_DIR}/golden/${name}.args)
endforeach()
foreach(args ${golden_cases})
  get_filename_component(name ${args} NAME_WE)
  get_filename_component(folder ${args} DIRECTORY)
  add_test(NAME golden_windows_${name}
           COMMAND kestro_golden_win32 check $<TARGET_FILE:kestro> ${golden_folder} ${args}
                   ${folder}/${name}.out)
  set_tests_properties(golden_windows_${name} PROPERTIES FIXTURES_REQUIRED golden_windows_tree
                                                         RESOURCE_LOCK golden_windows_tree
                                                         ENVIRONMENT "TZ=UTC")
endforeach()
add_test(NAME golden_windows_tree_made COMMAND kestro_golden_win32 make ${golden_folder})
add_test(NAME golden_windows_tree_removed COMMAND kestro_golden_win32 remove ${golden_folder})
set_tests_properties(golden_windows_tree_made PROPERTIES FIXTURES_SETUP golden_windows_tree)
set_tests_properties(golden_windows_tree_removed PROPERTIES FIXTURES_CLEANUP golden_windows_tree)
add_dependencies(kestro_golden_win32 kestro)

# The program on a console (ctest gives none): golden/windows/console_win32.cpp
# runs kestro.exe on a pseudo console, in the golden tree's folder, and reads
# the screen and the code page back.
add_executable(kestro_console_win32 golden/windows/console_win32.cpp)
# CreatePseudoConsole is declared for Windows 10 1809 and later.
target_compile_definitions(kestro_console_win32 PRIVATE _WIN32_WINNT=0x0A00
                                                        NTDDI_VERSION=0x0A000006)
add_dependencies(kestro_console_win32 kestro)
foreach(case code-page sjis status-line)
  add_test(NAME console_windows_${case}
           COMMAND kestro_console_win32 $<TARGET_FILE:kestro> ${golden_folder} ${case})
  set_tests_properties(console_windows_${case} PROPERTIES FIXTURES_REQUIRED golden_windows_tree
                                                          RESOURCE_LOCK golden_windows_tree)
endforeach()

# The Windows programs under test: the x86_64 build runs under Wine (unit and
# end-to-end); the i686 build is checked without being run (this kernel cannot run
# 32-bit programs).

find_program(KRVFLASH_WINE NAMES wine64 wine REQUIRED)
find_program(KRVFLASH_WINEBOOT NAMES wineboot REQUIRED)
set(KRVFLASH_WINE_ENVIRONMENT
  WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix
  WINEDEBUG=-all
  WINEDLLOVERRIDES=mscoree,mshtml=)

set(win64 ${KRVFLASH_WINDOWS_x86_64_DIR})
set(win32 ${KRVFLASH_WINDOWS_i686_DIR})

# One prefix for all Wine tests, made before the first of them; the fixture waits until
# Wine has settled (its server ends), so no test runs while the new prefix is updated.
find_program(KRVFLASH_WINESERVER NAMES wineserver REQUIRED)
add_test(NAME windows.prefix COMMAND ${CMAKE_COMMAND} -E env ${KRVFLASH_WINE_ENVIRONMENT}
  sh -c "\"$1\" -i && \"$2\" -w" prefix ${KRVFLASH_WINEBOOT} ${KRVFLASH_WINESERVER})
set_tests_properties(windows.prefix PROPERTIES FIXTURES_SETUP wine LABELS windows)

add_test(NAME windows.unit COMMAND ${KRVFLASH_WINE} ${win64}/krvflash_tests.exe)
set_tests_properties(windows.unit PROPERTIES
  ENVIRONMENT "${KRVFLASH_WINE_ENVIRONMENT}"
  FIXTURES_REQUIRED wine
  LABELS "windows;unit")
foreach(script IN LISTS KRVFLASH_E2E_SCRIPTS)
  add_test(NAME e2e.windows.${script}
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/${script}.sh $<TARGET_FILE:package_tool> ${win64}/KRVFLASH.EXE ${KRVFLASH_WINE})
  set_tests_properties(e2e.windows.${script} PROPERTIES
    ENVIRONMENT "${KRVFLASH_WINE_ENVIRONMENT}"
    FIXTURES_REQUIRED wine
    LABELS "windows;e2e"
    TIMEOUT 600)
endforeach()

foreach(build IN ITEMS win64 win32)
  add_test(NAME e2e.${build}.marker COMMAND $<TARGET_FILE:package_tool> check-marker ${${build}}/KRVFLASH.EXE)
  add_test(NAME e2e.${build}.resources COMMAND $<TARGET_FILE:package_tool> check-resources ${${build}}/KRVFLASH.EXE ${CMAKE_SOURCE_DIR}/resources/krvflash.ico)
  set_tests_properties(e2e.${build}.marker e2e.${build}.resources PROPERTIES LABELS "windows;e2e")
endforeach()

add_test(NAME gui.win32
  COMMAND bash ${CMAKE_SOURCE_DIR}/tests/gui/windows.sh win32 $<TARGET_FILE:package_tool> ${win64}/KRVFLASH.EXE
    ${KRVFLASH_GUI_ARTIFACTS} ${KRVFLASH_WINE})
# A prefix of its own: Wine's desktop takes the display of the first program of a
# session, and the other Wine tests run without one.
set_tests_properties(gui.win32 PROPERTIES
  ENVIRONMENT "WINEPREFIX=${CMAKE_BINARY_DIR}/wine-prefix-gui;WINEDEBUG=-all;WINEDLLOVERRIDES=mscoree,mshtml="
  LABELS "gui;windows"
  TIMEOUT 300)

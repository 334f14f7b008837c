# Unit tests (GoogleTest) for the build at hand; end-to-end tests for the Linux build.

if(CMAKE_CROSSCOMPILING)
  # The Windows builds compile GoogleTest from the system's sources.
  set(KRVFLASH_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest sources")
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  add_subdirectory(${KRVFLASH_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
  set(KRVFLASH_GTEST_MAIN gtest_main)
else()
  find_package(GTest REQUIRED)
  set(KRVFLASH_GTEST_MAIN GTest::gtest_main)
endif()

add_executable(krvflash_tests
  tests/unit/ApplicationTest.cpp
  tests/unit/CddriveTest.cpp
  tests/unit/CatalogueTest.cpp
  tests/unit/CddrivesTest.cpp
  tests/unit/ConsoleFrontEndTest.cpp
  tests/unit/DriveTestSupport.cpp
  tests/unit/FileSystemTest.cpp
  tests/unit/FlashStepsTest.cpp
  tests/unit/ImageCheckTest.cpp
  tests/unit/ModeDecisionTest.cpp
  tests/unit/PackageTest.cpp
  tests/unit/TestSupport.cpp
  tests/unit/VirtualMachineTest.cpp
  ${KRVFLASH_FRONT_END_CHOICE})
if(NOT WIN32)
  target_sources(krvflash_tests PRIVATE tests/unit/LinuxOsTest.cpp)
endif()
target_link_libraries(krvflash_tests PRIVATE krvflash_system krvflash_ui ${KRVFLASH_GTEST_MAIN})
if(WIN32)
  set_target_properties(krvflash_tests PROPERTIES SUFFIX .exe)
endif()

if(NOT CMAKE_CROSSCOMPILING)
  enable_testing()
  add_test(NAME unit COMMAND krvflash_tests)
  set_tests_properties(unit PROPERTIES LABELS unit)

  add_executable(package_tool tests/tools/package_tool.cpp)

  # The end-to-end scripts, each run on the Linux program here and on the x86_64
  # Windows program under Wine (WindowsTests.cmake).
  set(KRVFLASH_E2E_SCRIPTS startup flasher faults builder)
  foreach(script IN LISTS KRVFLASH_E2E_SCRIPTS)
    add_test(NAME e2e.linux.${script}
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/e2e/${script}.sh $<TARGET_FILE:package_tool> $<TARGET_FILE:krvflash>)
    set_tests_properties(e2e.linux.${script} PROPERTIES LABELS e2e TIMEOUT 600)
  endforeach()
  add_test(NAME e2e.linux.marker
    COMMAND $<TARGET_FILE:package_tool> check-marker $<TARGET_FILE:krvflash>)
  add_test(NAME layers
    COMMAND bash ${CMAKE_SOURCE_DIR}/tests/check-layers.sh ${CMAKE_SOURCE_DIR})
  set_tests_properties(e2e.linux.marker PROPERTIES LABELS e2e)

  # The real windows under Xvfb; their screenshots stay in gui-artifacts/.
  set(KRVFLASH_GUI_ARTIFACTS ${CMAKE_BINARY_DIR}/gui-artifacts)
  if(KRVFLASH_FLTK)
    add_test(NAME gui.fltk
      COMMAND bash ${CMAKE_SOURCE_DIR}/tests/gui/windows.sh fltk $<TARGET_FILE:package_tool> $<TARGET_FILE:krvflash>
        ${KRVFLASH_GUI_ARTIFACTS})
    set_tests_properties(gui.fltk PROPERTIES LABELS gui TIMEOUT 300)
  endif()
  set_tests_properties(layers PROPERTIES LABELS unit)
endif()

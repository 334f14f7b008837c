# Cross-builds KRVFLASH.EXE for 32-bit and 64-bit Windows from this same tree. The
# x86_64 build also builds the unit tests, which run under Wine.
include(ExternalProject)

set(KRVFLASH_WINDOWS_ARCHITECTURES i686 x86_64)
foreach(architecture IN LISTS KRVFLASH_WINDOWS_ARCHITECTURES)
  if(architecture STREQUAL "x86_64" AND KRVFLASH_TESTS)
    set(with_tests ON)
  else()
    set(with_tests OFF)
  endif()
  ExternalProject_Add(windows-${architecture}
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${CMAKE_BINARY_DIR}/windows-${architecture}
    CMAKE_ARGS
      -DCMAKE_TOOLCHAIN_FILE=${CMAKE_SOURCE_DIR}/cmake/mingw-${architecture}.cmake
      -DCMAKE_BUILD_TYPE=${CMAKE_BUILD_TYPE}
      -DKRVFLASH_TESTS=${with_tests}
      -DKRVFLASH_WINDOWS=OFF
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    USES_TERMINAL_BUILD ON)
  set(KRVFLASH_WINDOWS_${architecture}_DIR ${CMAKE_BINARY_DIR}/windows-${architecture})
endforeach()

if(KRVFLASH_TESTS)
  include(cmake/WindowsTests.cmake)
endif()

# The Windows build of these sources, cross-compiled beside this build into
# windows/, and its tests run under Wine in a prefix of the build's own
# (wine/): the Windows loader and text tests, bmpcheck.exe against
# bmpcheck, the zip, and the end-to-end journeys of group_g.exe. On when
# GROUP_G_WINE_TESTS is (tools/run_tests.sh turns it on for its normal
# build); needs the MinGW-w64 compilers, Wine, fonts-nanum and locales.
option(GROUP_G_WINE_TESTS "Cross-build the Windows programs and test them under Wine" OFF)
if(NOT GROUP_G_WINE_TESTS)
  return()
endif()
foreach(tool x86_64-w64-mingw32-g++-posix wine wineserver localedef unzip)
  find_program(tool_path_${tool} ${tool})
  if(NOT tool_path_${tool})
    message(FATAL_ERROR "the Wine tests need ${tool} (tools/install_deps.sh installs it)")
  endif()
endforeach()

include(ExternalProject)
set(GROUP_G_WINDOWS_DIR ${CMAKE_BINARY_DIR}/windows)
set(GROUP_G_WINE_DIR ${CMAKE_BINARY_DIR}/wine)
ExternalProject_Add(windows_build
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${GROUP_G_WINDOWS_DIR}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
             -DCMAKE_BUILD_TYPE=Release -DGROUP_G_WERROR=${GROUP_G_WERROR}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)

set(wine_scripts ${CMAKE_CURRENT_LIST_DIR})
set(wine_out ${CMAKE_CURRENT_BINARY_DIR}/wine-artifacts)

# Made once per build folder; every other Wine test needs it.
add_test(NAME wine.prefix COMMAND bash ${wine_scripts}/wine_prefix.sh ${GROUP_G_WINE_DIR})
set_tests_properties(wine.prefix PROPERTIES FIXTURES_SETUP wine_prefix TIMEOUT 600)

add_test(NAME wine.loader
  COMMAND bash ${wine_scripts}/wine_run.sh ${GROUP_G_WINE_DIR}
          ${GROUP_G_WINDOWS_DIR}/tests/loader_win32_test.exe)
add_test(NAME wine.bmpcheck
  COMMAND bash ${wine_scripts}/wine_bmpcheck.sh ${GROUP_G_WINE_DIR}
          ${GROUP_G_WINDOWS_DIR}/run/bmpcheck.exe $<TARGET_FILE:bmpcheck> ${GROUP_G_RUN_DIR}
          ${wine_out}/bmpcheck)
add_test(NAME wine.package
  COMMAND bash ${wine_scripts}/wine_package.sh ${GROUP_G_WINE_DIR} ${GROUP_G_WINDOWS_DIR}
          ${wine_out}/package)
set_tests_properties(wine.loader wine.bmpcheck wine.package PROPERTIES
  FIXTURES_REQUIRED wine_prefix TIMEOUT 300 LABELS wine)

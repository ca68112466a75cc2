# The Windows build of these sources, cross-compiled into windows/ beside a
# Linux build that tests or measures it under Wine, and the Wine prefix of
# that build (wine/, made by tests/win32/wine_prefix.sh). Included by
# tests/win32/wine.cmake and bench/wine_frame.cmake; sets
# GROUP_G_WINDOWS_MISSING to the first tool that is not installed, or
# leaves it empty and defines the target windows_build (once, whichever
# includes it first) and group_g_wine_program().

set(GROUP_G_WINDOWS_MISSING "")
foreach(tool x86_64-w64-mingw32-g++-posix wine wineserver localedef)
  find_program(windows_tool_${tool} ${tool})
  if(NOT windows_tool_${tool})
    set(GROUP_G_WINDOWS_MISSING ${tool})
    return()
  endif()
endforeach()

set(GROUP_G_WINDOWS_DIR ${CMAKE_BINARY_DIR}/windows)
set(GROUP_G_WINE_DIR ${CMAKE_BINARY_DIR}/wine)

# A Linux program that runs the Windows build under Wine, built after it:
# it is given the runner (GROUP_G_WINE_RUN), the prefix maker
# (GROUP_G_WINE_PREFIX), this build's Wine folder and the Windows build's.
function(group_g_wine_program target source)
  add_executable(${target} ${source})
  target_compile_definitions(${target} PRIVATE
    GROUP_G_WINE_RUN="${PROJECT_SOURCE_DIR}/tests/win32/wine_run.sh"
    GROUP_G_WINE_PREFIX="${PROJECT_SOURCE_DIR}/tests/win32/wine_prefix.sh"
    GROUP_G_WINE_DIR="${GROUP_G_WINE_DIR}"
    GROUP_G_WINDOWS_DIR="${GROUP_G_WINDOWS_DIR}")
  group_g_warnings(${target})
  add_dependencies(${target} windows_build)
endfunction()
if(TARGET windows_build)
  return()
endif()
include(ExternalProject)
ExternalProject_Add(windows_build
  SOURCE_DIR ${PROJECT_SOURCE_DIR}
  BINARY_DIR ${GROUP_G_WINDOWS_DIR}
  CMAKE_ARGS -DCMAKE_TOOLCHAIN_FILE=${PROJECT_SOURCE_DIR}/cmake/mingw-w64-x86_64.cmake
             -DCMAKE_BUILD_TYPE=Release -DGROUP_G_WERROR=${GROUP_G_WERROR}
             -DGROUP_G_TESTS=${GROUP_G_TESTS}
  INSTALL_COMMAND ""
  BUILD_ALWAYS ON)

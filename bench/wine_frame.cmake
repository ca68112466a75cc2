# wine_frame: the frame bench's scene as group_g.exe under Wine beside the
# Linux build on the same display (information). Only when asked for
# (bench/run_bench.sh asks), since it brings the whole Windows build with
# it, and only where the MinGW-w64 compilers and Wine are installed.
option(GROUP_G_WINE_BENCH "Time group_g.exe under Wine (cross-builds the Windows programs)" OFF)
if(GROUP_G_WINE_BENCH)
  include(${PROJECT_SOURCE_DIR}/cmake/windows_build.cmake)
  if(GROUP_G_WINDOWS_MISSING)
    message(STATUS "wine_frame_bench is not built (needs ${GROUP_G_WINDOWS_MISSING}: "
                   "Wine, MinGW-w64)")
  else()
    group_g_wine_program(wine_frame_bench ${CMAKE_CURRENT_SOURCE_DIR}/wine_frame_bench.cpp)
    target_link_libraries(wine_frame_bench PRIVATE x_driver)
    target_compile_definitions(wine_frame_bench PRIVATE
      GROUP_G_LINUX_BIN="$<TARGET_FILE:group_g>"
      GROUP_G_LINUX_RUN_DIR="${GROUP_G_RUN_DIR}")
    add_dependencies(wine_frame_bench group_g pictures)
  endif()
endif()

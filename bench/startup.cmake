# Start-up: the program with its first frame ending the run, a bare SDL2
# window as the baseline, and the program that times both.
add_executable(group_g_first_frame ${PROJECT_SOURCE_DIR}/shell/main.cpp
               ${CMAKE_CURRENT_SOURCE_DIR}/startup_first_frame.cpp)
target_link_libraries(group_g_first_frame PRIVATE group_g_core platform_sdl)
# The steps of a start, timed where they happen (see startup_first_frame.cpp).
target_link_options(group_g_first_frame PRIVATE
  -Wl,--wrap=SwapBuffers -Wl,--wrap=CreateWindowExA -Wl,--wrap=SetPixelFormat
  -Wl,--wrap=wglMakeCurrent -Wl,--wrap=CreateFontA -Wl,--wrap=wglUseFontOutlinesA
  -Wl,--wrap=_Z12LoadBmpImagePKc -Wl,--wrap=_Z9DrawScenev)
group_g_warnings(group_g_first_frame)

add_executable(startup_baseline ${CMAKE_CURRENT_SOURCE_DIR}/startup_baseline.cpp)
target_link_libraries(startup_baseline PRIVATE SDL2::SDL2 PkgConfig::GL)
group_g_warnings(startup_baseline)

add_executable(startup_bench ${CMAKE_CURRENT_SOURCE_DIR}/startup_bench.cpp)
target_link_libraries(startup_bench PRIVATE child_process)
group_g_warnings(startup_bench)
add_dependencies(startup_bench group_g_first_frame startup_baseline pictures)

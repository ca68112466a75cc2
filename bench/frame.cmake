# frame: the program's frame against an empty frame and against a bare SDL2
# program issuing the same GL work (frame_reference, run by frame_bench).

# The reference takes only the outline builder from the platform layer, for
# its glyph lists; every frame is its own GL and SDL calls.
add_executable(frame_reference ${CMAKE_CURRENT_SOURCE_DIR}/frame_reference.cpp)
target_link_libraries(frame_reference PRIVATE platform_console SDL2::SDL2 PkgConfig::GL)
group_g_warnings(frame_reference)

add_executable(frame_bench ${CMAKE_CURRENT_SOURCE_DIR}/frame_bench.cpp)
target_link_libraries(frame_bench PRIVATE group_g_core platform_sdl x_driver Threads::Threads)
target_compile_definitions(frame_bench PRIVATE
  GROUP_G_RUN_DIR="${GROUP_G_RUN_DIR}"
  FRAME_REFERENCE_PATH="$<TARGET_FILE:frame_reference>")
group_g_warnings(frame_bench)
add_dependencies(frame_bench frame_reference pictures)

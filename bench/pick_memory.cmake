# pick_memory: resident growth over 1,000 left clicks, the scene drawn from
# its lists against the same clicks with the geometry issued directly.
add_executable(pick_memory_bench ${CMAKE_CURRENT_SOURCE_DIR}/pick_memory_bench.cpp)
target_link_libraries(pick_memory_bench PRIVATE group_g_core platform_sdl)
target_compile_definitions(pick_memory_bench PRIVATE GROUP_G_RUN_DIR="${GROUP_G_RUN_DIR}")
group_g_warnings(pick_memory_bench)
add_dependencies(pick_memory_bench pictures)

# What each display switch costs in the assets: the title font and the five
# texture lists built in a fresh offscreen context, with the glyph geometry
# counted against the flattening it needs.
add_executable(font_textures_bench ${CMAKE_CURRENT_SOURCE_DIR}/font_textures_bench.cpp)
target_link_libraries(font_textures_bench PRIVATE group_g_core platform_fake)
group_g_warnings(font_textures_bench)
target_compile_definitions(font_textures_bench PRIVATE GROUP_G_RUN_DIR="${GROUP_G_RUN_DIR}")
add_dependencies(font_textures_bench pictures)

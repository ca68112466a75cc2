# box_memory: resident growth per message box, the real program natively on
# nested Mutter and Weston beside the same boxes on X11.
add_executable(box_memory_bench ${CMAKE_CURRENT_SOURCE_DIR}/box_memory_bench.cpp)
target_link_libraries(box_memory_bench PRIVATE wayland_driver)
target_compile_definitions(box_memory_bench PRIVATE
  GROUP_G_BIN="$<TARGET_FILE:group_g>"
  GROUP_G_RUN_DIR="${GROUP_G_RUN_DIR}")
group_g_warnings(box_memory_bench)
add_dependencies(box_memory_bench group_g pictures)

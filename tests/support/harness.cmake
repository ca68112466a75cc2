# The harness the end-to-end tests and the benchmarks share: child processes
# (child_process) and private virtual displays (virtual_display) started
# through them. Included from the top level whenever tests or benchmarks are
# built; the program alone needs none of it.
add_library(child_process STATIC ${CMAKE_CURRENT_LIST_DIR}/child_process.cpp)
target_include_directories(child_process PUBLIC ${CMAKE_CURRENT_LIST_DIR})
group_g_warnings(child_process)
add_library(virtual_display STATIC ${CMAKE_CURRENT_LIST_DIR}/virtual_display.cpp)
target_link_libraries(virtual_display PUBLIC child_process)
group_g_warnings(virtual_display)

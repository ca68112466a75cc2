# The harness the end-to-end tests and the benchmarks share: child processes
# and the private virtual displays started through them.
add_library(child_process STATIC ${CMAKE_CURRENT_LIST_DIR}/child_process.cpp)
target_include_directories(child_process PUBLIC ${CMAKE_CURRENT_LIST_DIR})
group_g_warnings(child_process)
add_library(virtual_display STATIC ${CMAKE_CURRENT_LIST_DIR}/virtual_display.cpp)
target_link_libraries(virtual_display PUBLIC child_process)
group_g_warnings(virtual_display)

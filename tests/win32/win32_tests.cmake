# The Windows build's test programs, run under Wine by wine.cmake: the loader
# and text tests, and box_text for the journeys. GoogleTest is built for
# Windows from Debian's sources (googletest).
set(GROUP_G_GOOGLETEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources")
if(NOT EXISTS ${GROUP_G_GOOGLETEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "the Windows tests build GoogleTest from ${GROUP_G_GOOGLETEST_SOURCE} "
                      "(googletest); -DGROUP_G_TESTS=OFF builds the program alone")
endif()
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
add_subdirectory(${GROUP_G_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)

set(win32_tests_dir ${CMAKE_CURRENT_LIST_DIR})
set(win32_tests_out ${CMAKE_BINARY_DIR}/tests)

# The program's code with its Windows platform; the test records the box.
add_executable(loader_win32_test ${win32_tests_dir}/loader_win32_test.cpp)
target_link_libraries(loader_win32_test PRIVATE group_g_core platform_win32 bmp_bytes gtest_main)
set_target_properties(loader_win32_test PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${win32_tests_out})
group_g_warnings(loader_win32_test)
# The programs' manifest, so that the texts are in the programs' code page.
group_g_windows_resources(loader_win32_test "Group G loader tests")

add_executable(box_text ${win32_tests_dir}/box_text.cpp)
set_target_properties(box_text PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${win32_tests_out})
group_g_warnings(box_text)

# End-to-end tests: the real group_g on a virtual X display, driven with
# xdotool and judged by screenshots. Each script starts its own display.
find_package(X11 REQUIRED)
add_executable(xclose ${CMAKE_CURRENT_SOURCE_DIR}/e2e/xclose.c)
target_link_libraries(xclose PRIVATE X11::X11)
group_g_warnings(xclose)

file(GLOB E2E_SCRIPTS CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/e2e/*_e2e.sh)
foreach(script ${E2E_SCRIPTS})
  get_filename_component(name ${script} NAME_WE)
  add_test(NAME ${name} COMMAND bash ${script})
  set_tests_properties(${name} PROPERTIES
    TIMEOUT 300
    ENVIRONMENT "GROUP_G_BIN=$<TARGET_FILE:group_g>;GROUP_G_RUN_DIR=${GROUP_G_RUN_DIR};GROUP_G_XCLOSE=$<TARGET_FILE:xclose>;GROUP_G_ARTIFACTS=${CMAKE_CURRENT_BINARY_DIR}/e2e-artifacts;GROUP_G_TOOLS_DIR=${CMAKE_BINARY_DIR}/tools;GROUP_G_BUILD_DIR=${CMAKE_BINARY_DIR}")
endforeach()

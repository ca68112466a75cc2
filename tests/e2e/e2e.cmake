# End-to-end journeys: the real group_g on a private virtual X display (and
# natively on Mutter and Weston nested in it), driven through XTest and judged
# by screenshots in memory. e2e_driver adds the journeys' fixture to the X and
# Wayland driver (x_driver.cmake), which the benchmarks use too.
set(E2E_DIR ${CMAKE_CURRENT_SOURCE_DIR}/e2e)
add_library(e2e_driver STATIC
  ${E2E_DIR}/driver/group_g.cpp
  ${E2E_DIR}/driver/journey.cpp)
target_include_directories(e2e_driver PUBLIC ${E2E_DIR})
target_link_libraries(e2e_driver PUBLIC wayland_driver group_g_headers GTest::gtest)
target_compile_definitions(e2e_driver PUBLIC
  GROUP_G_BIN="$<TARGET_FILE:group_g>"
  GROUP_G_RUN_DIR="${GROUP_G_RUN_DIR}"
  GROUP_G_BUILD_DIR="${CMAKE_BINARY_DIR}"
  GROUP_G_TOOLS_DIR="${CMAKE_BINARY_DIR}/tools"
  GROUP_G_ARTIFACTS="${CMAKE_CURRENT_BINARY_DIR}/e2e-artifacts")
group_g_warnings(e2e_driver)
add_dependencies(e2e_driver group_g)

# One program per journey; each case is a ctest test e2e.<Journey>.<Case>,
# labelled e2e. The life journey runs twenty sessions in one case.
set(E2E_JOURNEYS window_journey scene_journey pick_journey fullscreen_journey
                 pictures_journey box_journey life_journey keys_journey)
foreach(journey ${E2E_JOURNEYS})
  add_executable(${journey} ${E2E_DIR}/${journey}.cpp)
  target_link_libraries(${journey} PRIVATE e2e_driver)
  group_g_warnings(${journey})
  if(journey STREQUAL "life_journey")
    set(timeout 900)
  else()
    set(timeout 300)
  endif()
  gtest_discover_tests(${journey} TEST_PREFIX "e2e." DISCOVERY_TIMEOUT 60 NO_PRETTY_VALUES
                       PROPERTIES TIMEOUT ${timeout} LABELS e2e)
endforeach()
# The keyboard journey reads the boxes as a screen reader does, over AT-SPI.
pkg_check_modules(E2E_ATSPI REQUIRED IMPORTED_TARGET atspi-2 gobject-2.0)
target_link_libraries(keys_journey PRIVATE PkgConfig::E2E_ATSPI)
# The fullscreen journey adds a mode with XRandR; a preloaded library makes
# an open fail after the switch.
add_library(refuse_second_context SHARED ${E2E_DIR}/refuse_second_context.c)
target_link_libraries(refuse_second_context PRIVATE SDL2::SDL2 ${CMAKE_DL_LIBS})
target_link_libraries(fullscreen_journey PRIVATE X11::Xrandr)
target_compile_definitions(fullscreen_journey PRIVATE
  GROUP_G_REFUSE_CONTEXT_LIB="$<TARGET_FILE:refuse_second_context>")
add_dependencies(fullscreen_journey refuse_second_context)
# The life journey's preloaded library fails the compositor connection unseen by SDL.
add_library(fail_compositor_connection SHARED ${E2E_DIR}/fail_compositor_connection.c)
target_link_libraries(fail_compositor_connection PRIVATE ${CMAKE_DL_LIBS})
target_compile_definitions(life_journey PRIVATE
  GROUP_G_FAIL_CONNECTION_LIB="$<TARGET_FILE:fail_compositor_connection>")
add_dependencies(life_journey fail_compositor_connection)

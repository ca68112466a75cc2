# The end-to-end driver's X side (display, windows, XTest input, DAMAGE
# frames), shared by the journeys and the benchmarks.
find_package(X11 REQUIRED)
if(NOT X11_XTest_FOUND OR NOT X11_Xdamage_FOUND)
  message(FATAL_ERROR "the end-to-end tests and the benchmarks need XTest and DAMAGE "
                      "(libxtst-dev, libxdamage-dev)")
endif()
add_library(x_driver STATIC
  ${CMAKE_CURRENT_LIST_DIR}/x_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x_windows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/x_input.cpp)
target_include_directories(x_driver PUBLIC ${CMAKE_CURRENT_LIST_DIR})
target_link_libraries(x_driver PUBLIC virtual_display X11::X11 X11::Xtst X11::Xdamage)
group_g_warnings(x_driver)

# On top of it, screenshots, the scene read from them, and nested compositors.
pkg_check_modules(DRIVER_PNG REQUIRED IMPORTED_TARGET libpng)
add_library(wayland_driver STATIC
  ${CMAKE_CURRENT_LIST_DIR}/wayland_session.cpp
  ${CMAKE_CURRENT_LIST_DIR}/screenshot.cpp
  ${CMAKE_CURRENT_LIST_DIR}/scene_probe.cpp)
target_link_libraries(wayland_driver PUBLIC x_driver group_g_core PkgConfig::DRIVER_PNG)
group_g_warnings(wayland_driver)

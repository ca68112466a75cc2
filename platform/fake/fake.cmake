# The recording backend for tests and benchmarks: the same window core as the
# program's backend, fed by user actions; offscreen Mesa GL contexts, fault
# injection and recorded message boxes. Only builds that have tests or
# benchmarks look for OSMesa.
pkg_check_modules(OSMESA REQUIRED IMPORTED_TARGET osmesa)
add_library(platform_fake STATIC
  ${PLATFORM_CORE_SOURCES}
  ${CMAKE_CURRENT_LIST_DIR}/fake_control.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fake_window.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fake_gl_context.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fake_display.cpp
  ${CMAKE_CURRENT_LIST_DIR}/fake_message_box.cpp)
target_link_libraries(platform_fake PUBLIC platform_posix PkgConfig::OSMESA)
group_g_warnings(platform_fake)

# The Wayland side of the SDL backend: xdg-foreign's client glue generated
# from the protocol descriptions (wayland-protocols, wayland-scanner), the
# code that exports the scene window's surface, the check for a lost
# compositor, and the relay that keeps libdecor's reports for a destroyed
# window from SDL. libwayland-client and libdecor are loaded with SDL
# anyway, so linking them costs the start nothing.
pkg_check_modules(WAYLAND_CLIENT REQUIRED IMPORTED_TARGET wayland-client)
pkg_check_modules(LIBDECOR REQUIRED IMPORTED_TARGET libdecor-0)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
find_program(WAYLAND_SCANNER wayland-scanner)
if(NOT WAYLAND_PROTOCOLS_DIR OR NOT WAYLAND_SCANNER)
  message(FATAL_ERROR "the Wayland backend needs wayland-protocols and wayland-scanner "
                      "(libwayland-bin)")
endif()

set(WAYLAND_GLUE_DIR ${CMAKE_CURRENT_BINARY_DIR}/wayland-glue)
set(WAYLAND_GLUE_SOURCES)
foreach(version v1 v2)
  set(xml ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-foreign/xdg-foreign-unstable-${version}.xml)
  set(stem ${WAYLAND_GLUE_DIR}/xdg-foreign-unstable-${version})
  add_custom_command(
    OUTPUT ${stem}-client-protocol.h ${stem}-protocol.c
    COMMAND ${CMAKE_COMMAND} -E make_directory ${WAYLAND_GLUE_DIR}
    COMMAND ${WAYLAND_SCANNER} client-header ${xml} ${stem}-client-protocol.h
    COMMAND ${WAYLAND_SCANNER} private-code ${xml} ${stem}-protocol.c
    DEPENDS ${xml}
    VERBATIM)
  list(APPEND WAYLAND_GLUE_SOURCES ${stem}-client-protocol.h ${stem}-protocol.c)
endforeach()

add_library(platform_wayland STATIC
  ${PROJECT_SOURCE_DIR}/platform/wayland/wayland_decorations.cpp
  ${PROJECT_SOURCE_DIR}/platform/wayland/wayland_display.cpp
  ${PROJECT_SOURCE_DIR}/platform/wayland/wayland_foreign.cpp
  ${WAYLAND_GLUE_SOURCES})
target_include_directories(platform_wayland PRIVATE ${WAYLAND_GLUE_DIR})
target_link_libraries(platform_wayland PUBLIC group_g_headers PkgConfig::WAYLAND_CLIENT
                      PkgConfig::LIBDECOR ${CMAKE_DL_LIBS})
group_g_warnings(platform_wayland)

# The picture loader with the platform operations it calls, on the
# command-line tools' backend: what a program built outside the main
# libraries compiles in to read pictures (the fuzz target, which
# instruments all of it, and the host icon generator of a cross build).
get_filename_component(group_g_root ${CMAKE_CURRENT_LIST_DIR}/.. ABSOLUTE)
set(GROUP_G_LOADER_SOURCES
  ${group_g_root}/assets/bmp_loader.cpp
  ${group_g_root}/assets/bmp_header.cpp
  ${group_g_root}/assets/dib_convert.cpp
  ${group_g_root}/platform/posix/posix_kernel.cpp
  ${group_g_root}/platform/console/console_backend.cpp
  ${group_g_root}/platform/iconv/iconv_cp949.cpp
  ${group_g_root}/platform/text/cp949_hangul.cpp
  ${group_g_root}/platform/text/text_format.cpp
  ${group_g_root}/platform/text/utf8_shown.cpp)

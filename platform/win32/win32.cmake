# The Windows build: the program's code compiled unchanged against the
# system's own headers and linked with USER32, GDI32, OPENGL32, GLU32 and
# KERNEL32. The C and C++ runtimes are linked in, so the run folder holds no
# DLL beside the system's. Cross-compiled with cmake/mingw-w64-x86_64.cmake.
# Implemented: the program and bmpcheck on the system's own windows, GDI, WGL
#  and kernel services; code page 949 boxes through MessageBoxW; glyph lists
#  from GDI outlines; Ctrl+C and a closed console act as the close button;
#  bmpcheck's boxes as lines on the console.
# Missing: the recording backend, so only the loader and text tests run as
#  Windows programs; call failures cannot be injected.

# GL/gl.h brings in windows.h when it comes first, so these go to every file
# rather than to the platform headers alone.
target_compile_definitions(group_g_headers INTERFACE WIN32_LEAN_AND_MEAN NOMINMAX)
add_link_options(-static)
# The compiler checks the program's own printf-like helpers against the
# Microsoft runtime's formats, which lack %zu; the program uses MinGW's C99
# formatting, which has it. The Linux build checks those formats.
target_compile_options(group_g_core PRIVATE -Wno-format)

# What the stand-in adds beyond the Windows operations, in its Windows form,
# shared by every Windows executable: code page 949 texts as UTF-16, and
# solid glyph lists built from GDI's outlines with the geometry the stand-in
# uses too.
add_library(platform_win32 OBJECT
  platform/win32/win32_text.cpp
  platform/win32/win32_outlines.cpp
  platform/glyphs/glyph_geometry.cpp)
target_link_libraries(platform_win32 PUBLIC group_g_headers group_g_gl)
group_g_warnings(platform_win32)

# The program's own: boxes shown with MessageBoxW, and Ctrl+C in the console
# closing the window. An object library, so that the Ctrl+C handler, which
# nothing calls, is linked all the same.
add_library(platform_win32_program OBJECT
  platform/win32/win32_message_box.cpp
  platform/win32/win32_console_close.cpp)
target_link_libraries(platform_win32_program PUBLIC group_g_headers)
group_g_warnings(platform_win32_program)

# The command-line tools' boxes: lines on standard error.
add_library(platform_win32_console OBJECT
  platform/win32/win32_console_box.cpp)
target_link_libraries(platform_win32_console PUBLIC group_g_headers)
group_g_warnings(platform_win32_console)

set(GROUP_G_PROGRAM_BACKEND platform_win32 platform_win32_program)

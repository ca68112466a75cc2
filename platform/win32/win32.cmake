# The Windows build: the program's code compiled unchanged against the
# system's own headers and linked with USER32, GDI32, OPENGL32, GLU32 and
# KERNEL32. The C and C++ runtimes are linked in, so the run folder holds no
# DLL beside the system's. Cross-compiled with cmake/mingw-w64-x86_64.cmake.
# Implemented: the program and bmpcheck on the system's own windows, GDI, WGL
#  and kernel services; code page 949 boxes through MessageBoxW; glyph lists
#  from GDI outlines; Ctrl+C and a closed console act as the close button;
#  bmpcheck's boxes as lines on the console; any file name, through the
#  UTF-8 code page the manifest asks for.
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
# shared by every Windows executable: code page 949 texts as UTF-16, the
# step through UTF-8 texts that the system's CharNextA lacks, texts on the
# console, and solid glyph lists built from GDI's outlines with the geometry
# the stand-in uses too. A static library: each executable takes what it
# calls.
add_library(platform_win32 STATIC
  platform/win32/win32_text.cpp
  platform/win32/win32_console_text.cpp
  platform/win32/win32_outlines.cpp
  platform/glyphs/glyph_geometry.cpp)
target_link_libraries(platform_win32 PUBLIC group_g_headers group_g_gl)
group_g_warnings(platform_win32)

# The program's own: boxes shown with MessageBoxW, Ctrl+C in the console
# closing the window, and the resource icon on its windows. An object
# library, so that the Ctrl+C handler and the icon hook, which nothing
# calls, are linked all the same.
add_library(platform_win32_program OBJECT
  platform/win32/win32_message_box.cpp
  platform/win32/win32_console_close.cpp
  platform/win32/win32_window_icon.cpp)
target_link_libraries(platform_win32_program PUBLIC group_g_headers)
group_g_warnings(platform_win32_program)

# The command-line tools' boxes: lines on standard error.
add_library(platform_win32_console OBJECT
  platform/win32/win32_console_box.cpp)
target_link_libraries(platform_win32_console PUBLIC group_g_headers platform_win32)
group_g_warnings(platform_win32_console)

set(GROUP_G_PROGRAM_BACKEND platform_win32 platform_win32_program)

# A program's resources (program.rc.in): the icon tools/ draws, version
# information naming `description`, and the manifest. Called once the icon's
# target exists.
enable_language(RC)
function(group_g_windows_resources target description)
  set(GROUP_G_RC_NAME ${target})
  set(GROUP_G_RC_DESCRIPTION "${description}")
  set(GROUP_G_MANIFEST ${PROJECT_SOURCE_DIR}/platform/win32/program.manifest)
  set(rc ${CMAKE_BINARY_DIR}/resources/${target}.rc)
  configure_file(${PROJECT_SOURCE_DIR}/platform/win32/program.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES
    OBJECT_DEPENDS "${GROUP_G_ICO};${GROUP_G_MANIFEST}")
  target_sources(${target} PRIVATE ${rc})
  add_dependencies(${target} windows_icon)
endfunction()

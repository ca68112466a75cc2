# bmp_decode_bench: the loader against SDL2 (SDL_LoadBMP and a conversion to
# 24-bit RGB), stb_image (Debian's libstb) and a plain memcpy of the output
# bytes, on large generated files written to /tmp.
find_path(STB_IMAGE_INCLUDE_DIR stb_image.h PATH_SUFFIXES stb)
find_library(STB_LIBRARY stb)
if(STB_IMAGE_INCLUDE_DIR AND STB_LIBRARY)
  add_executable(bmp_decode_bench ${CMAKE_CURRENT_SOURCE_DIR}/bmp_decode_bench.cpp)
  target_include_directories(bmp_decode_bench PRIVATE ${STB_IMAGE_INCLUDE_DIR})
  target_link_libraries(bmp_decode_bench PRIVATE group_g_core platform_console bmp_bytes
                        SDL2::SDL2 ${STB_LIBRARY})
  group_g_warnings(bmp_decode_bench)
else()
  message(STATUS "stb_image not found (libstb-dev): bmp_decode_bench is not built")
endif()

# Cross-compiling for 64-bit Windows with Debian's MinGW-w64 compilers
# (g++-mingw-w64-x86-64). Use with -DCMAKE_TOOLCHAIN_FILE=<this file>;
# tools/build_windows.sh does it all and makes the zip.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(GROUP_G_MINGW x86_64-w64-mingw32)
# The POSIX threads flavour: its C++ library has std::mutex and friends,
# which GoogleTest needs; the threads library is linked in statically like
# the rest of the runtime.
set(CMAKE_C_COMPILER ${GROUP_G_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${GROUP_G_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${GROUP_G_MINGW}-windres)

# Headers and libraries come from the MinGW-w64 tree only; programs the build
# runs (bmpgen, cpack) are the build machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${GROUP_G_MINGW})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

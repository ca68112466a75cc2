#!/usr/bin/env bash
# build_windows.sh [BUILD_DIR]: builds the Windows programs, group_g.exe and
# bmpcheck.exe, with the MinGW-w64 cross compiler (C and C++ runtimes linked
# in: no DLLs beside the system's), draws the five pictures beside them and
# packs that run folder into group_g-VERSION-windows-x86_64.zip and into the
# setup program group_g-VERSION-windows-x86_64-setup.exe (NSIS); prints the
# paths of both. BUILD_DIR is build-win/ beside the sources unless given.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

exec "$here/tools/cpack_build.sh" "ZIP;NSIS" "${1:-$here/build-win}" "the zip and setup program" \
  -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release -DGROUP_G_TESTS=OFF

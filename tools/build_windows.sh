#!/usr/bin/env bash
# build_windows.sh [BUILD_DIR]: builds the Windows programs, group_g.exe and
# bmpcheck.exe, with the MinGW-w64 cross compiler (C and C++ runtimes linked
# in: no DLLs beside the system's), draws the five pictures beside them and
# packs that run folder into group_g-VERSION-windows-x86_64.zip; prints the
# zip's path. BUILD_DIR is build-win/ beside the sources unless given.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-win}"

"$here/tools/install_deps.sh"
mkdir -p "$build"
build="$(cd "$build" && pwd)"

log="$build/build_windows.log"
if ! { cmake -S "$here" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64-x86_64.cmake" \
         -DCMAKE_BUILD_TYPE=Release -DGROUP_G_TESTS=OFF &&
       cmake --build "$build" -j2 &&
       (cd "$build" && cpack -G ZIP); } >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  echo "build_windows.sh: the zip was not built (log: $log)" >&2
  exit 1
fi
sed -n 's/^CPack: - package: \(.*\.zip\) generated\.$/\1/p' "$log" | tail -n 1

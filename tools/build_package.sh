#!/usr/bin/env bash
# build_package.sh [BUILD_DIR]: builds the Debian package group-g_VERSION_ARCH.deb
# from a build of the program alone (no tests, no benchmarks) with Debian's
# compiler and linker hardening flags, and prints its path. BUILD_DIR is
# build-deb/ beside the sources unless given.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${1:-$here/build-deb}"

"$here/tools/install_deps.sh"
mkdir -p "$build"
build="$(cd "$build" && pwd)"

# CMake takes CFLAGS, CXXFLAGS and LDFLAGS from the environment on its first
# run, but not CPPFLAGS, which carries the fortified functions' switch.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
export CFLAGS="$CPPFLAGS $CFLAGS" CXXFLAGS="$CPPFLAGS $CXXFLAGS"

log="$build/package.log"
if ! { cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=None \
         -DGROUP_G_TESTS=OFF -DGROUP_G_BENCH=OFF &&
       cmake --build "$build" -j2 &&
       (cd "$build" && cpack -G DEB); } >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  echo "build_package.sh: the package was not built (log: $log)" >&2
  exit 1
fi
sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' "$log" | tail -n 1

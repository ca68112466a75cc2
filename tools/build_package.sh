#!/usr/bin/env bash
# build_package.sh [BUILD_DIR]: builds the Debian package group-g_VERSION_ARCH.deb
# from a build of the program alone (no tests, no benchmarks) with Debian's
# compiler and linker hardening flags, and prints its path. BUILD_DIR is
# build-deb/ beside the sources unless given.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"

# CMake takes CFLAGS, CXXFLAGS and LDFLAGS from the environment on its first
# run, but not CPPFLAGS, which carries the fortified functions' switch.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
eval "$(dpkg-buildflags --export=sh)"
export CFLAGS="$CPPFLAGS $CFLAGS" CXXFLAGS="$CPPFLAGS $CXXFLAGS"

exec "$here/tools/cpack_build.sh" DEB "${1:-$here/build-deb}" "the package" \
  -DCMAKE_BUILD_TYPE=None -DGROUP_G_TESTS=OFF -DGROUP_G_BENCH=OFF

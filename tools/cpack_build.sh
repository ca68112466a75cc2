#!/usr/bin/env bash
# cpack_build.sh GENERATOR BUILD_DIR WHAT [CMAKE_ARGS...]: configures and
# builds these sources in BUILD_DIR with CMAKE_ARGS, makes the GENERATOR
# package (DEB, ZIP) with CPack and prints its path. On failure it shows the
# end of the log and says that WHAT was not built. The packaging commands
# (build_package.sh, build_windows.sh) share it.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
generator=$1 build=$2 what=$3
shift 3

# The Debian package needs only what the program needs; a Windows package
# needs the cross compiler, which comes with the test set.
if [ "$generator" = DEB ]; then
  "$here/tools/install_deps.sh"
else
  "$here/tools/install_deps.sh" --tests
fi
mkdir -p "$build"
build="$(cd "$build" && pwd)"

log="$build/cpack_build.log"
if ! { cmake -S "$here" -B "$build" "$@" &&
       cmake --build "$build" -j2 &&
       (cd "$build" && cpack -G "$generator"); } >"$log" 2>&1; then
  tail -n 30 "$log" >&2
  echo "$(basename "$0"): $what was not built (log: $log)" >&2
  exit 1
fi
sed -n 's/^CPack: - package: \(.*\) generated\.$/\1/p' "$log" | tail -n 1

#!/usr/bin/env bash
# Builds the benchmarks and runs them all, each printing its figures beside
# its baselines and ending with its target lines. Runs on a virtual display
# when there is none.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${GROUP_G_BENCH_DIR:-$here/build-bench}"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGROUP_G_TESTS=OFF \
  -DGROUP_G_WINE_BENCH=ON >/dev/null
cmake --build "$build" -j2 >/dev/null
# Without a display, the whole run happens on a virtual one of its own.
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$here/bench/run_bench.sh" "$@"
fi
b="$build/bench"
# Every target line again at the end, met or missed, in one place.
targets="$(mktemp)"
trap 'rm -f "$targets"' EXIT
for program in "$b"/*_bench; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  case "$(basename "$program")" in
    startup_bench)
      "$program" "$b/group_g_first_frame" "$b/frame_reference" "$b/startup_baseline" \
        "$build/run" ;;
    *) "$program" "$build" ;;
  esac | tee -a "$targets"
  echo
done
echo "== targets"
grep '^target ' "$targets"

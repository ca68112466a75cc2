#!/usr/bin/env bash
# Builds the benchmarks and runs them all, each printing its figures beside
# its baselines and ending with its target lines. Starts a virtual display
# when there is none.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${GROUP_G_BENCH_DIR:-$here/build-bench}"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGROUP_G_TESTS=OFF >/dev/null
cmake --build "$build" -j2 >/dev/null
if [ -z "${DISPLAY:-}" ]; then
  fifo=$(mktemp -u); mkfifo "$fifo"
  # -noreset: the benchmarks start one program after another, and a server
  # that resets as each one leaves would turn the next away.
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp -noreset 3>"$fifo" >/dev/null 2>&1 &
  xvfb=$!
  trap 'kill $xvfb 2>/dev/null || true; rm -f "$fifo"' EXIT
  read -r number <"$fifo"
  export DISPLAY=":$number"
fi
b="$build/bench"
for program in "$b"/*_bench; do
  [ -x "$program" ] || continue
  echo "== $(basename "$program")"
  case "$(basename "$program")" in
    startup_bench) "$program" "$b/group_g_first_frame" "$b/startup_baseline" "$build/run" ;;
    *) "$program" "$build" ;;
  esac
  echo
done

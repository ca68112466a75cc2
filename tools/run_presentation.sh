#!/usr/bin/env bash
# Builds Group G and runs the presentation from its run folder (the program
# and its five pictures). With no display, it runs on a virtual one for a few
# seconds, saves a screenshot next to the build, prints its path, ends the
# program with Esc and exits with the program's exit code.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${GROUP_G_BUILD_DIR:-$here/build}"

# Headless, on the virtual display xvfb-run below started.
if [ "${1:-}" = --on-virtual-display ]; then
  cd "$build/run"
  ./group_g &
  program=$!
  window=$(timeout 60 xdotool search --sync --name '^OpenGL Team Tarsel$' 2>/dev/null | head -n 1) || true
  sleep "${GROUP_G_SHOW_SECONDS:-4}"
  shot="$build/group_g-screenshot.png"
  import -window root -crop 640x480+0+0 +repage "$shot"
  echo "Screenshot: $shot"
  # One tap of Esc, as a person gives it; the program ends within a frame.
  if [ -n "$window" ] && xdotool windowfocus --sync "$window" key Escape 2>/dev/null; then
    for _ in $(seq 600); do kill -0 "$program" 2>/dev/null || break; sleep 0.1; done
  fi
  kill "$program" 2>/dev/null || true
  status=0
  wait "$program" || status=$?
  exit "$status"
fi

"$here/tools/install_deps.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGROUP_G_TESTS=OFF -DGROUP_G_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target group_g >/dev/null
cd "$build/run"

if [ -n "${DISPLAY:-}" ]; then
  exec ./group_g
fi
# xvfb-run starts a virtual display on a free number (-a), runs this script
# again on it and exits with the script's status, that is the program's.
exec xvfb-run -a -s "-screen 0 1280x1024x24" "$here/tools/run_presentation.sh" --on-virtual-display

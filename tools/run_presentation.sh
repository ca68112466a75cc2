#!/usr/bin/env bash
# Builds Group G and runs the presentation from its run folder (the program
# and its five pictures). With no display, it runs on a virtual one for a few
# seconds, saves a screenshot next to the build, prints its path, ends the
# program with Esc and exits with the program's exit code.
set -euo pipefail
here="$(cd "$(dirname "$0")/.." && pwd)"
build="${GROUP_G_BUILD_DIR:-$here/build}"

"$here/tools/install_deps.sh"
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release -DGROUP_G_TESTS=OFF -DGROUP_G_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target group_g >/dev/null
cd "$build/run"

if [ -n "${DISPLAY:-}" ]; then
  exec ./group_g
fi

# Headless: a virtual 1280x1024 screen of our own.
display=":$(( 90 + RANDOM % 400 ))"
Xvfb "$display" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY="$display"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

./group_g &
program=$!
window=""
for _ in $(seq 100); do
  window=$(xdotool search --name '^OpenGL Team Tarsel$' 2>/dev/null | head -n 1) && [ -n "$window" ] && break
  sleep 0.1
done
sleep "${GROUP_G_SHOW_SECONDS:-4}"
shot="$build/group_g-screenshot.png"
import -window root -crop 640x480+0+0 +repage "$shot"
echo "Screenshot: $shot"
[ -n "$window" ] && xdotool windowfocus --sync "$window" key Escape 2>/dev/null || kill "$program" 2>/dev/null || true
status=0
wait "$program" || status=$?
exit "$status"

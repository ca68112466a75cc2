# Shared steps of the end-to-end tests: a private virtual display, a fresh run
# folder, the program started and ended, screenshots and their pixels.
# Scripts source this file and call the functions; any failed check ends the
# script with a message that says what was expected and what was seen.
set -euo pipefail

: "${GROUP_G_BIN:?}" "${GROUP_G_RUN_DIR:?}"
ARTIFACTS="${GROUP_G_ARTIFACTS:-/tmp/group_g_e2e}/$(basename "$0" .sh)"
rm -rf "$ARTIFACTS"
mkdir -p "$ARTIFACTS"
XVFB_PID=""
WM_PID=""
PROGRAM_PID=""

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

cleanup() {
  [ -n "$PROGRAM_PID" ] && kill -9 "$PROGRAM_PID" 2>/dev/null
  [ -n "$WM_PID" ] && kill "$WM_PID" 2>/dev/null
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null
  wait 2>/dev/null
}
trap cleanup EXIT

# start_display WxHxDEPTH: a virtual screen of that size and depth.
start_display() {
  local fifo="$ARTIFACTS/displayfd"
  rm -f "$fifo"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp 3>"$fifo" >"$ARTIFACTS/xvfb.log" 2>&1 &
  XVFB_PID=$!
  local number
  read -r -t 20 number <"$fifo" || fail "Xvfb did not start"
  export DISPLAY=":$number"
}

# start_wm: a real window manager, for what needs a desktop's behaviour.
start_wm() {
  openbox >"$ARTIFACTS/openbox.log" 2>&1 &
  WM_PID=$!
  sleep 1
}

# fresh_run_dir: a run folder of our own with the five pictures; cd there.
fresh_run_dir() {
  RUN_DIR="$ARTIFACTS/run"
  mkdir -p "$RUN_DIR"
  cp "$GROUP_G_RUN_DIR"/*.bmp "$RUN_DIR"/
  cd "$RUN_DIR" || fail "no run folder"
}

start_program() {
  "$GROUP_G_BIN" >"$ARTIFACTS/program.out" 2>"$ARTIFACTS/program.err" &
  PROGRAM_PID=$!
}

# find_window NAME: the id of a mapped window whose title is exactly NAME.
# Titles are read with xwininfo, which understands UTF-8 window names.
find_window() {
  local id
  for id in $(xwininfo -root -tree 2>/dev/null | grep -F "\"$1\":" | awk '{print $1}'); do
    if xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable'; then
      echo "$id"
      return 0
    fi
  done
  return 1
}

# wait_window NAME [SECONDS]: prints the id of the window called NAME.
wait_window() {
  local name=$1 limit=${2:-30} id=""
  for _ in $(seq $((limit * 10))); do
    id=$(find_window "$name") && { echo "$id"; return 0; }
    if [ -n "$PROGRAM_PID" ] && ! kill -0 "$PROGRAM_PID" 2>/dev/null; then
      break
    fi
    sleep 0.1
  done
  fail "window \"$name\" did not appear within ${limit}s"
}

# window_gone NAME [SECONDS]: succeeds once no mapped window has that name.
window_gone() {
  local name=$1 limit=${2:-10}
  for _ in $(seq $((limit * 10))); do
    find_window "$name" >/dev/null || return 0
    sleep 0.1
  done
  fail "window \"$name\" still shown after ${limit}s"
}

# press WINDOW KEY...: focus the window and type the keys, each held for a
# moment as a person holds it (a key released before the program draws its
# next frame has no effect).
press() {
  local id=$1; shift
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id" 2>/dev/null || true
  for key in "$@"; do
    xdotool keydown "$key"; sleep 0.15; xdotool keyup "$key"; sleep 0.05
  done
}

# click WINDOW X Y BUTTON: a click at client coordinates.
click() {
  xdotool mousemove --window "$1" "$2" "$3" click "$4"
}

# expect_exit CODE [SECONDS]: the program ends by itself with that code.
expect_exit() {
  local want=$1 limit=${2:-20}
  for _ in $(seq $((limit * 10))); do
    kill -0 "$PROGRAM_PID" 2>/dev/null || break
    sleep 0.1
  done
  if kill -0 "$PROGRAM_PID" 2>/dev/null; then
    fail "program still running after ${limit}s"
  fi
  local code=0
  wait "$PROGRAM_PID" || code=$?
  PROGRAM_PID=""
  [ "$code" -eq "$want" ] || fail "exit code: expected $want, got $code ($(tail -n 5 "$ARTIFACTS/program.err"))"
  if pgrep -f "^$GROUP_G_BIN" >/dev/null 2>&1; then
    local stray
    stray=$(pgrep -f "^$GROUP_G_BIN" | tr '\n' ' ')
    for pid in $stray; do
      [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$RUN_DIR" ] && fail "process $pid left behind"
    done
  fi
}

# shot NAME: screenshot of the whole screen into the artifacts; prints path.
shot() {
  local file="$ARTIFACTS/$1.png"
  import -window root "$file" 2>/dev/null || fail "screenshot failed"
  echo "$file"
}

# mean_rgb FILE X Y W H: the average colour of a region as "r g b" (0-255).
mean_rgb() {
  convert "$1" -crop "${4}x${5}+${2}+${3}" +repage -resize '1x1!' \
    -format '%[fx:int(255*r+0.5)] %[fx:int(255*g+0.5)] %[fx:int(255*b+0.5)]' info:
}

# differing_pixels A B: how many pixels of two screenshots differ.
differing_pixels() {
  compare -metric AE "$1" "$2" null: 2>&1 | sed -E 's/^([0-9.e+]+).*/\1/' | awk '{printf "%d", $1}'
}

# window_geometry ID: "x y width height" of the window on the screen.
window_geometry() {
  xwininfo -id "$1" | awk '/Absolute upper-left X/{x=$NF} /Absolute upper-left Y/{y=$NF}
    /^  Width/{w=$NF} /^  Height/{h=$NF} END{print x, y, w, h}'
}

# is_fullscreen ID: the window asks for the fullscreen state.
is_fullscreen() {
  xprop -id "$1" _NET_WM_STATE 2>/dev/null | grep -q _NET_WM_STATE_FULLSCREEN
}

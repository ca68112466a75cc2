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

# Each step goes on whatever the one before met (a program that has already
# ended, say), so the display and the window manager never outlive a script.
cleanup() {
  if [ -n "$PROGRAM_PID" ]; then kill -CONT "$PROGRAM_PID" 2>/dev/null || true; kill -9 "$PROGRAM_PID" 2>/dev/null || true; fi
  if [ -n "$WM_PID" ]; then kill "$WM_PID" 2>/dev/null || true; fi
  if [ -n "$XVFB_PID" ]; then kill "$XVFB_PID" 2>/dev/null || true; fi
  wait 2>/dev/null || true
}
trap cleanup EXIT

# start_display WxHxDEPTH: a virtual screen of that size and depth. Without
# -noreset the server resets whenever its last client leaves, and a client
# that connects during the reset (the next program, the window manager) is
# turned away.
start_display() {
  local fifo="$ARTIFACTS/displayfd"
  rm -f "$fifo"; mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "$1" -nolisten tcp -noreset 3>"$fifo" >"$ARTIFACTS/xvfb.log" 2>&1 &
  XVFB_PID=$!
  local number
  read -r -t 20 number <"$fifo" || fail "Xvfb did not start"
  export DISPLAY=":$number"
}

# start_wm: a real window manager, for what needs a desktop's behaviour;
# returns once it has announced itself on the display.
start_wm() {
  openbox >"$ARTIFACTS/openbox.log" 2>&1 &
  WM_PID=$!
  for _ in $(seq 200); do
    wmctrl -m >/dev/null 2>&1 && return 0
    kill -0 "$WM_PID" 2>/dev/null || break
    sleep 0.1
  done
  fail "the window manager did not start ($(tail -n 3 "$ARTIFACTS/openbox.log"))"
}

# fresh_run_dir: a run folder of our own with the five pictures; cd there.
fresh_run_dir() {
  RUN_DIR="$ARTIFACTS/run"
  mkdir -p "$RUN_DIR"
  cp "$GROUP_G_RUN_DIR"/*.bmp "$RUN_DIR"/
  cd "$RUN_DIR" || fail "no run folder"
}

# In a sanitized build the program's leak check is off: at exit SDL unloads
# the GL driver, and the driver's own allocations are then reported against
# modules that are gone, so they cannot be told from ours. The unit tests
# check our code for leaks, and the soak test checks that memory stays flat;
# memory errors and undefined behaviour are still caught here.
# PROGRAM_PRELOAD, when set, is the program's LD_PRELOAD (the soak's probe).
start_program() {
  ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0" \
    env ${PROGRAM_PRELOAD:+LD_PRELOAD="$PROGRAM_PRELOAD"} \
    "$GROUP_G_BIN" >"$ARTIFACTS/program.out" 2>"$ARTIFACTS/program.err" &
  PROGRAM_PID=$!
}

# start_show [--bare]: the usual start of a journey: a 1280x1024 desktop
# with a window manager (none with --bare), a fresh run folder and the
# program, up and drawing; the program's window id is left in `id`.
start_show() {
  start_display 1280x1024x24
  [ "${1:-}" = "--bare" ] || start_wm
  fresh_run_dir
  start_program
  id=$(wait_window "OpenGL Team Tarsel")
  sleep 1
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
# moment as a person holds it: a key pressed and released within one frame
# has no effect, and a sanitized build under load can take a good part of a
# second for a frame. 0.4 s stays below the keyboard's auto-repeat delay.
press() {
  local id=$1; shift
  xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id" 2>/dev/null || true
  for key in "$@"; do
    xdotool keydown "$key"; sleep 0.4; xdotool keyup "$key"; sleep 0.05
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
  # Other tests may run their own copies at the same time; only one started
  # in this test's run folder counts as left behind.
  local pid
  for pid in $(pgrep -f "^$GROUP_G_BIN" 2>/dev/null || true); do
    if [ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" = "$RUN_DIR" ]; then
      fail "process $pid left behind"
    fi
  done
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

# differing_pixels A B: how many pixels of two screenshots differ. (compare
# exits with 1 when they differ, which is an answer here, not a failure.)
differing_pixels() {
  { compare -metric AE "$1" "$2" null: 2>&1 || true; } | sed -E 's/^([0-9.e+]+).*/\1/' | awk '{printf "%d", $1}'
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

# ---- Holding the program still, and reading the scene from its pixels ----

# freeze / thaw: stop and continue the program. A frozen program draws
# nothing, so a screenshot shows exactly the last frame it presented, and
# input sent meanwhile waits for it in order; this makes checks of a scene
# that moves every frame independent of the frame rate.
freeze() {
  kill -STOP "$PROGRAM_PID"
  sleep 0.2
}
thaw() {
  kill -CONT "$PROGRAM_PID"
}

# client_shot ID NAME: screenshot of the window's client area only, so that
# pixel positions are client coordinates; prints the path.
client_shot() {
  local file="$ARTIFACTS/$2.png" x y w h
  read -r x y w h <<<"$(window_geometry "$1")"
  import -window root "$ARTIFACTS/root.png" 2>/dev/null || fail "screenshot failed"
  convert "$ARTIFACTS/root.png" -crop "${w}x${h}+${x}+${y}" +repage "$file"
  echo "$file"
}

# window_shot ID NAME: screenshot of one window's area (a message box, say).
window_shot() {
  client_shot "$@"
}

# window_height ID: the height of a window's client area in pixels.
window_height() {
  local x y w h
  read -r x y w h <<<"$(window_geometry "$1")"
  echo "$h"
}

# is_iconic ID: the window manager shows the window minimized.
is_iconic() {
  xprop -id "$1" WM_STATE 2>/dev/null | grep -q 'window state: Iconic'
}

# Where the scene puts things on a 640x480 client area. The awk below knows
# the picture's geometry: a 45-degree perspective with the common frame 22
# units in front of the eye, the Korea sphere at its centre, and the three
# other spheres (radius 1.5) on an orbit of radius 7 about the vertical axis
# of a frame tilted 45 degrees about (1, 1, 0). It classifies pixels by the
# colours the scene gives them: the lit-from-behind backdrop is dark (no
# channel above about 51), the title is pure green (its red and blue are 0),
# Togo's sphere has no blue (its colour is (0.9, 0.9, 0)), and sphere fronts
# facing the light are bright. Screenshots are read at every S-th pixel in
# both directions (S is 1 or 2); positions are always client pixels.
SCENE_AWK='
function rad(d) { return d * 3.14159265358979 / 180 }
# orbit_point(a): screen centre OX, OY and radius OR of a sphere at orbit
# angle a (degrees).
function orbit_point(a,   c, s, t, qx, qz, px, py, pz, f) {
  c = cos(rad(a)); s = sin(rad(a)); t = 1 - cos(rad(45))
  qx = 7 * c; qz = -7 * s
  # the tilt: a rotation by 45 degrees about (1, 1, 0)/sqrt(2)
  px = (0.5 * t + cos(rad(45))) * qx + sin(rad(45)) / sqrt(2) * qz
  py = (0.5 * t) * qx - sin(rad(45)) / sqrt(2) * qz
  pz = -22 - sin(rad(45)) / sqrt(2) * qx + cos(rad(45)) * qz
  f = 240 / (sin(rad(22.5)) / cos(rad(22.5)))
  OX = 320 + f * px / -pz; OY = 240 - f * py / -pz; OR = f * 1.5 / -pz
}
# at(x, y): the index of client pixel (x, y) among the pixels read.
function at(x, y) { return int(y / S) * int(640 / S) + int(x / S) }
function inside(x, y) { return x >= 0 && x < 640 && y >= 0 && y < 480 }
function load(r, g, b,   i, m) {
  i = NR - 1
  m = r; if (g > m) m = g; if (b > m) m = b
  R[i] = r; G[i] = g; B[i] = b
  TOGO[i] = (b <= 3 && r >= 30)
  BRIGHT[i] = (m >= 70)
  TITLE[i] = (r <= 3 && b <= 3 && g >= 15)
  PLAIN[i] = TOGO[i] && (r - g <= 0.06 * r + 3) && (g - r <= 0.06 * r + 3)
  RED[i] = (r >= 60 && r > 2 * g && r > 2 * b)
  STRIPE[i] = (r <= 3 && b <= 3 && g >= 40)
  DARK[i] = (m <= 60)
}
# disc(x, y, radius): counts the classes over a grid of points of a disc into
# N, NB (bright), NT (Togo), NP (plain yellow), NRED (red), NS (green
# stripe), ND (dark).
function disc(x, y, radius,   dx, dy, i) {
  N = NB = NT = NP = NRED = NS = ND = 0
  for (dy = -radius; dy <= radius; dy += 3)
    for (dx = -radius; dx <= radius; dx += 3) {
      if (dx * dx + dy * dy > radius * radius || !inside(x + dx, y + dy)) continue
      i = at(x + dx, y + dy)
      N++; NB += BRIGHT[i]; NT += TOGO[i]; NP += PLAIN[i]; NRED += RED[i]
      NS += STRIPE[i]; ND += DARK[i]
    }
  if (N == 0) N = 1
}
# ring(x, y, radius): the share of 48 points on a circle that are dark, RD.
function ring(x, y, radius,   k, px, py, n, d) {
  n = d = 0
  for (k = 0; k < 48; k++) {
    px = x + radius * cos(rad(7.5 * k)); py = y + radius * sin(rad(7.5 * k))
    if (!inside(px, py)) continue
    n++; d += DARK[at(px, py)]
  }
  RD = n ? d / n : 0
}
# find_orbit(): the orbit angle of the Togo sphere, PHASE, as the angle
# whose three sphere places (Togo, and 120 and 240 degrees on, where France
# and Switzerland are while no nudge has taken an angle past 360) best show
# sphere colours inside and the dark backdrop just outside, with the
# blue-less Togo colours at the first. Returns 0, with the reasons in WHY,
# when no angle explains the picture.
function orbit_score(a,   k, score) {
  score = 0
  for (k = 0; k < 3; k++) {
    orbit_point(a + 120 * k); disc(OX, OY, 0.85 * OR); ring(OX, OY, 1.2 * OR)
    score += NB / N + RD + (k == 0 ? NT / N : -NT / N)
  }
  return score
}
# The score changes slowly with the angle (4 degrees move a sphere by less
# than half its radius), so a coarse search is refined around its best.
function find_orbit(   a, k, score, best, coarse, ok, togo) {
  best = -1e9
  for (a = 0; a < 360; a += 4) {
    score = orbit_score(a)
    if (score > best) { best = score; coarse = a }
  }
  for (a = coarse - 3; a <= coarse + 3; a++) {
    score = orbit_score(a)
    if (score > best || a == coarse - 3) { best = score; PHASE = (a + 360) % 360 }
  }
  ok = 1; WHY = "best angle " PHASE ":"
  for (k = 0; k < 3; k++) {
    orbit_point(PHASE + 120 * k); disc(OX, OY, 0.6 * OR)
    if (NB / N < 0.6) ok = 0
    if (k == 0) togo = NT / N; else if (NT / N >= togo) ok = 0
    WHY = WHY sprintf(" sphere %d at (%d,%d): bright %.2f togo %.2f;", k, OX, OY, NB / N, NT / N)
  }
  if (togo < 0.15) ok = 0
  return ok
}
'

# pixels FILE [S]: one "r g b" line for every S-th pixel of every S-th row.
pixels() {
  if [ "${2:-1}" = 1 ]; then
    convert "$1" -depth 8 rgb:- | od -An -v -tu1 -w3
  else
    convert "$1" -sample "$((100 / $2))%" -depth 8 rgb:- | od -An -v -tu1 -w3
  fi
}

# scene_probe FILE 'AWK STATEMENTS' [S]: runs the statements once the
# screenshot's pixels are read (every S-th, 2 unless given) and classified,
# with the helpers above at hand; for example 'disc(320, 240, 24); print NB / N'.
scene_probe() {
  local step=${3:-2}
  pixels "$1" "$step" | awk -v S="$step" "$SCENE_AWK"'
    { load($1, $2, $3) }
    END { '"$2"' }'
}

# orbit_phase FILE: "ANGLE TX TY FX FY SX SY", the orbit angle of the Togo
# sphere (see find_orbit) and the centres of the Togo, France and Switzerland
# spheres; fails when no angle explains the picture.
orbit_phase() {
  scene_probe "$1" '
    if (!find_orbit()) { print "no orbit angle explains the picture; " WHY > "/dev/stderr"; exit 1 }
    line = PHASE
    for (k = 0; k < 3; k++) { orbit_point(PHASE + 120 * k); line = line " " int(OX + 0.5) " " int(OY + 0.5) }
    print line'
}

# orbit_point ANGLE: "X Y" on the client area of a sphere at that orbit angle.
orbit_point() {
  awk "$SCENE_AWK"' BEGIN { orbit_point('"$1"'); printf "%d %d\n", OX + 0.5, OY + 0.5 }'
}

# backdrop_border FILE: the share of pixels along the left, right and bottom
# edges of the client screenshot that show the backdrop: its dark green,
# rather than the black of the clear colour or anything else. (The top edge
# is left out: the tumbling title can reach it.)
backdrop_border() {
  scene_probe "$1" '
    n = ok = 0
    for (y = 0; y < 480; y++) for (e = 0; e < 2; e++) {
      i = at(e * 639, y); n++; ok += (G[i] >= R[i] + 5 && G[i] >= B[i] + 5)
    }
    for (x = 0; x < 640; x++) {
      i = at(x, 479); n++; ok += (G[i] >= R[i] + 5 && G[i] >= B[i] + 5)
    }
    printf "%.3f\n", ok / n' 1
}

# title_point FILE... FROZEN: "X Y" of a pixel that is title green with all
# its neighbours in the FROZEN screenshot and was green in most of the
# earlier ones: a point of the title near the axis it tumbles about, which
# moves least from frame to frame. Of equals, the one nearest the axis as
# seen on the screen (through the pivot at (320, 82), up to the right) wins.
# Fails when there is none.
title_point() {
  local f
  for f in "$@"; do pixels "$f"; done | awk -v frames=$# '
    { i = (NR - 1) % 307200; last = (NR - 1 >= (frames - 1) * 307200) }
    $1 <= 3 && $3 <= 3 && $2 >= 15 { if (last) F[i] = 1; else C[i]++ }
    END {
      best = -1
      for (i in F) {
        n = 0
        for (dy = -1; dy <= 1; dy++) for (dx = -1; dx <= 1; dx++) n += ((i + dy * 640 + dx) in F)
        if (n < 9) continue
        x = i % 640; y = int(i / 640)
        d = (x - 320 + y - 82); if (d < 0) d = -d
        score = C[i] * 1000 - d
        if (score > best) { best = score; at = i }
      }
      if (best < 0 || C[at] < (frames - 1) * 2 / 3) exit 1
      print at % 640, int(at / 640)
    }'
}

# wait_running ID [SECONDS]: returns once two client screenshots in a row
# differ, so the program is drawing frames again (after a message box, say:
# until then the place where the box was may still show the box).
wait_running() {
  local a b limit=${2:-10}
  a=$(client_shot "$1" running-a)
  for _ in $(seq $((limit * 5))); do
    sleep 0.2
    b=$(client_shot "$1" running-b)
    [ "$(differing_pixels "$a" "$b")" -gt 0 ] && return 0
    mv "$b" "$a"
  done
  fail "the program drew no new frame within ${limit}s"
}

# wait_frames ID N: returns once the window has shown N new frames, however
# slowly the program draws (a sanitized build under load, say).
wait_frames() {
  local i
  for i in $(seq "$2"); do
    wait_running "$1"
  done
}

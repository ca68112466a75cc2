#!/usr/bin/env bash
# Minimize and restore under a window manager: the animation stands still
# while the window is minimized and goes on from where it stopped. A left
# click on a sphere's place, taken from the frame shown just before the
# window was minimized and given just as it is restored, must still find
# that sphere after three seconds away (a running animation would have
# carried it off), and the picture then runs on at full size.
source "$(dirname "$0")/lib.sh"
start_show

# The program, once thawed, may finish the frame it was drawing before it
# reads its input: aim a few degrees ahead of the frozen picture.
LEAD=5

# aim FILE SPHERES: "SPHERE X Y" for the first of SPHERES (0 Togo, 1
# France, 2 Switzerland) whose place LEAD degrees on lies below the title's
# reach and on the sphere; "none" if there is none.
aim() {
  scene_probe "$1" "
    if (!find_orbit()) { print \"none\"; exit }
    n = split(\"$2\", ks, \",\")
    for (j = 1; j <= n; j++) {
      orbit_point(PHASE + 120 * ks[j] + $LEAD); x = OX; y = OY
      disc(x, y, 6)
      if (y >= 165 && NB / N >= 0.9) { printf \"%d %d %d\n\", ks[j], x, y; exit }
    }
    print \"none\""
}

# box_shot NAME: waits for the box, keeps its picture and closes it.
box_shot() {
  local box
  box=$(wait_window "Selection" 10)
  sleep 0.3
  window_shot "$box" "$1" >/dev/null
  press "$box" Return
  window_gone "Selection"
  wait_running "$id"
}

# frozen_aim SPHERES NAME: freezes the program on a frame where one of
# SPHERES can be aimed at; prints "SPHERE X Y". The program stays frozen.
frozen_aim() {
  local attempt f target
  for attempt in 1 2 3 4 5 6 7 8; do
    freeze
    f=$(client_shot "$id" "$2-$attempt")
    target=$(aim "$f" "$1")
    [ "$target" != none ] && { echo "$target"; return 0; }
    thaw
    sleep 0.2
  done
  fail "$2: no frame offered a sphere to aim at"
}

# Without minimizing: the box of the sphere aimed at on a frozen frame.
read -r k x y <<<"$(frozen_aim 0,1,2 aimed)"
click "$id" "$x" "$y" 1
thaw
box_shot reference-box

# Minimized for three seconds between a frozen frame and the click.
read -r k2 x y <<<"$(frozen_aim "$k" before-minimize)"
placed=$(window_geometry "$id")
xdotool windowminimize "$id"
for _ in $(seq 50); do is_iconic "$id" && break; sleep 0.1; done
is_iconic "$id" || { thaw; fail "the window manager did not minimize the window"; }
thaw
sleep 3
kill -0 "$PROGRAM_PID" 2>/dev/null || fail "the program ended while minimized"
is_iconic "$id" || fail "the window did not stay minimized"
freeze
wmctrl -ia "$id" || { thaw; fail "the window manager could not restore the window"; }
# The window manager may animate the restore: click once the window is back
# in its place.
for _ in $(seq 50); do
  find_window "OpenGL Team Tarsel" >/dev/null && [ "$(window_geometry "$id")" = "$placed" ] && break
  sleep 0.1
done
find_window "OpenGL Team Tarsel" >/dev/null || { thaw; fail "the window did not come back"; }
sleep 0.2
click "$id" "$x" "$y" 1
thaw
box_shot restored-box
n=$(differing_pixels "$ARTIFACTS/reference-box.png" "$ARTIFACTS/restored-box.png")
[ "$n" -eq 0 ] ||
  fail "after the restore, sphere $k should have been where it was when minimized; the box differs from its team's box in $n pixels (see restored-box.png)"

# And the animation goes on, at the full size.
sleep 0.5
a=$(client_shot "$id" running-1); sleep 0.3; b=$(client_shot "$id" running-2)
n=$(differing_pixels "$a" "$b")
[ "$n" -gt 1000 ] || fail "after the restore the animation should go on; only $n pixels changed"
edge=$(backdrop_border "$b")
awk -v e="$edge" 'BEGIN { exit !(e >= 0.99) }' ||
  fail "after the restore the backdrop should fill the client area; seen on a share $edge of its edges"
orbit_phase "$b" >/dev/null || fail "after the restore the spheres are not where the orbit puts them"

press "$id" Escape
expect_exit 0
echo "ok"

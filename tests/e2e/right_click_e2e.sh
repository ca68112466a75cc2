#!/usr/bin/env bash
# Right clicks nudge the three orbiting spheres forward. On a frozen frame,
# fourteen right clicks (3 degrees each) and then a left click on a place
# that shows backdrop, 42 degrees ahead of a sphere, bring up that team's
# box instead of the standings; without the nudge the sphere would still be
# 42 degrees short of the place. Each of the three spheres is checked once,
# and the three boxes differ. A first round without right clicks shows that
# aiming at a sphere's place on a frozen frame hits it.
source "$(dirname "$0")/lib.sh"
start_show

# box_height NAME: waits for the box, keeps its picture under NAME, closes
# it with Return and prints its height.
box_height() {
  local box h
  box=$(wait_window "Selection" 10)
  sleep 0.3
  window_shot "$box" "$1" >/dev/null
  h=$(window_height "$box")
  press "$box" Return
  window_gone "Selection"
  wait_running "$id"
  echo "$h"
}

click "$id" 20 460 1
standings=$(box_height standings)

# The program, once thawed, may finish the frame it was drawing before it
# reads the clicks: aim a few degrees ahead of the frozen picture.
LEAD=4
NUDGE=14

# round NAME SPHERES AHEAD CLICKS: on a frozen frame, aims at the place that
# one of SPHERES (0 Togo, 1 France, 2 Switzerland) will have AHEAD degrees
# on, gives CLICKS right clicks and a left click there, and prints "SPHERE
# HEIGHT" with the box's height. It waits for a frame where that place is
# below the title's reach and shows what it should before the clicks (the
# sphere when AHEAD is 0, backdrop otherwise), and where the nudge takes no
# orbit angle past 360: the reset there would put that sphere out of step
# with the others, which the angle found from the picture relies on.
round() {
  local name=$1 spheres=$2 ahead=$3 clicks=$4 attempt f aim k x y
  for attempt in 1 2 3 4 5 6 7 8 9 10; do
    freeze
    f=$(client_shot "$id" "$name-$attempt")
    aim=$(scene_probe "$f" "
      if (!find_orbit()) { print \"lost\"; exit }
      if ($clicks > 0 && (PHASE % 120) + 240 + $clicks * 3 + 2 * $LEAD + 4 >= 360) { print \"wrap\"; exit }
      n = split(\"$spheres\", ks, \",\")
      for (j = 1; j <= n; j++) {
        orbit_point(PHASE + 120 * ks[j] + $ahead + $LEAD); x = OX; y = OY
        disc(x, y, 6)
        if (y >= 165 && ($ahead == 0 ? NB : ND) / N >= 0.9) { printf \"%d %d %d\n\", ks[j], x, y; exit }
      }
      print \"none\"")
    if [ "$aim" = lost ]; then thaw; fail "$name: no orbit angle explains $f"; fi
    if [ "${aim#[0-9] }" != "$aim" ]; then
      read -r k x y <<<"$aim"
      [ "$clicks" -gt 0 ] && xdotool mousemove --window "$id" "$x" "$y" click --repeat "$clicks" --delay 10 3
      click "$id" "$x" "$y" 1
      thaw
      echo "$k $(box_height "$name-box")"
      return 0
    fi
    thaw
    sleep 0.2
  done
  fail "$name: no frame offered a place to aim at"
}

read -r k h <<<"$(round aimed 0,1,2 0 0)"
[ "$h" -lt "$standings" ] ||
  fail "a left click on sphere $k's place on a frozen frame should show its team (a box lower than the standings' $standings), got height $h"

left=0,1,2
while [ -n "$left" ]; do
  read -r k h <<<"$(round nudged "$left" 42 "$NUDGE")"
  [ "$h" -lt "$standings" ] ||
    fail "sphere $k: after $NUDGE right clicks it should stand 42 degrees on, where the left click should find it; got a box of height $h (the standings' is $standings)"
  mv "$ARTIFACTS/nudged-box.png" "$ARTIFACTS/nudged-$k-box.png"
  left=$(tr ',' '\n' <<<"$left" | { grep -vx "$k" || true; } | paste -sd, -)
done
for pair in "0 1" "0 2" "1 2"; do
  read -r a b <<<"$pair"
  n=$(differing_pixels "$ARTIFACTS/nudged-$a-box.png" "$ARTIFACTS/nudged-$b-box.png")
  [ "$n" -gt 0 ] || fail "spheres $a and $b gave the same box: one team was hit twice"
done

press "$id" Escape
expect_exit 0
echo "ok"

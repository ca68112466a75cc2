#!/usr/bin/env bash
# Left clicks: on the Korea sphere a "Selection" box opens over the window
# and the scene stands still until Return closes it; then the animation goes
# on. On the backdrop the box holds the standings (five lines, so taller
# than a team's three); on the title it holds the one line "Team Tarsel".
source "$(dirname "$0")/lib.sh"
start_show
read -r wx wy ww wh <<<"$(window_geometry "$id")"

# pick X Y NAME: left click at client (X, Y) and wait for the box; prints
# its window id and keeps a picture of it under NAME.
pick() {
  click "$id" "$1" "$2" 1
  local box
  box=$(wait_window "Selection" 10)
  sleep 0.3
  window_shot "$box" "$3" >/dev/null
  echo "$box"
}

# dismiss BOX: Return closes the box.
dismiss() {
  press "$1" Return
  window_gone "Selection"
  wait_running "$id"
}

box=$(pick 320 240 korea-box)
read -r bx by bw bh <<<"$(window_geometry "$box")"
cx=$((bx + bw / 2)); cy=$((by + bh / 2))
[ "$cx" -gt "$wx" ] && [ "$cx" -lt $((wx + ww)) ] && [ "$cy" -gt "$wy" ] && [ "$cy" -lt $((wy + wh)) ] ||
  fail "Selection box: expected over the window ($wx $wy $ww $wh), got at $bx $by $bw $bh"
a=$(shot open-1); sleep 0.5; b=$(shot open-2)
n=$(differing_pixels "$a" "$b")
[ "$n" -eq 0 ] || fail "while the box is open the scene should stand still; $n pixels changed"
team_height=$bh
dismiss "$box"
sleep 0.3
a=$(client_shot "$id" after-1); sleep 0.3; b=$(client_shot "$id" after-2)
n=$(differing_pixels "$a" "$b")
[ "$n" -gt 1000 ] || fail "after Return the animation should go on; only $n pixels changed"

box=$(pick 20 460 standings-box)
h=$(window_height "$box")
[ "$h" -gt "$team_height" ] ||
  fail "backdrop click: expected the standings box taller than a team's ($team_height), got height $h"
dismiss "$box"

# The title: it is clicked on a frozen frame, at a point that is green
# there and was green in most of several frames before: such a point lies
# near the axis the title tumbles about and stays on the title for the few
# frames the program may draw before it reads the click.
shots=()
for i in 1 2 3 4 5 6; do shots+=("$(client_shot "$id" title-$i)"); sleep 0.2; done
clicked=""
for attempt in 1 2 3 4 5 6; do
  freeze
  f=$(client_shot "$id" title-click)
  if point=$(title_point "${shots[@]}" "$f"); then
    read -r tx ty <<<"$point"
    click "$id" "$tx" "$ty" 1
    clicked=yes
  fi
  thaw
  [ -n "$clicked" ] && break
  sleep 0.1
done
[ -n "$clicked" ] || fail "no frozen frame showed the title where it had mostly been (see title-*.png)"
box=$(wait_window "Selection" 10)
sleep 0.3
window_shot "$box" title-box >/dev/null
h=$(window_height "$box")
[ "$h" -lt "$team_height" ] ||
  fail "title click at ($tx, $ty): expected the one-line box shorter than a team's ($team_height), got height $h"
dismiss "$box"

press "$id" Escape
expect_exit 0
echo "ok"

#!/usr/bin/env bash
# F2 to F5 each change the picture as a person would notice, and the same
# key again brings the picture back: F2 lights (the backdrop, lit from
# behind, is dark with lighting and in its full colours without), F3
# textures (the backdrop turns plain grey and the Korea sphere loses its
# flag), F4 the spheres' style (the Korea sphere becomes a wire mesh with
# the backdrop between its lines), F5 outlines (the backdrop, larger than
# the view, keeps only its edges off screen, so the corner shows the black
# of the clear colour).
source "$(dirname "$0")/lib.sh"
start_show

# look NAME: a frozen client screenshot; prints its path.
look() {
  freeze
  client_shot "$id" "$1"
  thaw
}

# corner FILE: the mean colour of a corner of the backdrop no object reaches.
corner() {
  mean_rgb "$1" 10 440 30 30
}

# korea FILE: "DARK COLOURED", the shares of the Korea sphere's inner disc
# that are as dark as the backdrop, and that have a clear hue.
korea() {
  scene_probe "$1" '
    n = c = 0
    for (dy = -24; dy <= 24; dy++) for (dx = -24; dx <= 24; dx++) {
      if (dx * dx + dy * dy > 576) continue
      i = at(320 + dx, 240 + dy); n++
      hi = R[i]; lo = R[i]; if (G[i] > hi) hi = G[i]; if (B[i] > hi) hi = B[i]
      if (G[i] < lo) lo = G[i]; if (B[i] < lo) lo = B[i]
      c += (hi - lo > 40)
    }
    disc(320, 240, 24); printf "%.3f %.3f\n", ND / N, c / n'
}

# toggle KEY: press the key once; the new picture's path is printed.
toggle() {
  press "$id" "$1"
  # The key acts after the frame that follows it; two more frames show it.
  wait_frames "$id" 3
  look "$1-$2"
}

base=$(look base)
read -r r0 g0 b0 <<<"$(corner "$base")"
[ "$g0" -ge $((r0 + 5)) ] && [ "$g0" -ge $((b0 + 5)) ] && [ "$g0" -ge 10 ] ||
  fail "backdrop corner at start: expected dark green, got $r0 $g0 $b0"
read -r dark0 hue0 <<<"$(korea "$base")"

# back_to_base FILE KEY: the corner is exactly as at start again.
back_to_base() {
  local c
  c=$(corner "$1")
  [ "$c" = "$r0 $g0 $b0" ] || fail "$2 pressed again: expected the backdrop corner back at $r0 $g0 $b0, got $c"
}

f=$(toggle F2 on)
read -r r g b <<<"$(corner "$f")"
[ "$g" -ge $((3 * g0)) ] || fail "F2: expected the unlit backdrop at least 3 times brighter than $r0 $g0 $b0, got $r $g $b"
back_to_base "$(toggle F2 off)" F2

f=$(toggle F3 on)
read -r r g b <<<"$(corner "$f")"
[ $((r > g ? r - g : g - r)) -le 3 ] && [ $((g > b ? g - b : b - g)) -le 3 ] && [ "$g" -ge 20 ] ||
  fail "F3: expected the untextured backdrop grey, got $r $g $b"
read -r dark hue <<<"$(korea "$f")"
awk -v h="$hue" 'BEGIN { exit !(h == 0) }' ||
  fail "F3: expected the untextured Korea sphere without hue, got a share of $hue coloured pixels"
back_to_base "$(toggle F3 off)" F3

f=$(toggle F4 on)
read -r dark hue <<<"$(korea "$f")"
awk -v d="$dark" -v d0="$dark0" 'BEGIN { exit !(d >= 0.4 && d >= d0 + 0.25) }' ||
  fail "F4: expected backdrop between the Korea sphere's lines (dark share >= 0.4, at start $dark0), got $dark"
f=$(toggle F4 off)
read -r dark hue <<<"$(korea "$f")"
awk -v d="$dark" 'BEGIN { exit !(d <= 0.3) }' ||
  fail "F4 pressed again: expected a solid Korea sphere (dark share <= 0.3), got $dark"

f=$(toggle F5 on)
read -r r g b <<<"$(corner "$f")"
[ "$r $g $b" = "0 0 0" ] || fail "F5: expected the backdrop reduced to its outline (black corner), got $r $g $b"
back_to_base "$(toggle F5 off)" F5

press "$id" Escape
expect_exit 0
echo "ok"

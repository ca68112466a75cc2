#!/usr/bin/env bash
# What a person sees once the show has started: the backdrop picture over the
# whole client area, the Korea sphere at the centre, the three other spheres
# on their tilted orbit wearing their flags, and the green title above them.
source "$(dirname "$0")/lib.sh"
start_show
freeze
f=$(client_shot "$id" start)
thaw

edge=$(backdrop_border "$f")
awk -v e="$edge" 'BEGIN { exit !(e >= 0.99) }' ||
  fail "backdrop at the client area's edges: expected on every edge pixel, seen on a share of $edge"

read -r bright around < <(scene_probe "$f" 'disc(320, 240, 24); b = NB / N; ring(320, 240, 47); print b, RD')
awk -v b="$bright" -v r="$around" 'BEGIN { exit !(b >= 0.7 && r >= 0.6) }' ||
  fail "Korea sphere at the centre: expected a lit sphere inside radius 24 (share >= 0.7) and backdrop around it (>= 0.6), got $bright and $around"

phase=$(orbit_phase "$f") || fail "the three orbiting spheres are not where the orbit puts them (see $f)"
read -r angle tx ty fx fy sx sy <<<"$phase"
echo "orbit angle of the Togo sphere: $angle"

# Flags, not plain colours: Togo shows its stripes or its red corner rather
# than the plain yellow it has without a picture, Switzerland its red.
read -r flag red < <(scene_probe "$f" "
  orbit_point($angle); disc(OX, OY, 0.85 * OR); t = (NT - NP + NS) / N
  orbit_point($angle + 240); disc(OX, OY, 0.85 * OR); print t, NRED / N")
awk -v t="$flag" -v r="$red" 'BEGIN { exit !(t >= 0.1 && r >= 0.3) }' ||
  fail "textured spheres: expected Togo's flag colours (share >= 0.1) and Switzerland's red (>= 0.3), got $flag and $red"

# The title: pure green pixels above the spheres, around the middle. Togo's
# green stripes are pure green too, so its disc is left out.
read -r count mean_x mean_y < <(scene_probe "$f" "
  orbit_point($angle); n = sx = sy = 0
  for (y = 0; y < 480; y++) for (x = 0; x < 640; x++) {
    if (!TITLE[at(x, y)] || (x - OX) ^ 2 + (y - OY) ^ 2 <= (1.2 * OR) ^ 2) continue
    n++; sx += x; sy += y
  }
  print n, (n ? sx / n : 0), (n ? sy / n : 0)" 1)
awk -v n="$count" -v x="$mean_x" -v y="$mean_y" 'BEGIN { exit !(n >= 300 && x >= 220 && x <= 420 && y <= 170) }' ||
  fail "green title above the spheres: expected >= 300 green pixels centred near x 320 above y 170, got $count around ($mean_x, $mean_y)"

press "$id" Escape
expect_exit 0
echo "ok"

#!/usr/bin/env bash
# A run folder without "TOGO.bmp": one "Error" box says the file could not
# be opened; after Return the show runs, with the Togo sphere in its plain
# colours (yellow, no flag) and the other spheres still wearing theirs.
source "$(dirname "$0")/lib.sh"
start_display 1280x1024x24
start_wm
fresh_run_dir
rm TOGO.bmp
start_program
box=$(wait_window "Error" 30)
sleep 0.3
window_shot "$box" error-box >/dev/null
press "$box" Return
window_gone "Error"
id=$(wait_window "OpenGL Team Tarsel")
sleep 1.5
find_window "Error" >/dev/null && fail "a second \"Error\" box appeared for one missing picture"

freeze
f=$(client_shot "$id" plain-togo)
thaw
phase=$(orbit_phase "$f") || fail "the spheres are not where the orbit puts them (see $f)"
read -r angle rest <<<"$phase"
read -r plain flag red < <(scene_probe "$f" "
  orbit_point($angle); disc(OX, OY, 0.85 * OR); p = NP / N; t = (NT - NP + NS) / N
  orbit_point($angle + 240); disc(OX, OY, 0.85 * OR); print p, t, NRED / N")
awk -v p="$plain" -v t="$flag" 'BEGIN { exit !(p >= 0.5 && t <= 0.02) }' ||
  fail "Togo without its picture: expected plain yellow (share >= 0.5) and no flag colours (<= 0.02), got $plain and $flag"
awk -v r="$red" 'BEGIN { exit !(r >= 0.3) }' ||
  fail "Switzerland should still wear its flag (red share >= 0.3), got $red"

press "$id" Escape
expect_exit 0
echo "ok"

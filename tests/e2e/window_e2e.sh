#!/usr/bin/env bash
# The window appears with its 640x480 client area at the screen's corner,
# and Esc ends the program with exit code 0.
source "$(dirname "$0")/lib.sh"
start_show --bare
read -r x y w h <<<"$(window_geometry "$id")"
[ "$w $h" = "640 480" ] || fail "client area: expected 640 480, got $w $h"
[ "$x $y" = "0 0" ] || fail "position: expected 0 0, got $x $y"
press "$id" Escape
expect_exit 0
echo "ok"

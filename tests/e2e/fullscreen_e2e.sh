#!/usr/bin/env bash
# F1 on a screen that offers 640x480 goes fullscreen and F1 again comes back
# to the window. A window manager runs, as on a desktop.
source "$(dirname "$0")/lib.sh"
start_display 640x480x16
start_wm
fresh_run_dir
start_program
id=$(wait_window "OpenGL Team Tarsel")
sleep 1
is_fullscreen "$id" && fail "started fullscreen"
press "$id" F1
sleep 2
id=$(wait_window "OpenGL Team Tarsel")
is_fullscreen "$id" || fail "F1 did not make the window fullscreen"
read -r x y w h <<<"$(window_geometry "$id")"
[ "$x $y $w $h" = "0 0 640 480" ] || fail "fullscreen geometry: expected 0 0 640 480, got $x $y $w $h"
press "$id" F1
sleep 2
id=$(wait_window "OpenGL Team Tarsel")
is_fullscreen "$id" && fail "second F1 did not come back to a window"
read -r x y w h <<<"$(window_geometry "$id")"
[ "$w $h" = "640 480" ] || fail "client area: expected 640 480, got $w $h"
press "$id" Escape
expect_exit 0
echo "ok"

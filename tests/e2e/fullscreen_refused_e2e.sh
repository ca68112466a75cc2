#!/usr/bin/env bash
# On a screen without a 640x480 mode, F1 asks whether to stay windowed:
# Yes keeps the show running in a window; No says the program will close
# and it ends with exit code 1, as every window that could not be opened.
source "$(dirname "$0")/lib.sh"
start_show --bare
press "$id" F1
box=$(wait_window "2nd Term OpenGL Tarsel" 10)
press "$box" Return
window_gone "2nd Term OpenGL Tarsel"
id=$(wait_window "OpenGL Team Tarsel")
is_fullscreen "$id" && fail "Yes should have kept a window"
kill -0 "$PROGRAM_PID" || fail "program ended after Yes"

press "$id" F1
box=$(wait_window "2nd Term OpenGL Tarsel" 10)
press "$box" Escape
box=$(wait_window "ERROR" 10)
press "$box" Return
expect_exit 1
echo "ok"

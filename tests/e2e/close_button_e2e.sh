#!/usr/bin/env bash
# Closing the window (the close button's request) ends the program with 0,
# under a real window manager and without one.
source "$(dirname "$0")/lib.sh"
start_show --bare
"$GROUP_G_XCLOSE" "$id" || fail "could not send the close request"
expect_exit 0

start_wm
start_program
id=$(wait_window "OpenGL Team Tarsel")
sleep 1
wmctrl -c "OpenGL Team Tarsel" || fail "the window manager could not close the window"
expect_exit 0
echo "ok"

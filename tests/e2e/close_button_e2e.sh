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
# The window manager takes the window into its list a moment after it maps.
closed=""
for _ in $(seq 50); do
  wmctrl -c "OpenGL Team Tarsel" 2>/dev/null && { closed=1; break; }
  sleep 0.1
done
[ -n "$closed" ] || fail "the window manager could not close the window"
expect_exit 0
echo "ok"

#!/usr/bin/env bash
# A broken "BACK.bmp", cut short, replaced by text, or promising far more
# than it holds: its "Error" box
# comes, and after Return the show runs with a plain backdrop (grey where
# the picture would be), and the program ends normally with Esc.
source "$(dirname "$0")/lib.sh"
start_display 1280x1024x24
start_wm

# run_with NAME: starts the program on the prepared run folder and checks
# the box and the running show.
run_with() {
  start_program
  local box id a b r g bl
  box=$(wait_window "Error" 30)
  sleep 0.3
  window_shot "$box" "$1-box" >/dev/null
  press "$box" Return
  window_gone "Error"
  id=$(wait_window "OpenGL Team Tarsel")
  sleep 1
  find_window "Error" >/dev/null && fail "$1: a second \"Error\" box appeared"
  a=$(client_shot "$id" "$1-1"); sleep 0.3; b=$(client_shot "$id" "$1-2")
  [ "$(differing_pixels "$a" "$b")" -gt 1000 ] || fail "$1: the show does not run after the box"
  read -r r g bl <<<"$(mean_rgb "$b" 10 440 30 30)"
  [ $((r > g ? r - g : g - r)) -le 3 ] && [ $((g > bl ? g - bl : bl - g)) -le 3 ] && [ "$g" -ge 20 ] ||
    fail "$1: expected a plain grey backdrop without its picture, got $r $g $bl"
  press "$id" Escape
  expect_exit 0
  grep -q -E 'Sanitizer|runtime error' "$ARTIFACTS/program.err" &&
    fail "$1: sanitizer report: $(grep -m1 -E 'Sanitizer|runtime error' "$ARTIFACTS/program.err")"
  return 0
}

fresh_run_dir
head -c 3000 "$GROUP_G_RUN_DIR/BACK.bmp" >BACK.bmp
run_with truncated

seq 1 5000 >BACK.bmp
run_with garbage

# A valid-looking start, "BM" and a 40-byte header for a 4096x4096 24-bit
# picture, in a file of 4 KB.
printf 'BM\0\0\0\0\0\0\0\0\66\0\0\0\50\0\0\0\0\20\0\0\0\20\0\0\1\0\30\0\0\0\0\0' >BACK.bmp
head -c 4000 /dev/zero >>BACK.bmp
run_with oversized
echo "ok"

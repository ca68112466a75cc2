#!/usr/bin/env bash
# Soak: drives the AddressSanitizer + UBSan build of group_g for a bounded
# time with random input (F1 to F5, left clicks with their boxes dismissed,
# right clicks, resizes, minimize and restore) under a window manager on a
# virtual 640x480x16 screen, where F1 really switches to fullscreen and
# back. Then it ends the program with Esc and checks that no sanitizer
# reported anything (memory errors and undefined behaviour; the exit-time
# leak check is off, see start_program in e2e/lib.sh, and growth shows in
# the heap figures instead), that the exit code is 0, that the live heap at
# the end is within 6 MB of where it stood after the first minute (after
# the first half, for runs shorter than two minutes), and that what the
# program's own code holds on it (allocations whose call stack passes
# through the program's executable) is within 256 kB. Left clicks go on for
# the whole run: a selection pass draws the scene from display lists and
# costs no memory.
#
# The heap is read through heap_probe, preloaded into the program: the
# bytes the sanitizer's allocator counts as in use, and on request its
# profile of live allocations by call stack. Resident memory is logged
# too, but it swings by megabytes from moment to moment under the
# sanitizer, so it cannot tell a leak from the allocator's caching. The
# GL driver's share of the heap moves by up to 3 MB either way with the
# order of past input, hence the wide limit on the whole (twice that) and
# the narrow one on ours.
#
# Usage: tests/soak.sh [SECONDS] [GROUP_G]
#   SECONDS   how long to drive the program; 120 unless given
#   GROUP_G   the sanitized program (a -DGROUP_G_SANITIZE=ON build's
#             run/group_g); $GROUP_G_BIN unless given
# Environment:
#   GROUP_G_BIN        the program, when not given as an argument
#   GROUP_G_RUN_DIR    a folder with the five pictures; the program's folder
#                      unless set
#   GROUP_G_ARTIFACTS  where the logs and screenshots go (a soak/ folder in
#                      it); /tmp/group_g_e2e unless set
#   GROUP_G_HEAP_PROBE_LIB  the heap_probe library of the same build; the
#                      one next to the program's build folder unless set
#   SOAK_SEED          the seed of the random input, to replay a run; the
#                      seed used is printed at the start
#   ASAN_OPTIONS, LSAN_OPTIONS, UBSAN_OPTIONS: set as tools/run_tests.sh sets
#                      them when they are not set already
set -euo pipefail
# A failed check inside $(...) ends the whole test, not just the subshell.
shopt -s inherit_errexit
here="$(cd "$(dirname "$0")" && pwd)"
duration=${1:-120}
[ -n "${2:-}" ] && GROUP_G_BIN=$2
: "${GROUP_G_BIN:?give the sanitized group_g as the second argument or in GROUP_G_BIN}"
GROUP_G_BIN=$(readlink -f "$GROUP_G_BIN")
export GROUP_G_BIN
export GROUP_G_RUN_DIR=${GROUP_G_RUN_DIR:-$(dirname "$GROUP_G_BIN")}
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$here/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# A small quarantine of freed memory (use after free is still caught for
# the most recent frees) and free pages handed back to the system soon keep
# the logged resident figure near what the program uses.
# No symbolizing in the program: the heap profile is printed while the
# sanitizer holds every other thread stopped, and looking up names then
# starts a symbolizer process from inside that stop, which once left the
# program unable to end. Frames print as module+offset; the program's own
# are those in its executable, and a sanitizer report is symbolized here.
export ASAN_OPTIONS="$ASAN_OPTIONS:quarantine_size_mb=16:allocator_release_to_os_interval_ms=500:symbolize=0"
source "$here/e2e/lib.sh"

# The probe goes in after the sanitizer runtime, which must come first
# when the program links it dynamically.
probe_lib=${GROUP_G_HEAP_PROBE_LIB:-$(dirname "$(dirname "$GROUP_G_BIN")")/tests/libheap_probe.so}
[ -f "$probe_lib" ] || fail "no heap probe at $probe_lib (set GROUP_G_HEAP_PROBE_LIB)"
asan_runtime=$(ldd "$GROUP_G_BIN" | awk '/libasan/ { print $3 }')
PROGRAM_PRELOAD="${asan_runtime:+$asan_runtime:}$probe_lib"
export GROUP_G_HEAP_PROBE="$ARTIFACTS/heap"
rm -f "$GROUP_G_HEAP_PROBE"

seed=${SOAK_SEED:-$(( $(date +%s) % 32768 ))}
RANDOM=$seed
echo "soak: ${duration}s, seed $seed, program $GROUP_G_BIN"
baseline_at=$(( duration >= 120 ? 60 : duration / 2 ))

start_display 640x480x16
start_wm
fresh_run_dir
start_program
wait_window "OpenGL Team Tarsel" 60 >/dev/null

# rss: the program's resident memory in kB.
rss() {
  awk '/^VmRSS:/ { print $2 }' "/proc/$PROGRAM_PID/status"
}

# symbolize FILE: the file without its heap profiles, with each
# "(module+0xoffset)" frame followed by the function and source line, where
# llvm-symbolizer can tell them.
symbolize() {
  local line module offset in_profile=""
  while IFS= read -r line; do
    if [ "$line" = "heap profile begin" ]; then
      in_profile=1
    elif [ -n "$in_profile" ]; then
      [ "$line" = "heap profile end" ] && in_profile=""
    elif command -v llvm-symbolizer >/dev/null && [[ $line =~ \(([^()+]+)\+(0x[0-9a-f]+)\)$ ]]; then
      module=${BASH_REMATCH[1]} offset=${BASH_REMATCH[2]}
      echo "$line $(llvm-symbolizer --obj="$module" "$offset" 2>/dev/null | head -n 2 | tr '\n' ' ')"
    else
      echo "$line"
    fi
  done <"$1"
}

# heap: the program's live heap in kB, as the probe last wrote it.
heap() {
  local bytes=""
  for _ in $(seq 50); do
    bytes=$(cat "$GROUP_G_HEAP_PROBE" 2>/dev/null || true)
    [ -n "$bytes" ] && break
    sleep 0.1
  done
  [ -n "$bytes" ] || fail "the heap probe wrote nothing to $GROUP_G_HEAP_PROBE"
  echo $((bytes / 1024))
}

# own_heap: the kB that allocations made by the program's own code (a frame
# in its executable) hold, from a fresh profile of the live heap.
own_heap() {
  local err="$ARTIFACTS/program.err" from
  from=$(($(wc -l <"$err") + 1))
  touch "$GROUP_G_HEAP_PROBE.profile"
  for _ in $(seq 600); do
    profile_printed "$from" && break
    alive
    sleep 0.1
  done
  profile_printed "$from" || fail "the heap probe printed no profile within 60s"
  awk -v from="$from" -v own="($GROUP_G_BIN+0x" '
    NR < from { next }
    /^heap profile end$/ { exit }
    /^[0-9]+ byte\(s\)/ { if (ours) sum += bytes; bytes = $1; ours = 0; next }
    /^ +#[0-9]+ / { if (index($0, own)) ours = 1 }
    END { if (ours) sum += bytes; print int(sum / 1024) }' "$err"
}

# profile_printed LINE: whether a whole profile stands in the program's
# stderr from that line on.
profile_printed() {
  awk -v from="$1" 'NR >= from && /^heap profile end$/ { found = 1; exit }
    END { exit !found }' "$ARTIFACTS/program.err"
}

# steady_heap: the median of 20 heap readings over two seconds, so that a
# frame's passing buffers do not count.
steady_heap() {
  local i
  for i in $(seq 20); do
    heap
    sleep 0.1
  done | sort -n | sed -n 10p
}

alive() {
  kill -0 "$PROGRAM_PID" 2>/dev/null ||
    fail "the program ended during the soak (seed $seed): $(tail -n 20 "$ARTIFACTS/program.err")"
}

# answer_boxes: closes whatever box is up with its default button: Return
# dismisses a pick's or a picture's box, and answers Yes when a screen
# without 640x480 asks whether to stay windowed.
answer_boxes() {
  local name box
  for name in "Selection" "Error" "2nd Term OpenGL Tarsel"; do
    if box=$(find_window "$name"); then
      press "$box" Return
      sleep 0.2
    fi
  done
}

# scene: the id of the scene window, after dismissing any box in the way.
scene() {
  local id
  for _ in $(seq 100); do
    id=$(find_window "OpenGL Team Tarsel") && { echo "$id"; return 0; }
    alive
    answer_boxes
    sleep 0.1
  done
  fail "the scene window did not come back (seed $seed)"
}

# random_point ID: a random point of the window's client area as it is now,
# in point_x and point_y. A click outside the window would land on the
# desktop, and a right click there opens the window manager's menu, which
# takes the keyboard until it closes. The numbers come from this shell's
# RANDOM, so a seed replays the same run.
random_point() {
  local geometry width height
  geometry=$(window_geometry "$1") || geometry=""
  read -r _ _ width height <<<"$geometry"
  [ "${width:-0}" -gt 0 ] || width=1
  [ "${height:-0}" -gt 0 ] || height=1
  point_x=$((RANDOM % width))
  point_y=$((RANDOM % height))
}

# pick ID: a left click somewhere in the client area; its box, if the click
# hits anything, is waited for and closed.
pick() {
  local box=""
  random_point "$1"
  click "$1" "$point_x" "$point_y" 1
  for _ in $(seq 30); do
    box=$(find_window "Selection") && break
    alive
    sleep 0.1
  done
  [ -n "$box" ] && { press "$box" Return; window_gone "Selection" 10; }
  return 0
}

# minimize_restore ID: minimized for a moment, then restored.
minimize_restore() {
  xdotool windowminimize "$1" 2>/dev/null || return 0
  sleep 0.$((RANDOM % 8 + 2))
  alive
  wmctrl -ia "$1" 2>/dev/null || xdotool windowactivate "$1" 2>/dev/null || true
  sleep 0.3
}

# The display flags as F2 to F5 left them (1 as at the start).
declare -A flag=([F2]=1 [F3]=1 [F4]=1 [F5]=1)

# settled_heap: brings the program to the same state for both readings and
# leaves its live heap and its own code's share, in kB, in heap_total and
# heap_own. It runs in this shell, not in a $(...), so that what it does to
# the flags is remembered. The GL driver keeps a cache of compiled
# drawing states per context, a few MB once full; so the program is sent to
# fullscreen and back for a fresh context, and every combination of the
# four display flags is drawn once (F2 to F5 in Gray-code order, ending
# where it began), before the 640x480 window is read with every flag on.
settled_heap() {
  local id key
  id=$(scene)
  if ! is_fullscreen "$id"; then
    id=$(switch_fullscreen "$id")
  fi
  id=$(switch_fullscreen "$id")
  is_fullscreen "$id" && fail "the program did not come back from fullscreen (seed $seed)"
  xdotool windowsize "$id" 640 480 2>/dev/null || true
  for key in F2 F3 F4 F5; do
    if [ "${flag[$key]}" = 0 ]; then press "$id" "$key"; flag[$key]=1; fi
  done
  for key in F2 F3 F2 F4 F2 F3 F2 F5 F2 F3 F2 F4 F2 F3 F2 F5; do
    press "$id" "$key"
  done
  sleep 2
  alive
  heap_total=$(steady_heap)
  heap_own=$(own_heap)
}

# switch_fullscreen ID: F1, pressed again if need be (a press held through
# a single slow frame is never seen), until the program has made its new
# window; prints the new window's id.
switch_fullscreen() {
  local old=$1 new
  for _ in 1 2 3 4 5; do
    press "$old" F1
    for _ in $(seq 100); do
      alive
      answer_boxes
      new=$(find_window "OpenGL Team Tarsel") && [ "$new" != "$old" ] && {
        sleep 0.5
        echo "$new"
        return 0
      }
      sleep 0.1
    done
  done
  fail "F1 did not make a new window within five tries (seed $seed)"
}

# act: one random action on the scene window.
act() {
  local id roll key
  id=$(scene)
  roll=$((RANDOM % 100))
  if [ "$roll" -lt 32 ]; then
    key=F$((RANDOM % 4 + 2))
    press "$id" "$key"
    flag[$key]=$((1 - flag[$key]))
  elif [ "$roll" -lt 40 ]; then
    switch_fullscreen "$id" >/dev/null
  elif [ "$roll" -lt 56 ]; then
    pick "$id"
  elif [ "$roll" -lt 70 ]; then
    random_point "$id"
    xdotool mousemove --window "$id" "$point_x" "$point_y" \
      click --repeat $((RANDOM % 5 + 1)) --delay 30 3
  elif [ "$roll" -lt 82 ]; then
    xdotool windowsize "$id" $((RANDOM % 540 + 100)) $((RANDOM % 380 + 100)) 2>/dev/null || true
    sleep 0.2
  elif [ "$roll" -lt 90 ]; then
    minimize_restore "$id"
  else
    sleep 0.$((RANDOM % 9 + 1))
  fi
  alive
}

start=$SECONDS
baseline=""
actions=0
echo "seconds rss_kb heap_kb" >"$ARTIFACTS/memory.log"
next_sample=0
while [ $((SECONDS - start)) -lt "$duration" ]; do
  act
  actions=$((actions + 1))
  elapsed=$((SECONDS - start))
  if [ "$elapsed" -ge "$next_sample" ]; then
    echo "$elapsed $(rss) $(heap)" >>"$ARTIFACTS/memory.log"
    next_sample=$((next_sample + 10))
  fi
  if [ -z "$baseline" ] && [ "$elapsed" -ge "$baseline_at" ]; then
    settled_heap
    baseline=$heap_total own_baseline=$heap_own
    echo "soak: live heap after ${elapsed}s: ${baseline} kB, ${own_baseline} kB of it the program's own"
  fi
done

# The end: Esc, then the reports, the exit code and the memory.
settled_heap
final=$heap_total own_final=$heap_own
id=$(scene)
echo "$((SECONDS - start)) $(rss) $final" >>"$ARTIFACTS/memory.log"
echo "soak: $actions actions; live heap at the end: ${final} kB, ${own_final} kB of it the program's own"
# Esc, pressed again every ten seconds while the program runs: a press held
# through a single slow frame is never seen. Each extra press is reported.
escapes=0
for tick in $(seq 0 1199); do
  kill -0 "$PROGRAM_PID" 2>/dev/null || break
  if [ $((tick % 100)) = 0 ]; then
    if [ "$escapes" -gt 0 ]; then
      shot "escape-$escapes" >/dev/null || true
      echo "soak: Esc pressed again (focus: $(xdotool getwindowfocus 2>/dev/null), window: $id)"
    fi
    id=$(find_window "OpenGL Team Tarsel") || id=""
    [ -n "$id" ] && press "$id" Escape
    escapes=$((escapes + 1))
  fi
  sleep 0.1
done
if kill -0 "$PROGRAM_PID" 2>/dev/null; then
  shot not-ended >/dev/null || true
  fail "the program did not end within 120s of Esc ($(grep -E '^(State|Threads):' "/proc/$PROGRAM_PID/status" | tr '\n\t' '  '); windows: $(xwininfo -root -tree | grep -c 'OpenGL Team Tarsel'); children: $(pgrep -P "$PROGRAM_PID" -l | tr '\n' ' '))"
fi
if grep -q -E 'ERROR: [A-Za-z]*Sanitizer|runtime error:|SUMMARY: [A-Za-z]*Sanitizer' "$ARTIFACTS/program.err"; then
  symbolize "$ARTIFACTS/program.err" >"$ARTIFACTS/program.symbolized.err"
  grep -A 12 -E 'ERROR: [A-Za-z]*Sanitizer|runtime error:' "$ARTIFACTS/program.symbolized.err" | head -n 40 >&2 || true
  fail "sanitizer report (seed $seed; see $ARTIFACTS/program.symbolized.err): $(grep -m 3 -E 'Sanitizer|runtime error:' "$ARTIFACTS/program.err" | tr '\n' ' ')"
fi
# The program has ended by now: its exit code, and nothing left behind.
expect_exit 0 1
grew=$((final - baseline))
own_grew=$((own_final - own_baseline))
[ "$own_grew" -le 256 ] ||
  fail "the program's own heap grew by ${own_grew} kB between ${baseline_at}s and the end (limit 256 kB; seed $seed; the profiles are in program.err)"
[ "$grew" -le 6144 ] ||
  fail "the live heap grew by ${grew} kB between ${baseline_at}s and the end (limit 6144 kB; seed $seed; see memory.log)"
echo "ok: the live heap changed by ${grew} kB, the program's own by ${own_grew} kB"

#!/usr/bin/env bash
# An install puts the program, the picture checker, the five pictures and a
# desktop entry in place; started the way the entry says, the program finds
# its pictures (no "Error" box) and shows its window.
source "$(dirname "$0")/lib.sh"
: "${GROUP_G_BUILD_DIR:?}"
prefix="$ARTIFACTS/prefix"
cmake --install "$GROUP_G_BUILD_DIR" --prefix "$prefix" >"$ARTIFACTS/install.log" 2>&1 ||
  fail "cmake --install failed: $(tail -n 5 "$ARTIFACTS/install.log")"
for f in bin/group_g bin/bmpcheck share/applications/group_g.desktop \
         share/group_g/KOREA.bmp share/group_g/TOGO.bmp share/group_g/BACK.bmp \
         share/group_g/FRANCE.bmp share/group_g/SWIS.bmp; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
entry="$prefix/share/applications/group_g.desktop"
exec_line=$(sed -n 's/^Exec=//p' "$entry")
path_line=$(sed -n 's/^Path=//p' "$entry")
[ "$exec_line" = "$prefix/bin/group_g" ] || fail "Exec: expected $prefix/bin/group_g, got $exec_line"
[ "$path_line" = "$prefix/share/group_g" ] || fail "Path: expected $prefix/share/group_g, got $path_line"
"$prefix/bin/bmpcheck" "$path_line"/*.bmp >"$ARTIFACTS/bmpcheck.out" 2>&1 ||
  fail "installed pictures do not pass bmpcheck"

start_display 1280x1024x24
RUN_DIR="$path_line"
cd "$RUN_DIR"
GROUP_G_BIN="$exec_line"
start_program
id=$(wait_window "OpenGL Team Tarsel")
sleep 1
find_window "Error" >/dev/null && fail "the installed program did not find its pictures"
press "$id" Escape
expect_exit 0
echo "ok"

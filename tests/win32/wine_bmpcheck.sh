#!/usr/bin/env bash
# wine_bmpcheck.sh WINE_DIR BMPCHECK_EXE BMPCHECK PICTURES_DIR OUT_DIR:
# bmpcheck.exe under Wine against the Linux bmpcheck on the five pictures, a
# cut one and one with a Hangul name in an English locale: the same lines,
# exit status and PNG pixels (the Windows build has a PNG writer of its own).
# Then what --png OUT may replace, which needs files told apart the Windows way.
set -uo pipefail
GROUP_G_WINE_DIR="$1"
source "$(dirname "$0")/wine_env.sh"
exe="$2" linux="$3" pictures="$4" out="$5"
fail() { echo "FAIL: $*" >&2; exit 1; }
# The Windows runtime ends its lines with CR LF.
same_lines() { diff "$1" <(tr -d '\r' <"$2") || fail "$1 and $2 differ"; }
same_pixels() {
  local n
  n=$({ compare -metric AE "$1" "$2" null: 2>&1 || true; } | awk '{printf "%d", $1}')
  [ "$n" = 0 ] || fail "$1 and $2: $n pixels differ"
}

rm -rf "$out"
mkdir -p "$out/in" "$out/linux" "$out/windows"
cp "$pictures"/*.bmp "$out/in/"
head -c 3000 "$out/in/KOREA.bmp" >"$out/in/CUT.bmp"
cd "$out/in" || exit 1
names=(KOREA.bmp TOGO.bmp BACK.bmp FRANCE.bmp SWIS.bmp)

"$linux" --png ../linux "${names[@]}" >../linux.out 2>../linux.err ||
  fail "bmpcheck: status $? ($(cat ../linux.err))"
wine "$exe" --png ../windows "${names[@]}" >../windows.out 2>../windows.err ||
  fail "bmpcheck.exe: status $? ($(cat ../windows.err))"
"$linux" CUT.bmp >../linux-cut.out 2>../linux-cut.err
linux_cut=$?
wine "$exe" CUT.bmp >../windows-cut.out 2>../windows-cut.err
windows_cut=$?
[ "$linux_cut" -eq 1 ] && [ "$windows_cut" -eq 1 ] ||
  fail "a cut picture: expected status 1 from both, got $linux_cut and $windows_cut"
for run in "" -cut; do
  for stream in out err; do same_lines "../linux$run.$stream" "../windows$run.$stream"; done
done
for name in "${names[@]}"; do
  png="${name%.bmp}.png"
  [ -s "../windows/$png" ] || fail "bmpcheck.exe wrote no $png"
  same_pixels "../linux/$png" "../windows/$png"
done
# A name no single ANSI code page of an English locale holds.
cp KOREA.bmp 태극기.bmp
"$linux" 태극기.bmp >../linux-hangul.out 2>&1
LC_ALL=en_US.UTF-8 wine "$exe" 태극기.bmp >../windows-hangul.out 2>&1 ||
  fail "태극기.bmp: status $? ($(cat ../windows-hangul.out))"
same_lines ../linux-hangul.out ../windows-hangul.out

# Status, args, and the reason on standard error: out.png written and
# written again; a text file, and an input BMP named .png however it is
# spelled, never replaced.
cp KOREA.bmp in.png
echo notes >notes.png
while IFS='|' read -r expected args reason; do
  LC_ALL=en_US.UTF-8 wine "$exe" $args >../png.out 2>../png.err
  status=$?
  [ "$status" = "$expected" ] || fail "bmpcheck.exe $args: status $status, expected $expected ($(cat ../png.err))"
  [ -z "$reason" ] || grep -qF "$reason" ../png.err || fail "bmpcheck.exe $args: no \"$reason\" in: $(cat ../png.err)"
done <<'ROWS'
0|--png out.png KOREA.bmp|
0|--png out.png TOGO.bmp|
4|--png notes.png KOREA.bmp|notes.png: not written: it exists and is not a PNG
4|--png .\in.png in.png|.\in.png: not written: it is one of the inputs
ROWS
same_pixels ../linux/TOGO.png out.png
cmp -s in.png KOREA.bmp && [ "$(cat notes.png)" = notes ] || fail "an input or the text file was replaced"
echo "bmpcheck.exe and bmpcheck agree on $(( ${#names[@]} + 2 )) pictures; --png replaces what it may"

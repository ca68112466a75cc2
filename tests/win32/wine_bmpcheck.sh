#!/usr/bin/env bash
# wine_bmpcheck.sh WINE_DIR BMPCHECK_EXE BMPCHECK PICTURES_DIR OUT_DIR:
# bmpcheck.exe under Wine against the Linux bmpcheck, on the five pictures
# and on a cut one: the same lines on standard output and standard error,
# the same exit status, and PNGs with the same pixels (the Windows build
# writes its PNGs with a writer of its own).
set -uo pipefail
GROUP_G_WINE_DIR="$1"
source "$(dirname "$0")/wine_env.sh"
exe="$2" linux="$3" pictures="$4" out="$5"
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out/in" "$out/linux" "$out/windows"
cp "$pictures"/*.bmp "$out/in/"
head -c 3000 "$out/in/KOREA.bmp" >"$out/in/CUT.bmp"
cd "$out/in" || exit 1
names=(KOREA.bmp TOGO.bmp BACK.bmp FRANCE.bmp SWIS.bmp)

"$linux" --png ../linux "${names[@]}" >../linux.out 2>../linux.err
linux_status=$?
wine "$exe" --png ../windows "${names[@]}" >../windows.out 2>../windows.err
windows_status=$?
[ "$linux_status" -eq 0 ] || fail "bmpcheck: status $linux_status ($(cat ../linux.err))"
[ "$windows_status" -eq 0 ] || fail "bmpcheck.exe: status $windows_status ($(cat ../windows.err))"

"$linux" CUT.bmp >../linux-cut.out 2>../linux-cut.err
linux_cut=$?
wine "$exe" CUT.bmp >../windows-cut.out 2>../windows-cut.err
windows_cut=$?
[ "$linux_cut" -eq 1 ] && [ "$windows_cut" -eq 1 ] ||
  fail "a cut picture: expected status 1 from both, got $linux_cut and $windows_cut"

# The Windows runtime ends its lines with CR LF.
for run in "" -cut; do
  for stream in out err; do
    a="../linux$run.$stream" b="../windows$run.$stream"
    difference=$(diff "$a" <(tr -d '\r' <"$b")) || fail "$a and $b differ:"$'\n'"$difference"
  done
done

for name in "${names[@]}"; do
  png="${name%.bmp}.png"
  [ -s "../windows/$png" ] || fail "bmpcheck.exe wrote no $png"
  differing=$({ compare -metric AE "../linux/$png" "../windows/$png" null: 2>&1 || true; } | awk '{printf "%d", $1}')
  [ "$differing" = 0 ] || fail "$png: $differing pixels differ between the two builds' PNGs"
done
echo "bmpcheck.exe and bmpcheck agree on $(( ${#names[@]} + 1 )) pictures"

#!/usr/bin/env bash
# wine_package.sh WINE_DIR WINDOWS_BUILD_DIR OUT_DIR: the Windows zip holds
# exactly the run folder in one folder, its programs need only the system's
# DLLs, and unpacked anywhere its bmpcheck.exe loads every picture beside it.
set -uo pipefail
GROUP_G_WINE_DIR="$1"
source "$(dirname "$0")/wine_env.sh"
build="$2" out="$3"
fail() { echo "FAIL: $*" >&2; exit 1; }

rm -rf "$out"
mkdir -p "$out"
cpack -G ZIP --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 ||
  fail "cpack: $(tail -n 5 "$out/cpack.log")"
zip=$(ls "$out"/group_g-*-windows-x86_64.zip 2>/dev/null | head -n 1)
[ -n "$zip" ] || fail "no zip in $out"
top=$(basename "$zip" .zip)

expected="README.txt LICENSE.txt BACK.bmp FRANCE.bmp KOREA.bmp SWIS.bmp TOGO.bmp bmpcheck.exe group_g.exe"
listed=$(unzip -Z1 "$zip" | grep -v '/$' | sort | tr '\n' ' ')
want=$(for f in $expected; do echo "$top/$f"; done | sort | tr '\n' ' ')
[ "$listed" = "$want" ] || fail "the zip holds: $listed; expected: $want"

unzip -q "$zip" -d "$out/unpacked" || fail "unzip failed"
folder="$out/unpacked/$top"
# What every Windows has; anything else would have to ship beside them.
system="ADVAPI32.dll GDI32.dll GLU32.dll KERNEL32.dll msvcrt.dll OPENGL32.dll USER32.dll"
for exe in group_g.exe bmpcheck.exe; do
  for dll in $(x86_64-w64-mingw32-objdump -p "$folder/$exe" | awk '/DLL Name:/ {print $3}'); do
    [[ " $system " == *" $dll "* ]] || fail "$exe needs $dll, which Windows does not have"
  done
done

cd "$folder" || exit 1
wine bmpcheck.exe KOREA.bmp TOGO.bmp BACK.bmp FRANCE.bmp SWIS.bmp >"$out/bmpcheck.out" 2>&1 ||
  fail "bmpcheck.exe in the unpacked folder: $(cat "$out/bmpcheck.out")"
[ "$(grep -c ': loaded' "$out/bmpcheck.out")" = 5 ] || fail "not every picture loaded: $(cat "$out/bmpcheck.out")"
echo "$(basename "$zip"): $(echo $expected | wc -w) files, system DLLs only, works unpacked"

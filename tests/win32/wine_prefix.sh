#!/usr/bin/env bash
# Makes the Wine test prefix once per build folder (later runs find it made):
# a 64-bit prefix, a Hangul font given to Wine through its own font
# replacements, and the Korean locale that a Korean-locale Wine needs.
# "Gulim", the face Wine links to its dialog font for Hangul, is Nanum
# Gothic, so message boxes draw Hangul whatever the locale.
set -euo pipefail
GROUP_G_WINE_DIR="$1"
source "$(dirname "$0")/wine_env.sh"
mkdir -p "$GROUP_G_WINE_DIR"
exec 9>"$GROUP_G_WINE_DIR/prefix.lock"
flock 9
# A prefix made by this very script is kept; one made otherwise is redone.
made_by=$(sha1sum <"$0")
[ "$(cat "$GROUP_G_WINE_DIR/prefix.ready" 2>/dev/null)" = "$made_by" ] && exit 0
rm -rf "$WINEPREFIX" "$LOCPATH"

fc-list | grep NanumGothic >/dev/null || { echo "no NanumGothic font (fonts-nanum)" >&2; exit 1; }
mkdir -p "$LOCPATH"
# localedef also fails on mere warnings; the locale's files decide.
localedef -i ko_KR -f UTF-8 "$LOCPATH/ko_KR.UTF-8" || true
[ -f "$LOCPATH/ko_KR.UTF-8/LC_CTYPE" ] || { echo "no ko_KR.UTF-8 locale made (locales)" >&2; exit 1; }

# No display: the prefix is made without windows.
env -u DISPLAY wineboot --init
replacements='HKCU\Software\Wine\Fonts\Replacements'
env -u DISPLAY wine reg add "$replacements" /v Gulim /d NanumGothic /f
# The registry is written out when the server ends.
wineserver --wait
echo "$made_by" >"$GROUP_G_WINE_DIR/prefix.ready"

#!/usr/bin/env bash
# Makes the Wine test prefix once per build folder: 64-bit, with "Gulim" (the
# face Wine links to its dialog font for Hangul) replaced by Nanum Gothic so
# boxes draw Hangul in any locale, as docs/windows.md tells users; and UTF-8
# Korean, German and English locales (Wine names files in its locale's encoding).
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
for locale in ko_KR de_DE en_US; do
  # localedef also fails on mere warnings; the locale's files decide.
  localedef -i $locale -f UTF-8 "$LOCPATH/$locale.UTF-8" || true
  [ -f "$LOCPATH/$locale.UTF-8/LC_CTYPE" ] || { echo "no $locale.UTF-8 locale made (locales)" >&2; exit 1; }
done

# No display: the prefix is made without windows.
env -u DISPLAY wineboot --init
replacements='HKCU\Software\Wine\Fonts\Replacements'
env -u DISPLAY wine reg add "$replacements" /v Gulim /d NanumGothic /f
# The registry is written out when the server ends.
wineserver --wait
echo "$made_by" >"$GROUP_G_WINE_DIR/prefix.ready"

#!/usr/bin/env bash
# package_e2e.sh PACKAGE_BUILD_DIR PACKAGE_JOURNEY: builds the Debian package
# (tools/build_package.sh), checks it with lintian, desktop-file-validate and
# appstreamcli, installs it (with apt as root when no copy is installed, else
# into a scratch root; GROUP_G_PACKAGE_INSTALL=system or scratch forces one),
# runs PACKAGE_JOURNEY on the installed program, removes it and checks that
# nothing of it is left.
set -euo pipefail
here="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:?package build folder}"
journey="${2:?package journey program}"
mkdir -p "$build" && build="$(cd "$build" && pwd)"
ARTIFACTS="$build/test-artifacts"
rm -rf "$ARTIFACTS" && mkdir -p "$ARTIFACTS"

fail() { echo "FAIL: $*" >&2; exit 1; }

deb=$("$here/tools/build_package.sh" "$build") || fail "the package did not build"
[ -f "$deb" ] || fail "build_package.sh named no package file (got '$deb')"
echo "package: $deb"
version=$(dpkg-deb -f "$deb" Version)
[ "$(basename "$deb")" = "group-g_${version}_amd64.deb" ] ||
  fail "package file name: expected group-g_${version}_amd64.deb, got $(basename "$deb")"

# ---- The package's fields and files

[ "$(dpkg-deb -f "$deb" Section)" = games ] || fail "section: expected games, got $(dpkg-deb -f "$deb" Section)"
depends=$(dpkg-deb -f "$deb" Depends)
for needed in fonts-comic-neue libsdl2-2.0-0 libfreetype6 libfontconfig1; do
  grep -q "\\b$needed\\b" <<<"$depends" || fail "Depends lacks $needed: $depends"
done
recommends=$(dpkg-deb -f "$deb" Recommends)
grep -q "\\blibdecor-0-plugin-1-cairo\\b" <<<"$recommends" ||
  fail "Recommends lacks the decorations plugin: $recommends"

contents="$ARTIFACTS/contents"
dpkg-deb -x "$deb" "$contents"
for f in usr/games/group_g usr/games/bmpcheck \
         usr/share/games/group-g/{KOREA,TOGO,BACK,FRANCE,SWIS}.bmp \
         usr/share/icons/hicolor/{48x48,64x64,128x128}/apps/group-g.png \
         usr/share/man/man6/group_g.6.gz usr/share/man/man1/bmpcheck.1.gz \
         usr/share/doc/group-g/copyright usr/share/doc/group-g/changelog.gz; do
  [ -f "$contents/$f" ] || fail "not in the package: $f"
done
entries=("$contents"/usr/share/applications/*.desktop)
metainfo=("$contents"/usr/share/metainfo/*.metainfo.xml)
[ ${#entries[@]} -eq 1 ] && [ -f "${entries[0]}" ] || fail "expected one desktop entry, found ${entries[*]}"
[ ${#metainfo[@]} -eq 1 ] && [ -f "${metainfo[0]}" ] || fail "expected one metainfo file, found ${metainfo[*]}"
grep -q '^Exec=/usr/games/group_g$' "${entries[0]}" || fail "desktop entry: $(grep ^Exec= "${entries[0]}")"
grep -q '^Path=' "${entries[0]}" && fail "the desktop entry still sets a working folder"
grep -q '<screenshot' "${metainfo[0]}" || fail "the metainfo names no screenshot"

# ---- The tools a distribution would run on it

lintian --fail-on error,warning --display-info "$deb" >"$ARTIFACTS/lintian.txt" 2>&1 ||
  fail "lintian: $(grep -E '^[EW]:' "$ARTIFACTS/lintian.txt" | head -n 10)"
grep -E '^[IP]:' "$ARTIFACTS/lintian.txt" | sed 's/^/lintian note: /' || true
desktop-file-validate "${entries[0]}" >"$ARTIFACTS/desktop.txt" 2>&1 ||
  fail "desktop-file-validate: $(cat "$ARTIFACTS/desktop.txt")"
appstreamcli validate-tree --no-net "$contents" >"$ARTIFACTS/appstream.txt" 2>&1 ||
  fail "appstreamcli: $(cat "$ARTIFACTS/appstream.txt")"
for page in usr/share/man/man6/group_g.6.gz usr/share/man/man1/bmpcheck.1.gz; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$contents/$page" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page: $warnings"
done

# ---- Installing

root=""
installed_here=0
mode=${GROUP_G_PACKAGE_INSTALL:-auto}
if [ "$mode" = auto ]; then
  mode=scratch
  if [ "$(id -u)" -eq 0 ]; then
    # One system install at a time, and never over a copy installed for use.
    exec 9>/run/lock/group-g-package-test.lock
    flock -w 1800 9 || fail "another package test holds the install lock"
    dpkg-query -W -f='${Status}' group-g 2>/dev/null | grep -q 'ok installed' ||
      mode=system
  fi
fi

remove_package() {
  if [ "$mode" = system ]; then
    apt-get purge -y -qq -o DPkg::Lock::Timeout=600 group-g >"$ARTIFACTS/purge.log" 2>&1
  else
    dpkg --root="$root" --force-not-root --force-script-chrootless --log=/dev/null \
      --purge group-g >"$ARTIFACTS/purge.log" 2>&1
  fi
}

# Whatever happens, a package this test installed is removed again.
finish() {
  if [ "$installed_here" -eq 1 ]; then remove_package || true; fi
  if [ -n "$root" ]; then rm -rf "$root"; fi
}
trap finish EXIT

if [ "$mode" = system ]; then
  echo "installing into the system with apt"
  installed_here=1
  apt-get install -y -qq -o DPkg::Lock::Timeout=600 "$deb" >"$ARTIFACTS/install.log" 2>&1 ||
    fail "apt-get install: $(tail -n 5 "$ARTIFACTS/install.log")"
else
  root=$(mktemp -d /tmp/group-g-root.XXXXXX)
  echo "installing into the scratch root $root"
  mkdir -p "$root/var/lib/dpkg/info" "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/triggers"
  touch "$root/var/lib/dpkg/status"
  installed_here=1
  # The scratch root has none of the libraries; the host's serve instead.
  dpkg --root="$root" --force-depends --force-not-root --force-script-chrootless \
    --log=/dev/null -i "$deb" >"$ARTIFACTS/install.log" 2>&1 ||
    fail "dpkg --root -i: $(tail -n 5 "$ARTIFACTS/install.log")"
fi
dpkg_query() { dpkg-query ${root:+--admindir="$root/var/lib/dpkg"} "$@"; }
dpkg_query -W -f='${Status}' group-g | grep -q 'ok installed' || fail "dpkg does not list group-g as installed"

program="$root/usr/games/group_g"
[ -x "$program" ] || fail "no installed program at $program"
"$program" --version >"$ARTIFACTS/version.txt" || fail "group_g --version failed"
[ "$(cat "$ARTIFACTS/version.txt")" = "group_g $version" ] ||
  fail "group_g --version: expected 'group_g $version', got '$(cat "$ARTIFACTS/version.txt")'"
"$program" --help >"$ARTIFACTS/help.txt" || fail "group_g --help failed"
grep -q "taken from $root/usr/share/games/group-g\." "$ARTIFACTS/help.txt" ||
  fail "group_g --help does not name the installed pictures' folder: $(grep -A1 'not there' "$ARTIFACTS/help.txt")"
"$root/usr/games/bmpcheck" "$root"/usr/share/games/group-g/*.bmp >"$ARTIFACTS/bmpcheck.txt" 2>&1 ||
  fail "the installed bmpcheck does not pass the installed pictures: $(cat "$ARTIFACTS/bmpcheck.txt")"

# ---- The installed program, started from an empty folder

GROUP_G_INSTALLED_PROGRAM="$program" "$journey" --gtest_brief=1 >"$ARTIFACTS/journey.log" 2>&1 ||
  fail "the installed program's journey: $(grep -E -A3 'Failure|FAILED' "$ARTIFACTS/journey.log" | head -n 20)"
grep -q '\[  PASSED  \] 1 test' "$ARTIFACTS/journey.log" ||
  fail "the installed program's journey did not run: $(tail -n 5 "$ARTIFACTS/journey.log")"

# ---- Removing

remove_package || fail "removing the package: $(tail -n 5 "$ARTIFACTS/purge.log")"
installed_here=0
status=$(dpkg_query -W -f='${Status}' group-g 2>/dev/null || true)
case "$status" in ""|*not-installed) ;; *) fail "after removal dpkg still has group-g: $status" ;; esac
# The package's own files (not the folders it shares) and its two folders.
left=()
for f in $(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }') \
         /usr/share/games/group-g /usr/share/doc/group-g; do
  [ -e "$root$f" ] && left+=("$f")
done
[ ${#left[@]} -eq 0 ] || fail "left behind after removal: ${left[*]}"
echo "ok"

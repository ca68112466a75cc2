#!/usr/bin/env bash
# install_deps.sh [--tests] [--print | --check]: installs the Debian packages
# that are missing, as root or through sudo. Alone: what building and running
# the program needs (its package and its headless run included); --tests adds
# what the test command needs. --print lists the chosen set, one a line, and
# installs nothing; --check installs nothing and says (and exits 1) when some
# are missing.
set -euo pipefail

# Building, packaging and running the program (on Wayland too: the protocol
# glue and the plugin that draws the window's title bar), and the headless
# run of tools/run_presentation.sh. One package a line.
run_packages=(
  cmake g++ make pkg-config
  libsdl2-dev libgl-dev libglu1-mesa-dev libgl1-mesa-dri libx11-dev libxrandr-dev
  libfreetype-dev libfontconfig-dev fonts-comic-neue
  libgtk-3-dev fonts-nanum
  libpng-dev
  libwayland-dev libwayland-bin wayland-protocols libdecor-0-dev libdecor-0-plugin-1-cairo
  dpkg-dev file
  xvfb xauth xdotool imagemagick
)

# What tools/run_tests.sh needs beyond the above: the test and benchmark
# libraries, the window manager, the sanitizer and fuzzer runtimes, the
# package checks, the Wayland compositors the journeys nest in the test's
# display (Mutter runs in a session bus of its own), the accessibility bus
# and its client library (the boxes read as a screen reader reads them), the
# Windows cross build, its setup program (NSIS) and Wine, and icoutils to
# read the Windows programs' resources back.
test_packages=(
  libgtest-dev libosmesa6-dev libstb-dev libxtst-dev libxdamage-dev
  openbox x11-utils
  mutter weston dbus-daemon
  at-spi2-core libatspi2.0-dev
  clang libclang-rt-14-dev
  lintian desktop-file-utils appstream
  g++-mingw-w64-x86-64 wine wine64 locales unzip
  nsis icoutils
)

tests=0 action=install
for arg in "$@"; do
  case $arg in
    --tests) tests=1 ;;
    --print) action=print ;;
    --check) action=check ;;
    *) echo "usage: $0 [--tests] [--print | --check]" >&2; exit 2 ;;
  esac
done

packages=("${run_packages[@]}")
[ $tests -eq 1 ] && packages+=("${test_packages[@]}")

if [ $action = print ]; then
  printf '%s\n' "${packages[@]}"
  exit 0
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ $action = check ]; then
  echo "Missing: ${missing[*]}"
  exit 1
fi

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

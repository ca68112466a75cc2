#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need,
# only those that are missing. Run as root, or with sudo available.
# With --check it installs nothing and only says (and exits 1) when some
# are missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libsdl2-dev libgl-dev libglu1-mesa-dev libosmesa6-dev libgl1-mesa-dri
  libfreetype-dev libfontconfig-dev fonts-comic-neue
  libgtk-3-dev fonts-nanum
  libpng-dev libstb-dev libgtest-dev libx11-dev libxtst-dev libxdamage-dev
  xvfb xauth xdotool x11-utils openbox imagemagick
  clang libclang-rt-14-dev
  dpkg-dev file lintian desktop-file-utils appstream
  g++-mingw-w64-x86-64 wine wine64 locales unzip
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "${1:-}" = --check ]; then
  echo "Missing: ${missing[*]}"
  exit 1
fi

echo "Installing: ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

#!/usr/bin/env bash
# Installs whatever the build, the game and the tests need from Debian's
# packages. Packages that are already there are left alone, so on a prepared
# machine this neither needs the network nor root.
set -euo pipefail

need=(cmake g++ make pkg-config ccache
      qt6-base-dev qt6-multimedia-dev libqt6multimedia6
      # gamepads
      libsdl2-dev
      # internet play: the router's port mapping, and TLS
      libminiupnpc-dev libnatpmp-dev libssl-dev
      libgtest-dev libgmock-dev googletest
      xvfb xdotool x11-utils xauth libx11-dev fonts-dejavu-core fonts-liberation2 imagemagick
      # the Debian package (scripts/package.sh) and its test
      dpkg-dev file strace desktop-file-utils appstream lintian)
[ "${TESSARIN_DEPS_EXTRA:-}" ] && need+=(${TESSARIN_DEPS_EXTRA})

missing=()
for p in "${need[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing from Debian's packages: ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || { echo "Please run as root or install sudo." >&2; exit 1; }
    sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"

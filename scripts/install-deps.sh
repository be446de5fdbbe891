#!/usr/bin/env bash
# Installs whatever the build and the tests need from Debian's packages.
# Used by both README commands and by CI; does nothing when all is there.
set -euo pipefail
PKGS=(cmake g++ make pkg-config libsdl1.2-dev libmikmod-dev libgtest-dev libbenchmark-dev
      xvfb xauth xdotool imagemagick sox openmpt123 xmp python3 python3-pil clang
      binutils-arm-none-eabi libunicorn-dev libfreetype-dev fonts-dejavu-core)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi

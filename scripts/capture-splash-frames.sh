#!/usr/bin/env bash
# Captures the splash at a few moments and writes them as PNG pictures
# under docs/splash/ (needs a build with vorn-capture and ImageMagick).
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p docs/splash
for t in 300 2500 5000 7000 10000; do
  "$BUILD/vorn-capture" --at "$t" --out "$tmp/splash_$t.bmp"
  convert "$tmp/splash_$t.bmp" -strip "docs/splash/splash_$t.png"
done

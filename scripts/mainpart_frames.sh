#!/usr/bin/env bash
# Captures the main part at one moment per section, converts the frames to
# PNG under docs/mainpart/ and puts them on one contact sheet.
#   bash scripts/mainpart_frames.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
OUT=docs/mainpart
mkdir -p "$OUT"
TMP=$(mktemp -d)
trap 'rm -rf "$TMP"' EXIT
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

# presentation ms, display mode, file name, caption
SHOTS=(
  "13500 0 01-logo-opening     the-letters-open-in-sweep-order"
  "20000 0 02-logo-dissolve    letters-open-onto-plasma-and-streaks"
  "29625 0 03-wipe             the-nebula-rises"
  "33500 0 04-ring-title       ring-and-title"
  "56000 0 05-ribbon-greets    ribbon-and-greetings"
  "73500 0 06-wall-layers      wall-over-the-aurora"
  "82500 26 07-wall-pal        wall-in-PAL-geometry"
  "98500 0 08-track            track-over-the-dunes"
  "108000 0 09-track-fades     track-fading-out"
  "120000 0 10-the-end         the-end"
)
labels=()
for s in "${SHOTS[@]}"; do
  read -r ms mode name caption <<<"$s"
  "$BUILD/vorn-capture" --at "$ms" --mode "$mode" --out "$TMP/$name.bmp" >/dev/null
  convert "$TMP/$name.bmp" -strip -define png:exclude-chunks=date,time "$OUT/$name.png"
  labels+=(-label "$(printf '%s ms: %s' "$ms" "${caption//-/ }")" "$OUT/$name.png")
done
montage "${labels[@]}" -tile 5x -geometry 320x240+4+4 -pointsize 11 -background '#202020' -fill white -depth 8 \
  -strip -define png:exclude-chunks=date,time "$OUT/contact-sheet.png"
echo "wrote $OUT/*.png"

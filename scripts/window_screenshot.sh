#!/usr/bin/env bash
# Runs Vorn.exe in its real window under Xvfb and takes a picture of the
# window (the pictured handheld around the emulated screen) after a given
# number of seconds: docs/window.png by default.
# Usage: scripts/window_screenshot.sh [path/to/Vorn.exe] [output.png] [seconds]
# Needs xvfb, xdotool and imagemagick.
set -euo pipefail
exe=$(realpath "${1:-build/Vorn.exe}")
out=$(realpath -m "${2:-docs/window.png}")
wait_s="${3:-20}"

if [ -z "${VORN_IN_XVFB:-}" ]; then
  VORN_IN_XVFB=1 exec xvfb-run -a -s "-screen 0 1024x768x24 -noreset" "$0" "$exe" "$out" "$wait_s"
fi

unset SDL_VIDEODRIVER
work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
SDL_AUDIODRIVER=dummy "$exe" > log.txt 2>&1 &
pid=$!

win=""
for _ in $(seq 100); do
  win=$(xdotool search --name "Vorn" 2>/dev/null | head -n1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "no window"; cat log.txt; exit 1; }
# Park the pointer over the top face button so its highlight shows.
xdotool mousemove --window "$win" 582 93 2>/dev/null || true
sleep "$wait_s"
mkdir -p "$(dirname "$out")"
import -window "$win" "$out"
echo "wrote $out"

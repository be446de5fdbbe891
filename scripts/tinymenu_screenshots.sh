#!/usr/bin/env bash
# Runs Vorn.exe in its real window under Xvfb, presses keypad + and then
# Page Down through the X server, and takes a picture of the window each
# time: docs/volume-indicator.png and docs/tiny-menu.png. Then leaves
# through the menu with mouse clicks on the pictured handheld.
# Usage: scripts/tinymenu_screenshots.sh [path/to/Vorn.exe] [output dir]
# Needs xvfb, xdotool and imagemagick.
set -euo pipefail
exe=$(realpath "${1:-build/Vorn.exe}")
out=$(realpath "${2:-docs}")
mkdir -p "$out"

if [ -z "${VORN_IN_XVFB:-}" ]; then
  # A display number of its own, so that runs side by side do not race.
  # The server must not reset when a client leaves: the window system
  # looks at the display once and then opens it again, and a reset in
  # between turns the second away. Should a server still turn us away,
  # the run ends with 75 and another server tries.
  for _ in 1 2 3; do
    rc=0
    VORN_IN_XVFB=1 xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 1024x768x24 -noreset" "$0" "$exe" "$out" || rc=$?
    [ "$rc" -eq 75 ] || exit "$rc"
  done
  exit 1
fi

work=$(mktemp -d)
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$work"' EXIT
cd "$work"
SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy "$exe" > log.txt 2>&1 &
pid=$!

win=""
for _ in $(seq 200); do
  win=$(xdotool search --name "Vorn" 2>/dev/null | head -n1 || true)
  [ -n "$win" ] && break
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if [ -z "$win" ]; then
  echo "no window"
  tail -c 2000 log.txt
  grep -q "open X11 display" log.txt && exit 75
  exit 1
fi
xdotool windowfocus --sync "$win" 2>/dev/null || xdotool windowfocus "$win"

# The indicator, over the main part's picture: shown for two seconds after
# the press. The viewer's forward key takes the show to the main part's
# start (12 s) instead of waiting for it.
xdotool key --window "$win" F5
sleep 2
xdotool key --window "$win" KP_Add
sleep 0.6
import -window "$win" "$out/volume-indicator.png"

# The menu: its fade-in takes 320 ms. While it is open the picture stands
# still, so later pictures differ only where the menu's opacity pulses:
# inside its 32x32 square. The pulse takes 1750 ms and has few levels, so
# two pictures may catch the same one: up to four more over two seconds.
sleep 4
xdotool key --window "$win" Next
sleep 1.0
import -window "$win" "$out/tiny-menu.png"
bw=1 bh=1
for _ in 1 2 3 4; do
  sleep 0.5
  import -window "$win" "$work/menu-later.png"
  box=$(convert "$out/tiny-menu.png" "$work/menu-later.png" -compose difference -composite \
        -threshold 0 -trim -format "%w %h" info: 2>/dev/null)
  read -r bw bh <<< "$box"
  if [ "$bw" -gt 40 ] || [ "$bh" -gt 40 ]; then
    break
  fi
  if [ "$bw" -ge 8 ] && [ "$bh" -ge 8 ]; then
    break
  fi
done
if [ "$bw" -lt 8 ] || [ "$bw" -gt 40 ] || [ "$bh" -lt 8 ] || [ "$bh" -gt 40 ]; then
  echo "the menu should be the only change while paused; changed area ${bw}x${bh}"
  exit 1
fi

# Leave by clicking the pictured handheld: the stick's right side (one step
# back, to the last item), then the right small button (confirm). Had a
# click been lost, confirming would resume instead and the program go on.
click() {
  xdotool mousemove --window "$win" "$1" "$2" mousedown 1
  sleep 0.15
  xdotool mouseup 1
  sleep 0.6
}
click 114 127
click 611 224
for _ in $(seq 100); do
  kill -0 "$pid" 2>/dev/null || break
  sleep 0.1
done
if kill -0 "$pid" 2>/dev/null; then
  echo "Vorn.exe did not leave through the menu"
  exit 1
fi
wait "$pid"
echo "wrote $out/volume-indicator.png and $out/tiny-menu.png"

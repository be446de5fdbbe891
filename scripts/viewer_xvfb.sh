#!/usr/bin/env bash
# Vorn.exe's viewer keys in its real window under Xvfb, keys and clicks sent
# through the X server. Two groups:
#   window: window sizes at scale 2 and 3 (config.txt asks for 4, which does
#           not fit), full screen centred at an integer scale, the help, and
#           a short click on the pictured leave button at scale 3.
#   clock:  moving forward by music positions (module and clock agree),
#           pause holding picture and clock, one frame step, screenshots
#           (equal to vorn-capture --at), a hidden OSD layer, resuming from
#           the paused time, and SIGTERM ending the program in the keyboard's
#           device mode.
# Usage: scripts/viewer_xvfb.sh path/to/Vorn.exe path/to/vorn-capture window|clock [docs]
# With a folder as fourth argument the window group also leaves its scale 2
# and help pictures there (viewer-scale2.png, viewer-help.png).
# Needs xvfb, xdotool, imagemagick and python3-pil.
set -euo pipefail
exe=$(realpath "$1")
cap=$(realpath "$2")
group="$3"
docs=${4:+$(realpath "$4")}

if [ -z "${VORN_IN_XVFB:-}" ]; then
  # A display number of its own, so that runs side by side do not race.
  VORN_IN_XVFB=1 exec xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 2000x1200x24 -noreset" "$0" "$@"
fi

# The system's Python, which has PIL, ahead of any other on the path.
PY=$(command -v /usr/bin/python3 || command -v python3)
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"
fail() { echo "FAIL: $*"; echo "--- program output:"; tail -c 3000 log.txt; exit 1; }

start() {
  # On a loaded machine the new server may not take a client at once: the
  # program is started again while it fails only to reach the display.
  for _ in 1 2 3 4 5; do
    SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy VORN_TRACE_CLOCK=1 "$exe" > log.txt 2>&1 &
    pid=$!
    win=""
    for _ in $(seq 200); do
      win=$(xdotool search --name "^Vorn" 2>/dev/null | head -n1 || true)
      [ -n "$win" ] && break
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    [ -n "$win" ] && break
    kill -0 "$pid" 2>/dev/null && break
    wait "$pid" 2>/dev/null || true
    pid=""
    grep -q "Couldn't open X11 display" log.txt || break
    sleep 1
  done
  [ -n "$win" ] || fail "no window"
  xdotool mousemove 1999 1199
}
key() { xdotool key --window "$win" "$@"; sleep 0.4; }
size() { xdotool getwindowgeometry "$win" | sed -n 's/.*Geometry: //p'; }
title() { xdotool getwindowname "$win"; }
shot() { import -window "$win" "$1"; }
same() { [ "$(compare -metric AE "$1" "$2" null: 2>&1 || true)" = "0" ]; }
# Whether a picture is its own half-size picture scaled up by nearest
# neighbour, i.e. made of k x k blocks.
blocks() { convert "$1" -sample "$((100 / $2))%" -sample "$((100 * $2))%" "$work/b.png"; same "$1" "$work/b.png"; }
ended() {
  for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
  ! kill -0 "$pid" 2>/dev/null || fail "$1"
  wait "$pid" || fail "exit status $? after $1"
  pid=""
}

case "$group" in
window)
  printf 'SCALE=4\n' > config.txt
  start
  # Into the main part, so the pictures show more than the splash.
  key F5
  key F5
  sleep 1
  [ "$(size)" = "1980x1140" ] || fail "scale 4 asked on a 2000x1200 screen: want 1980x1140, got $(size)"
  key F9
  [ "$(size)" = "1320x760" ] || fail "F9: want 1320x760, got $(size)"
  shot s2.png
  blocks s2.png 2 || fail "scale 2 is not a nearest-neighbour doubling"
  # The help over a paused picture: only a box in the middle changes.
  key F2
  shot before.png
  key F1
  shot help.png
  key F1
  shot after.png
  same before.png after.png || fail "F1 twice should give the picture back"
  box=$(convert before.png help.png -compose difference -composite -threshold 0 -trim -format "%w %h %X %Y" info:)
  read -r bw bh bx by <<< "$box"
  { [ "$bw" -gt 600 ] && [ "$bh" -gt 250 ] && [ "${bx#+}" -gt 100 ] && [ "${by#+}" -gt 100 ]; } ||
    fail "help box ${bw}x${bh} at $bx,$by"
  if [ -n "$docs" ]; then
    cp s2.png "$docs/viewer-scale2.png"
    cp help.png "$docs/viewer-help.png"
  fi
  key F2

  key F10
  [ "$(size)" = "1980x1140" ] || fail "F10: want 1980x1140, got $(size)"

  # Full screen over a paused picture: the scale 3 window, centred on black.
  key F2
  shot s3.png
  key F11
  sleep 0.5
  import -window root full.png
  "$PY" - full.png s3.png <<'EOF' || fail "full screen"
import sys
from PIL import Image
im, s3 = (Image.open(p).convert("RGB") for p in sys.argv[1:3])
assert im.size == (2000, 1200), im.size
# 660x380 at scale 3 is 1980x1140: 10 black columns, 30 black lines around.
assert im.getbbox() == (10, 30, 1990, 1170), im.getbbox()
assert im.crop((10, 30, 1990, 1170)).tobytes() == s3.tobytes(), "not the scale 3 picture"
EOF
  key F11
  [ "$(size)" = "1980x1140" ] || fail "back from full screen: want 1980x1140, got $(size)"
  key F2

  # A click shorter than a frame on the pictured leave button (at 9, 214 of
  # the unscaled window) ends the program.
  xdotool mousemove --window "$win" 27 642 click 1
  ended "a short click on the leave button at scale 3 did not end the program"
  ;;
clock)
  start
  sleep 1.5
  key F5
  key F5
  grep -q "^viewer: forward, time 12000 ms, module position 3$" log.txt || fail "F5 should land on 12000 ms, position 3"
  grep -q "^viewer: forward, time 18000 ms, module position 4$" log.txt || fail "F5 again should land on 18000 ms, position 4"
  key F2
  t=$(title | sed -n 's/.*paused at \([0-9]*\) ms.*/\1/p')
  [ -n "$t" ] || fail "no paused time in the title: $(title)"
  shot p1.png
  sleep 1
  shot p2.png
  same p1.png p2.png || fail "the picture moved while paused"
  [ "$(title | sed -n 's/.*paused at \([0-9]*\) ms.*/\1/p')" = "$t" ] || fail "the clock moved while paused"

  key F3
  t2=$(title | sed -n 's/.*paused at \([0-9]*\) ms.*/\1/p')
  want=$("$PY" -c "t=$t; k=t*60//1000+1
while k*1000//60 <= t: k += 1
print(k*1000//60)")
  [ "$t2" = "$want" ] || fail "F3 from $t ms: want $want, got $t2"
  shot p3.png
  ! same p2.png p3.png || fail "F3 did not change the picture"

  key F12
  key 3
  title | grep -q "hidden: OSD" || fail "title does not name the hidden OSD: $(title)"
  key F12
  key 3
  [ -f vorn-0001.png ] && [ -f vorn-0002.png ] || fail "F12 wrote no vorn-0001.png and vorn-0002.png"
  "$cap" --at "$t2" --out at.bmp > /dev/null 2>&1 || fail "vorn-capture --at $t2"
  "$PY" - vorn-0001.png vorn-0002.png at.bmp <<'EOF' || fail "screenshots"
import sys
from PIL import Image
shot, nosd, at = (Image.open(p).convert("RGB") for p in sys.argv[1:4])
assert shot.size == (320, 240), shot.size
assert shot.tobytes() == at.tobytes(), "F12 differs from vorn-capture --at"
a, b = shot.load(), nosd.load()
diff = sum(1 for y in range(240) for x in range(320) if a[x, y] != b[x, y])
# The formation goes, the background stays.
assert 50 < diff < 320 * 240 // 2, diff
assert len(set(nosd.getdata())) > 50, "nothing left without the OSD"
EOF

  # Resume from the paused time: paused again at least a second later, the
  # clock has moved on by at least that and by no more than the wall time
  # since the resume key (a busy machine only delays the keys).
  w0=$(date +%s%N)
  key F2
  sleep 1
  key F2
  t3=$(title | sed -n 's/.*paused at \([0-9]*\) ms.*/\1/p')
  wall=$((($(date +%s%N) - w0) / 1000000))
  [ -n "$t3" ] && [ "$t3" -ge $((t2 + 900)) ] && [ "$t3" -le $((t2 + wall + 50)) ] ||
    fail "resumed at $t2 ms, paused again ${wall} ms later at ${t3:-?} ms"
  key F2

  # In the keyboard's device mode the title says so and SIGTERM still ends
  # the program through its shut-down.
  key Scroll_Lock
  title | grep -q "USB device" || fail "title does not show the device mode: $(title)"
  kill -TERM "$pid"
  ended "SIGTERM in device mode did not end the program"
  ;;
*)
  echo "usage: $0 Vorn.exe vorn-capture window|clock"
  exit 2
  ;;
esac
echo "viewer $group: ok"

#!/usr/bin/env bash
# Runs Vorn.exe as a user would. Usage: program_test.sh <Vorn.exe> <case>
set -u
exe=$1
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

case $2 in
help)
  # No display at all: help must not even try to open one.
  out=$(env -u DISPLAY -u SDL_VIDEODRIVER -u SDL_AUDIODRIVER "$exe" '/?') || fail "exit status $?"
  expected=$'Vorn.exe [/?] [/music]\n  /?       HELP (this note)\n  /music   Extract music module to disk.'
  [ "$out" = "$expected" ] || fail "unexpected help text: $out"
  ;;
no-display)
  out=$(SDL_VIDEODRIVER=no-such-driver "$exe" 2>&1); rc=$?
  [ $rc -ne 0 ] || fail "a missing display must give a non-zero status"
  echo "$out" | grep -q "could not start the hardware layer: " || fail "no clear message: $out"
  [ "$(echo "$out" | grep -c 'could not')" -eq 1 ] || fail "one line expected: $out"
  ;;
full-run)
  # The real 126-second timeline, once: it ends by itself with status 0, on
  # time, with the music sounding throughout (recorded by SDL's disk driver,
  # which sleeps this long after each 1024-frame (23.2 ms) buffer; sleeps
  # overshoot a little, so 22 ms keeps the recording close to real time).
  start=$(date +%s)
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=disk SDL_DISKAUDIOFILE="$work/audio.raw" SDL_DISKAUDIODELAY=22 \
    timeout 220 "$exe" > out.txt 2>&1; rc=$?
  end=$(date +%s)
  [ $rc -eq 0 ] || fail "exit status $rc: $(cat out.txt)"
  [ $((end - start)) -ge 125 ] || fail "ended after $((end - start)) s"
  [ $((end - start)) -le 150 ] || fail "took $((end - start)) s"
  bytes=$(stat -c %s audio.raw)
  secs=$((bytes / 176400))
  [ $secs -ge 118 ] && [ $secs -le 140 ] || fail "recorded $secs s of 44.1 kHz 16-bit stereo"
  python3 - "$work/audio.raw" <<'PY' || fail "audio check"
import array, math, sys
data = array.array('h', open(sys.argv[1], 'rb').read())
rate = 44100 * 2
secs = len(data) // rate
def level(s):
    seg = data[s * rate:(s + 1) * rate:4]
    return 10 * math.log10(sum(x * x for x in seg) / len(seg) / 32768.0 ** 2 + 1e-12)
levels = [level(s) for s in range(secs)]
# The start-up and the end add a little silence; the music itself must be
# audible for about 126 s.
sounding = sum(1 for l in levels if l > -40)
print("seconds recorded", secs, "sounding", sounding)
if not 118 <= sounding <= 130:
    sys.exit("only %d sounding seconds" % sounding)
PY
  ;;
*) fail "unknown case $2" ;;
esac
echo "ok"

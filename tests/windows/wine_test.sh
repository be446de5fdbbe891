#!/usr/bin/env bash
# The Windows programs under Wine, checked against the Linux build:
#   bash tests/windows/wine_test.sh NATIVE_BUILD WINDOWS_BUILD
# NATIVE_BUILD has Vorn.exe and vorn-capture built; WINDOWS_BUILD has
# Vorn.exe and vorn-capture.exe from the cross build. The Wine prefix lives
# in WINDOWS_BUILD/wine and is made once. Needs wine64, xvfb and xdotool.
set -euo pipefail
if [ $# -ne 2 ]; then
  echo "usage: $0 NATIVE_BUILD WINDOWS_BUILD" >&2
  exit 2
fi
native=$(realpath "$1")
win=$(realpath "$2")
for f in "$native/Vorn.exe" "$native/vorn-capture" "$win/Vorn.exe" "$win/vorn-capture.exe"; do
  [ -f "$f" ] || { echo "wine_test: missing $f" >&2; exit 2; }
done

if [ -z "${VORN_IN_XVFB:-}" ]; then
  # A display number of its own, so that runs side by side do not race.
  VORN_IN_XVFB=1 exec xvfb-run -a -n $((200 + RANDOM % 600)) -s "-screen 0 1024x768x24 -noreset" "$0" "$@"
fi

wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
[ -x "$wine" ] || { echo "wine_test: wine64 not found" >&2; exit 2; }
export WINEPREFIX=$win/wine WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
# Wine plays through ALSA. Its default device is made the null one, so
# DirectSound opens and plays nowhere; or a card that is not there, for the
# run without sound.
printf 'pcm.!default { type null }\n' >"$win/asound-null.conf"
printf 'pcm.!default { type hw card 99 }\nctl.!default { type hw card 99 }\n' >"$win/asound-none.conf"
export ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$win/asound-null.conf"
if [ ! -f "$WINEPREFIX/.vorn-ready" ]; then
  start=$(date +%s)
  "$wine" wineboot -i >/dev/null 2>&1
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Audio /d alsa /f >/dev/null 2>&1
  "$wineserver" -w
  touch "$WINEPREFIX/.vorn-ready"
  echo "wine_test: Wine prefix made in $(($(date +%s) - start)) s"
fi

work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; rm -rf "$work"' EXIT
failures=0
fail() {
  echo "FAIL: $1"
  failures=$((failures + 1))
}
winpath() { echo "Z:${1//\//\\}"; }

# Help: usage and help lines in "stdout.txt" of the working directory.
mkdir "$work/help" && cd "$work/help"
status=0
"$wine" "$(winpath "$win/Vorn.exe")" '/?' >/dev/null 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "Vorn.exe /? ended with status $status"
(cd "$work" && env -u DISPLAY "$native/Vorn.exe" '/?' >expected-help.txt) || true
if [ ! -f stdout.txt ]; then
  fail "Vorn.exe /? wrote no stdout.txt in the working directory"
elif ! diff <(tr -d '\r' <stdout.txt) "$work/expected-help.txt" >/dev/null; then
  fail "Vorn.exe /? wrote other lines than the Linux build"
fi
[ ! -e "$win/stdout.txt" ] || fail "stdout.txt written beside the program"
[ ! -e stderr.txt ] || fail "stderr.txt left although nothing was written to it"

# Music: the same module as the Linux build's.
mkdir "$work/music" "$work/music-linux"
(cd "$work/music-linux" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$native/Vorn.exe" /MUSIC >/dev/null)
cd "$work/music"
status=0
"$wine" "$(winpath "$win/Vorn.exe")" /MUSIC >/dev/null 2>&1 || status=$?
[ "$status" -eq 0 ] || fail "Vorn.exe /MUSIC ended with status $status"
cmp -s "Amber Drift.it" "$work/music-linux/Amber Drift.it" || fail "Amber Drift.it differs from the Linux build's"
grep -q "Music saved -- Enjoy!!!" stdout.txt 2>/dev/null || fail "no 'Music saved' line in stdout.txt"

# Frames: the splash, a formation with text, and PAL.
mkdir "$work/frames" && cd "$work/frames"
for shot in "5000 0" "42000 0" "62000 26"; do
  read -r t mode <<<"$shot"
  "$native/vorn-capture" --at "$t" --mode "$mode" --out "linux-$t.bmp" >/dev/null 2>&1 ||
    { fail "Linux capture at $t failed"; continue; }
  status=0
  "$wine" "$(winpath "$win/vorn-capture.exe")" --at "$t" --mode "$mode" --out "windows-$t.bmp" >/dev/null 2>&1 ||
    status=$?
  if [ "$status" -ne 0 ]; then
    fail "vorn-capture.exe --at $t --mode $mode ended with status $status"
  elif ! cmp -s "linux-$t.bmp" "windows-$t.bmp"; then
    fail "frame at $t (mode $mode) differs from the Linux build's"
  fi
done

# The window: opens with its title, plays, and Escape ends it with status 0.
# $1 names the run; the rest is an environment for Wine (as env arguments).
play_and_leave() {
  local name=$1; shift
  # The suite runs with SDL's dummy drivers chosen; the window needs the real ones.
  "$@" env -u SDL_VIDEODRIVER -u SDL_AUDIODRIVER "$wine" "$(winpath "$win/Vorn.exe")" >/dev/null 2>&1 &
  pid=$!
  local wid=""
  for _ in $(seq 300); do
    wid=$(xdotool search --name '^Vorn by Zokatel$' 2>/dev/null | head -n1 || true)
    [ -n "$wid" ] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  if [ -z "$wid" ]; then
    fail "$name: no window titled 'Vorn by Zokatel'"
    kill "$pid" 2>/dev/null || true
  else
    sleep 3
    kill -0 "$pid" 2>/dev/null || fail "$name: Vorn.exe ended on its own"
    xdotool windowactivate --sync "$wid" 2>/dev/null || xdotool windowfocus "$wid" 2>/dev/null || true
    xdotool key --window "$wid" Escape
    for _ in $(seq 100); do
      kill -0 "$pid" 2>/dev/null || break
      sleep 0.1
    done
    if kill -0 "$pid" 2>/dev/null; then
      fail "$name: Escape did not end Vorn.exe"
      kill "$pid" 2>/dev/null || true
    fi
  fi
  status=0
  wait "$pid" || status=$?
  pid=""
  [ "$status" -eq 0 ] || fail "$name: Vorn.exe in its window ended with status $status"
}

mkdir "$work/window" && cd "$work/window"
play_and_leave window env
if grep -q "Could not init sound" stdout.txt 2>/dev/null; then
  fail "DirectSound did not open: $(tr -d '\r' <stdout.txt | grep 'Could not')"
fi

# No sound device: the message, then the presentation plays silently until
# Escape, ending with status 0.
mkdir "$work/nosound" && cd "$work/nosound"
play_and_leave nosound env ALSA_CONFIG_PATH="/usr/share/alsa/alsa.conf:$win/asound-none.conf"
grep -q "^Could not init sound: " stdout.txt 2>/dev/null || fail "no 'Could not init sound' line without a sound device"
grep -q "playing without sound" stderr.txt 2>/dev/null || fail "no 'playing without sound' line without a sound device"

"$wineserver" -k 2>/dev/null || true
if [ "$failures" -ne 0 ]; then
  echo "wine_test: $failures check(s) failed"
  exit 1
fi
echo "wine_test: help, music, frames and window all as on Linux"

#!/usr/bin/env bash
# The music as a user meets it: "/MUSIC" extraction and the module in two
# independent players.
# Usage: music_program_test.sh <Vorn.exe> <generated module> <case>
set -u
exe=$1
module=$2
fail() { echo "FAIL: $*"; exit 1; }
skip() { echo "SKIP: $*"; exit 77; }
work=$(mktemp -d)
pid=""
trap '[ -n "$pid" ] && kill "$pid" 2>/dev/null; chmod -R u+w "$work" 2>/dev/null; rm -rf "$work"' EXIT
cd "$work"

# Seconds in "MM:SS.mmm" or "XminYYs" -> milliseconds.
to_ms() {
  case $1 in
    *min*s) local m=${1%%min*} s=${1#*min}; s=${s%s}; echo $(( (10#$m * 60 + 10#$s) * 1000 )) ;;
    *:*) local m=${1%%:*} r=${1#*:}; local s=${r%%.*} f=${r#*.}; echo $(( (10#$m * 60 + 10#$s) * 1000 + 10#$f )) ;;
    *) echo -1 ;;
  esac
}

case $3 in
extract)
  out=$(SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$exe" /MUSIC extra args); rc=$?
  [ $rc -eq 0 ] || fail "exit status $rc"
  [ "$(echo "$out" | head -n1)" = 'Vorn.exe [/?] [/music]' ] || fail "no usage line first: $out"
  [ "$(echo "$out" | tail -n1)" = 'Music saved -- Enjoy!!!' ] || fail "no success line last: $out"
  cmp "Amber Drift.it" "$module" || fail "written module differs from the embedded one"
  # An existing file is overwritten.
  echo junk > "Amber Drift.it"
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$exe" /MUSIC > /dev/null || fail "second extraction failed"
  cmp "Amber Drift.it" "$module" || fail "existing file not overwritten"
  ;;
extract-fails)
  # Places no one can write into, root included: a name taken by a
  # directory, and a directory of the proc file system.
  mkdir -p blocked/"Amber Drift.it"
  for dir in blocked /proc; do
    out=$(cd "$dir" && SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$exe" /MUSIC); rc=$?
    [ $rc -eq 255 ] || fail "in $dir: exit status $rc, expected 255"
    [ "$(echo "$out" | tail -n1)" = 'Error: could not write on disk.' ] || fail "in $dir: no error line last: $out"
    echo "$out" | grep -q 'Music saved' && fail "in $dir: claims success: $out"
  done
  # Room for less than the module (a file size limit stands in for a full
  # disk), and a link under the module's name: an error, and nothing written.
  mkdir small linked
  ln -s "$work/target" linked/"Amber Drift.it"
  for dir in small linked; do
    out=$(cd "$dir" && trap '' XFSZ && ulimit -f 100 &&
          SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy "$exe" /MUSIC 2> ../err.txt); rc=$?
    [ $rc -eq 255 ] || fail "in $dir: exit status $rc, expected 255"
    [ "$(echo "$out" | tail -n1)" = 'Error: could not write on disk.' ] || fail "in $dir: no error line last: $out"
    grep -q '^Amber Drift.it: .' err.txt || fail "in $dir: no reason given: $(cat err.txt)"
  done
  [ -z "$(ls -A small)" ] || fail "left behind: $(ls -A small)"
  [ ! -e target ] && [ -L linked/"Amber Drift.it" ] || fail "written through the link"
  ;;
no-sound)
  # No audio device: the failure is reported, one line says the show goes on
  # silently, and it does (still running 1.5 s after that line, then
  # stopped; the runtime test plays it to its end on a scripted clock).
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=no-such-driver "$exe" > out.txt 2> err.txt & pid=$!
  for _ in $(seq 100); do
    grep -q 'without sound' err.txt && break
    kill -0 $pid 2> /dev/null || break
    sleep 0.1
  done
  sleep 1.5
  kill -0 $pid 2> /dev/null; alive=$?
  kill -TERM $pid 2> /dev/null
  wait $pid; rc=$?
  pid=""
  [ $alive -eq 0 ] || fail "ended by itself with status $rc: $(cat out.txt err.txt)"
  grep -q '^Could not init sound: .' out.txt || fail "no message: $(cat out.txt)"
  [ "$(grep -c 'without sound' err.txt)" -eq 1 ] || fail "no single line on standard error: $(cat err.txt)"
  ;;
openmpt123)
  command -v openmpt123 > /dev/null || skip "openmpt123 not installed"
  info=$(openmpt123 --info "$module" 2>&1) || fail "openmpt123 could not read the module: $info"
  echo "$info" | grep -q '^Title\.*: Amber Drift$' || fail "title: $info"
  echo "$info" | grep -q '^Orders\.*: 22$' || fail "order count: $info"
  d=$(echo "$info" | sed -n 's/^Duration\.*: *//p')
  ms=$(to_ms "$d")
  [ "$ms" -ge 125500 ] && [ "$ms" -le 126500 ] || fail "duration $d"
  ;;
xmp)
  command -v xmp > /dev/null || skip "xmp not installed"
  info=$(xmp --load-only "$module" 2>&1) || fail "xmp could not read the module: $info"
  echo "$info" | grep -q '^Module name *: Amber Drift$' || fail "title: $info"
  echo "$info" | grep -q '^Module type *: Impulse Tracker' || fail "type: $info"
  d=$(echo "$info" | sed -n 's/^Duration *: *//p')
  ms=$(to_ms "$d")
  # xmp prints whole seconds: 2min06s stands for 125.5 to 126.5 s.
  [ "$ms" -eq 126000 ] || fail "duration $d"
  ;;
*) fail "unknown case $3" ;;
esac
echo "ok"

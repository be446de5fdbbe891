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
  # The empty timeline ends by itself after 126 s with status 0.
  start=$(date +%s)
  SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy timeout 200 "$exe" > out.txt; rc=$?
  end=$(date +%s)
  [ $rc -eq 0 ] || fail "exit status $rc"
  [ $((end - start)) -ge 125 ] || fail "ended after $((end - start)) s"
  [ $((end - start)) -le 150 ] || fail "took $((end - start)) s"
  ;;
*) fail "unknown case $2" ;;
esac
echo "ok"

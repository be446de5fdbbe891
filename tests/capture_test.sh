#!/usr/bin/env bash
# vorn-capture as a user runs it. Usage: capture_test.sh <vorn-capture> <case>
set -u
cap=$1
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
cd "$work"

wav_samples() { echo $(( ($(stat -c %s "$1") - 44) / 4 )); }

case $2 in
repeatable)
  # Two captures of the same range are byte-identical, frames and sound.
  "$cap" --from 11000 --to 13000 --fps 30 --out a > /dev/null || fail "first capture"
  "$cap" --from 11000 --to 13000 --fps 30 --out b > /dev/null || fail "second capture"
  [ "$(ls a | grep -c '^frame_.*\.bmp$')" -eq 60 ] || fail "expected 60 frames, got $(ls a)"
  diff -r a b > /dev/null || fail "captures differ"
  [ "$(wav_samples a/audio.wav)" -eq $((2 * 44100)) ] || fail "audio length $(wav_samples a/audio.wav)"
  ls -A a | grep -q '^\.' && fail "hidden leftovers: $(ls -A a)"
  ;;
exact-audio)
  # 7 fps does not divide 44100 evenly per millisecond; samples are still exact.
  "$cap" --from 0 --to 3000 --fps 7 --out c > /dev/null || fail "capture"
  [ "$(ls c | grep -c '^frame_')" -eq 21 ] || fail "frame count"
  [ "$(wav_samples c/audio.wav)" -eq $((21 * 44100 / 7)) ] || fail "audio length $(wav_samples c/audio.wav)"
  ;;
at-equals-range)
  "$cap" --from 20000 --to 20100 --fps 20 --out r > /dev/null || fail "range"
  "$cap" --at 20050 --out one.bmp > /dev/null || fail "single"
  cmp -s one.bmp r/frame_000001.bmp || fail "--at 20050 differs from the range's frame at 20050"
  [ "$(stat -c %s one.bmp)" -eq 230454 ] || fail "LCD frame size"
  "$cap" --at 20050 --mode 26 --out pal.bmp > /dev/null || fail "PAL"
  [ "$(stat -c %s pal.bmp)" -eq 1244214 ] || fail "PAL frame size"
  "$cap" --at 20050 --window --out win.bmp > /dev/null || fail "window"
  [ "$(stat -c %s win.bmp)" -eq $((54 + 660 * 380 * 3)) ] || fail "window size"
  ls -A | grep -q partial && fail "leftover dump file"
  ;;
errors)
  "$cap" > /dev/null 2>&1; [ $? -eq 2 ] || fail "no options"
  "$cap" --at x --out f.bmp > /dev/null 2>&1; [ $? -eq 2 ] || fail "bad time"
  "$cap" --from 10 --to 5 --fps 30 --out d > /dev/null 2>&1; [ $? -eq 2 ] || fail "empty range"
  "$cap" --at 5 --from 1 --out d > /dev/null 2>&1; [ $? -eq 2 ] || fail "both forms"
  "$cap" --at 5 --mode 40 --out f.bmp > /dev/null 2>&1; [ $? -eq 2 ] || fail "bad mode"
  "$cap" --bogus > /dev/null 2>&1; [ $? -eq 2 ] || fail "unknown option"
  # An output directory that cannot be written.
  mkdir ro; chmod 555 ro
  if [ "$(id -u)" -ne 0 ]; then
    "$cap" --from 0 --to 100 --fps 30 --out ro/x > out.txt 2>&1; [ $? -eq 1 ] || fail "unwritable dir"
  fi
  # Even root cannot create a directory here.
  "$cap" --from 0 --to 100 --fps 30 --out /proc/vorn-capture-test > out.txt 2>&1; [ $? -eq 1 ] || fail "dir under /proc"
  grep -q "cannot create" out.txt || fail "no message: $(cat out.txt)"
  touch plainfile
  "$cap" --from 0 --to 100 --fps 30 --out plainfile > out.txt 2>&1; [ $? -eq 1 ] || fail "output is a file"
  grep -q "vorn-capture: " out.txt || fail "no message: $(cat out.txt)"
  ;;
disk-full)
  # Files may not grow past 100 KiB: every frame write fails part-way.
  ( ulimit -f 100; trap '' XFSZ; "$cap" --from 0 --to 500 --fps 30 --out full > out.txt 2> err.txt ); rc=$?
  [ $rc -eq 1 ] || fail "status $rc"
  grep -q "disk full" err.txt || fail "no clear message: $(cat err.txt)"
  [ -z "$(ls full | grep -v '^$')" ] || fail "files left under final names: $(ls -A full)"
  ls -A full | grep -q . && fail "leftovers: $(ls -A full)"
  ;;
whole)
  # The whole presentation at 60 frames per second.
  start=$(date +%s%N)
  "$cap" --from 0 --to 126000 --fps 60 --out all > /dev/null || fail "capture"
  end=$(date +%s%N)
  [ "$(ls all | grep -c '^frame_')" -eq 7560 ] || fail "frame count $(ls all | grep -c '^frame_')"
  [ "$(wav_samples all/audio.wav)" -eq $((126 * 44100)) ] || fail "audio length"
  echo "whole presentation captured in $(( (end - start) / 1000000 )) ms"
  ;;
*) fail "unknown case $2" ;;
esac
echo ok

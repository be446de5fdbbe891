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
  # --at reaches its time through the frames a range from 0 shows: the
  # splash keeps its last picture, a key opens the menu on the way.
  "$cap" --from 0 --to 12000 --fps 20 --out s > /dev/null || fail "splash range"
  "$cap" --at 11900 --fps 20 --out s.bmp > /dev/null || fail "--at 11900"
  cmp -s s.bmp s/frame_000238.bmp || fail "--at 11900 differs from the range's frame"
  "$cap" --from 30900 --to 31100 --fps 60 --key 30000:pagedown --out m > /dev/null || fail "menu range"
  "$cap" --at 31000 --key 30000:pagedown --out m.bmp > /dev/null || fail "--at 31000 with a key"
  cmp -s m.bmp m/frame_000006.bmp || fail "--at 31000 with the menu differs from the range's frame"
  "$cap" --at 31000 --out plain.bmp > /dev/null || fail "--at 31000"
  cmp -s m.bmp plain.bmp && fail "no menu at 31000"
  [ -z "$(find . -name '.?*')" ] || fail "hidden leftovers: $(find . -name '.?*')"
  ;;
errors)
  "$cap" > /dev/null 2>&1; [ $? -eq 2 ] || fail "no options"
  "$cap" --at x --out f.bmp > /dev/null 2>&1; [ $? -eq 2 ] || fail "bad time"
  "$cap" --from 10 --to 5 --fps 30 --out d > /dev/null 2>&1; [ $? -eq 2 ] || fail "empty range"
  "$cap" --at 5 --from 1 --out d > /dev/null 2>&1; [ $? -eq 2 ] || fail "both forms"
  "$cap" --at 5 --mode 40 --out f.bmp > /dev/null 2>&1; [ $? -eq 2 ] || fail "bad mode"
  "$cap" --bogus > /dev/null 2>&1; [ $? -eq 2 ] || fail "unknown option"
  # Nothing past the presentation's end (126 s), refused at once.
  for args in "--at 126000" "--at 200000" "--at 4294967295" "--from 0 --to 126001 --fps 1" \
              "--at 5 --key 4294967200:pagedown:100" "--at 5 --key 4294967295:pagedown"; do
    timeout 10 "$cap" $args --out f.bmp > out.txt 2>&1; rc=$?
    [ $rc -eq 2 ] || fail "$args: status $rc"
    grep -q "vorn-capture: " out.txt || fail "$args: no message"
  done
  [ -e f.bmp ] && fail "wrote past the end"
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
outputs)
  # Only plain files are replaced, and only with --overwrite.
  # A device of our own (as root): a fault replaces it, not /dev/null.
  ln -s target.bmp link.bmp; mkfifo pipe.bmp; mkdir dir.bmp; echo old > old.bmp
  mknod null.bmp c 1 3 2> /dev/null || mkfifo null.bmp
  for out in null.bmp link.bmp pipe.bmp dir.bmp old.bmp; do
    "$cap" --at 1000 --out $out > /dev/null 2> err.txt; rc=$?
    [ $rc -eq 2 ] || fail "$out: status $rc"
    grep -q "vorn-capture: $out exists" err.txt || fail "$out: $(cat err.txt)"
  done
  [ -c null.bmp ] || [ -p null.bmp ] || fail "null.bmp replaced"
  [ -L link.bmp ] && [ ! -e target.bmp ] && [ -p pipe.bmp ] && [ -d dir.bmp ] ||
    fail "an output was touched"
  [ "$(cat old.bmp)" = old ] || fail "old.bmp replaced"
  grep -q -- --overwrite err.txt || fail "no word of --overwrite: $(cat err.txt)"
  "$cap" --at 1000 --overwrite --out old.bmp > /dev/null || fail "--overwrite"
  [ "$(stat -c %s old.bmp)" -eq 230454 ] || fail "old.bmp not replaced"
  "$cap" --at 1000 --overwrite --out link.bmp > /dev/null 2>&1; [ $? -eq 2 ] || fail "link replaced"
  # A range never mixes with an earlier one in its folder.
  "$cap" --from 0 --to 2000 --fps 60 --out r > /dev/null || fail "first range"
  "$cap" --from 2000 --to 3000 --fps 60 --out r > /dev/null 2> err.txt; rc=$?
  [ $rc -eq 2 ] || fail "second range: status $rc"
  grep -q -- --overwrite err.txt || fail "no word of --overwrite: $(cat err.txt)"
  [ "$(ls r | grep -c '^frame_')" -eq 120 ] || fail "first range touched"
  "$cap" --from 2000 --to 3000 --fps 60 --overwrite --out r > /dev/null || fail "--overwrite range"
  [ "$(ls r | grep -c '^frame_')" -eq 60 ] || fail "old frames left: $(ls r | grep -c '^frame_')"
  [ "$(wav_samples r/audio.wav)" -eq 44100 ] || fail "audio length $(wav_samples r/audio.wav)"
  [ -z "$(find . -name '.?*')" ] || fail "hidden leftovers: $(find . -name '.?*')"
  ;;
signals)
  # SIGTERM and SIGINT end a capture within a moment, leaving only whole
  # frames and no audio.
  set -m # background jobs keep SIGINT
  for sig in TERM INT; do
    "$cap" --from 0 --to 126000 --fps 60 --out $sig > /dev/null 2> err.txt & pid=$!
    for i in $(seq 300); do [ "$(ls $sig 2>/dev/null | grep -c '^frame_')" -ge 5 ] && break; sleep 0.1; done
    kill -$sig $pid
    start=$(date +%s)
    wait $pid; rc=$?
    [ $rc -gt 128 ] || fail "$sig: status $rc"
    [ $(( $(date +%s) - start )) -le 5 ] || fail "$sig: slow to end"
    grep -q "interrupted" err.txt || fail "$sig: no message: $(cat err.txt)"
    [ -e $sig/audio.wav ] && fail "$sig: audio.wav of a cut capture"
    [ -z "$(find $sig -name '.?*')" ] || fail "$sig: hidden leftovers"
    for f in $sig/frame_*; do [ "$(stat -c %s $f)" -eq 230454 ] || fail "$sig: $f cut"; done
  done
  ;;
*) fail "unknown case $2" ;;
esac
echo ok

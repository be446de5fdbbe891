#!/usr/bin/env bash
# vorn_render_music as a user meets it: arguments refused with status 2 and
# nothing written; a full disk (a file size limit) and a link or device as
# the output end in an error that leaves nothing behind.
set -u
exe=$1
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

"$exe" --help > help.txt || fail "--help: status $?"
grep -q '^usage: vorn_render_music OUT.wav' help.txt || fail "--help: $(cat help.txt)"
for args in "" "x.wav 200" "x.wav 0 30000" "x.wav abc" "x.wav -1" "x.wav 1e2" "x.wav 125 1.5" \
            "x.wav 1 2 3" "x.wav 4294967296" "-x"; do
  # shellcheck disable=SC2086
  "$exe" $args > /dev/null 2> err.txt; rc=$?
  [ $rc -eq 2 ] || fail "'$args': status $rc, expected 2"
  [ -s err.txt ] || fail "'$args': no message"
done
[ -z "$(ls -A | grep -v -e help.txt -e err.txt)" ] || fail "files written: $(ls -A)"

(trap '' XFSZ; ulimit -f 1000; exec "$exe" full.wav 2> err.txt); rc=$?
[ $rc -eq 1 ] || fail "full disk: status $rc, expected 1"
grep -q 'full.wav' err.txt || fail "full disk: no message: $(cat err.txt)"
ln -s /dev/null link.wav
"$exe" link.wav 0 1 2> err.txt; rc=$?
[ $rc -ne 0 ] && [ -L link.wav ] || fail "link: status $rc, link replaced or written"
[ -z "$(ls -A | grep -v -e help.txt -e err.txt -e link.wav)" ] || fail "left behind: $(ls -A)"

"$exe" ok.wav 86 1 || fail "86 s + 1 s: status $?"
[ "$(stat -c %s ok.wav)" -eq $((44 + 44100 * 4)) ] || fail "86 s + 1 s: $(stat -c %s ok.wav) bytes"
echo ok

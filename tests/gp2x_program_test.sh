#!/usr/bin/env bash
# Runs Vorn.gpe as a user of this machine would. Usage: gp2x_program_test.sh <Vorn.gpe> <case>
set -u
exe=$1
fail() { echo "FAIL: $*"; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

case $2 in
refuses)
  # Not the handheld and not asked for the simulated chip: one clear line
  # and a non-zero status, before any physical memory is opened.
  out=$(env -u VORN_SIMULATED_CHIP SDL_AUDIODRIVER=dummy "$exe" 2>/dev/null); rc=$?
  [ $rc -ne 0 ] || fail "must not run here: $out"
  [ "$(echo "$out" | grep -c 'refusing')" -eq 1 ] || fail "no clear message: $out"
  out=$(VORN_SIMULATED_CHIP=0 SDL_AUDIODRIVER=dummy "$exe" 2>/dev/null); rc=$?
  [ $rc -ne 0 ] || fail "VORN_SIMULATED_CHIP=0 must not select the simulated chip"
  ;;
help)
  out=$(env -u VORN_SIMULATED_CHIP "$exe" '/?') || fail "exit status $?"
  expected=$'Vorn.gpe [/?] [/music]\n  /?       HELP (this note)\n  /music   Extract music module to disk.'
  [ "$out" = "$expected" ] || fail "unexpected help text: $out"
  ;;
simulated-run)
  # The whole 126 simulated seconds, without display or sound device.
  out=$(VORN_SIMULATED_CHIP=1 SDL_AUDIODRIVER=dummy timeout 100 "$exe" 2>/dev/null); rc=$?
  [ $rc -eq 0 ] || fail "exit status $rc: $out"
  echo "$out" | grep -q "simulated chip" || fail "not on the simulated chip: $out"
  ;;
simulated-pal)
  # Started with a PAL television attached: the presentation runs in the
  # television's mode and ends normally.
  out=$(VORN_SIMULATED_CHIP=pal SDL_AUDIODRIVER=dummy timeout 100 "$exe" 2>/dev/null); rc=$?
  [ $rc -eq 0 ] || fail "exit status $rc: $out"
  ;;
*)
  fail "unknown case $2"
  ;;
esac
echo PASS

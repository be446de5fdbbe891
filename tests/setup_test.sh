#!/usr/bin/env bash
# The dependency script against stand-ins for dpkg-query, apt-get and sudo
# that report nothing installed and record what would be installed: `run`
# must not pull in the test tools, `test` must add them, and a bad argument
# is refused.
set -euo pipefail
script=$1
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin"
printf '#!/bin/sh\nexit 1\n' > "$tmp/bin/dpkg-query"
printf '#!/bin/sh\necho "$*" >> "%s/apt.log"\n' "$tmp" > "$tmp/bin/apt-get"
printf '#!/bin/sh\nexec "$@"\n' > "$tmp/bin/sudo"
chmod +x "$tmp/bin/"*
fail() { echo "FAIL: $*" >&2; exit 1; }

installs() {  # the package list the script would install for $1
  : > "$tmp/apt.log"
  PATH="$tmp/bin:$PATH" bash "$script" "$@" > /dev/null
  grep -q -- "-o DPkg::Lock::Timeout=900 update" "$tmp/apt.log" || fail "no update with a lock timeout"
  grep -- " install " "$tmp/apt.log"
}
run=$(installs run)
test=$(installs test)
dflt=$(installs)
for p in libsdl1.2-dev libmikmod-dev g++ cmake libfreetype-dev; do
  [[ " $run " == *" $p "* ]] || fail "run lacks $p"
done
for p in libgtest-dev libbenchmark-dev clang xvfb libunicorn-dev binutils-arm-none-eabi openmpt123 xmp; do
  [[ " $run " != *" $p "* ]] || fail "run installs test tool $p"
  [[ " $test " == *" $p "* ]] || fail "test lacks $p"
done
[ "$dflt" = "$run" ] || fail "no argument is not the run set"
if PATH="$tmp/bin:$PATH" bash "$script" everything > /dev/null 2>&1; then fail "bad argument accepted"; fi
echo "ok"

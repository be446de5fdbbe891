#!/usr/bin/env bash
# The dependency script against stand-ins for dpkg-query, apt-get and sudo
# that report nothing installed and record what would be installed: `run`
# must not pull in the test tools, `test` must add them, `windows` and `web`
# add only their cross compilers, and a bad argument is refused.
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
# The cross builds' own sets: the run set and their compiler, no test tools;
# the test set holds them too.
windows=$(installs windows)
web=$(installs web)
for p in cmake libsdl1.2-dev g++-mingw-w64-x86-64-posix zip dpkg-dev; do
  [[ " $windows " == *" $p "* ]] || fail "windows lacks $p"
  [[ " $test " == *" $p "* ]] || fail "test lacks $p"
done
for p in cmake libsdl1.2-dev emscripten; do
  [[ " $web " == *" $p "* ]] || fail "web lacks $p"
  [[ " $test " == *" $p "* ]] || fail "test lacks $p"
done
[[ " $windows $web " != *" libgtest-dev "* && " $windows " != *" emscripten "* ]] || fail "a cross set installs too much"
if PATH="$tmp/bin:$PATH" bash "$script" everything > /dev/null 2>&1; then fail "bad argument accepted"; fi
echo "ok"

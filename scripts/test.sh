#!/usr/bin/env bash
# Installs, builds and runs the whole test suite, checks the browser and
# Windows builds, then runs the suite once more in a build with
# AddressSanitizer and UndefinedBehaviorSanitizer.
#
# Some steps run side by side to keep both cores busy: `start NAME CMD...`
# runs one in the background with its output kept; `finish NAME` waits for
# it, shows that output and fails CI if it failed.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
JOBS=$(nproc)
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

logs=$(mktemp -d)
declare -A pids=()
set -m  # each background step in its own process group, so it can be stopped whole
descendants() {
  local c
  for c in $(pgrep -P "$1"); do echo "$c"; descendants "$c"; done
}
# A failed step stops the others; their trees too, as `timeout` leaves the group.
stop_all() {
  local p
  for p in "${pids[@]}"; do
    kill $(descendants "$p") 2>/dev/null || true
    kill -- "-$p" 2>/dev/null || true
  done
  rm -rf "$logs"
}
trap stop_all EXIT
step() { echo "== $(date +%T) $*"; }
start() {
  local name=$1
  shift
  step "$name (started)"
  "$@" </dev/null >"$logs/$name.log" 2>&1 &
  pids[$name]=$!
}
finish() {
  local name=$1 status=0
  wait "${pids[$name]}" || status=$?
  unset "pids[$name]"
  step "$name (finished)"
  cat "$logs/$name.log"
  if [ "$status" -ne 0 ]; then
    step "$name FAILED (status $status)"
    exit 1
  fi
}
# Ninja when installed, for a new build folder (an old one keeps its own).
generator() {
  if [ ! -f "$1/CMakeCache.txt" ] && command -v ninja >/dev/null; then echo "-GNinja"; fi
}

# CI's builds: line tables only (what the sanitizers' reports read; the code
# is the same as with -g) and lld, both quicker to build than the defaults.
QUICK=(-DVORN_DEBUG_INFO=-g1 -DVORN_LINKER=lld)

step "native build"
cmake -S . -B build $(generator build) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_TESTS=ON -DVORN_BENCH=ON "${QUICK[@]}"
cmake --build build -j"$JOBS"

# The real 126-second run mostly waits on the clock: it runs beside the
# steps below and is waited for at the end.
start full-run ctest --test-dir build --output-on-failure -R '^program\.full-run$'

# The browser build and the Windows cross build run beside the native suite
# at the lowest priority, on the time its tests leave the cores idle (they
# need only the native build's assets). Debian's sources are fetched first,
# once: the first fetch may set up apt's source lists, which two at a time
# would race over.
step "Debian sources"
bash scripts/fetch-debian-source.sh libmikmod build-web/src >/dev/null
start web-build nice -n 19 bash scripts/web.sh --build-only --assets-from build
start windows-build nice -n 19 bash scripts/windows-zip.sh --host-build build
step "native suite"
ctest --test-dir build --output-on-failure -j"$JOBS" -E '^program\.full-run$'

# Then the sanitizer build, niced so that the real-time run keeps its pace.
# Each check starts as soon as its build is done, beside the builds still
# running: the browser check and the Wine checks mostly wait on one process
# each.
# The sanitizer build takes the embedded assets from the native build.
start asan-build nice -n 10 bash -c "cmake -S . -B build-asan $(generator build-asan) -DCMAKE_BUILD_TYPE=Debug \
  -DVORN_SANITIZE=ON -DVORN_TESTS=ON -DVORN_BENCH=OFF -DVORN_HOST_BUILD=\"\$PWD/build\" ${QUICK[*]} \
  && cmake --build build-asan -j$JOBS"
finish web-build
# The browser build in headless Chromium against the native capture.
start browser-check python3 tests/web/browser_test.py --build build-web --capture build/vorn-capture
finish windows-build
# The Windows programs under Wine against this build.
start wine-checks bash tests/windows/wine_test.sh build build-windows
finish asan-build

step "sanitizer suite"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$JOBS" -LE slow

finish browser-check
finish wine-checks
finish full-run
step "all passed"

#!/usr/bin/env bash
# Installs, builds and runs the whole test suite, then runs it once more
# in a build with AddressSanitizer and UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh test
JOBS=$(nproc)
export SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy

cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_TESTS=ON -DVORN_BENCH=ON
cmake --build build -j"$JOBS"
ctest --test-dir build --output-on-failure -j"$JOBS"

# The browser build, checked in headless Chromium against the native capture.
bash scripts/web.sh --build-only --assets-from build
python3 tests/web/browser_test.py --build build-web --capture build/vorn-capture

# The Windows programs, cross-built and run under Wine against this build.
bash scripts/windows-zip.sh --host-build build
bash tests/windows/wine_test.sh build build-windows

cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVORN_SANITIZE=ON -DVORN_TESTS=ON -DVORN_BENCH=OFF
cmake --build build-asan -j"$JOBS"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure -j"$JOBS" -LE slow

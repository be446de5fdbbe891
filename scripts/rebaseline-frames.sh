#!/usr/bin/env bash
# Remakes tests/frame_oracle.txt from the current build and prints which
# entries changed. For changes meant to alter pictures or sound only.
# The handheld back end's show is checked against the same table
# (backends_diff_test), so its frames follow the new ones.
# Usage: rebaseline-frames.sh [build dir]
set -euo pipefail
cd "$(dirname "$0")/.."
BUILD=${1:-build}
cmake --build "$BUILD" --target vorn_desktop_tests -j2 > /dev/null
TABLE=tests/frame_oracle.txt
NEW=$(mktemp)
trap 'rm -f "$NEW"' EXIT
SDL_VIDEODRIVER=dummy SDL_AUDIODRIVER=dummy VORN_ORACLE_PRINT=1 \
  "$BUILD/tests/vorn_desktop_tests" --gtest_filter='FrameOracle.*' --gtest_brief=1 | sed -n 's/^ORACLE //p' > "$NEW"
[ -s "$NEW" ] || { echo "rebaseline-frames: the oracle made no hashes" >&2; exit 1; }
if [ -f "$TABLE" ]; then
  join -a1 -a2 -e '-' -o 0,1.2,2.2 <(sort "$TABLE") <(sort "$NEW") |
    awk '$2 != $3 { n++; print "changed: " $1 } END { print (n ? n : 0) " entries changed" }'
fi
cp "$NEW" "$TABLE.tmp"
mv "$TABLE.tmp" "$TABLE"

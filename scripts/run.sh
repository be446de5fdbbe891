#!/usr/bin/env bash
# Installs, builds and starts the presentation.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
# Tests and benchmarks need the test packages; test.sh switches them back on.
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_TESTS=OFF -DVORN_BENCH=OFF
cmake --build build -j"$(nproc)" --target Vorn.exe
cd build && exec ./Vorn.exe "$@"

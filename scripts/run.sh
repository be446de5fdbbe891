#!/usr/bin/env bash
# Installs, builds and starts the presentation.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)" --target Vorn.exe
cd build && exec ./Vorn.exe "$@"

#!/usr/bin/env bash
# Sets everything up, builds the program folder and runs Quillbase from it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
build=${BUILD_DIR:-build}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DQB_BUILD_TESTS=OFF -DQB_BUILD_BENCH=OFF
cmake --build "$build" -j"$(nproc)"
exec "$build/program/quillbase" "$@"

#!/usr/bin/env bash
# The crash loop of the test suite for longer: a child process edits, packs,
# zaps and rebuilds an indexed table and kills itself with SIGKILL at a kill
# point in the file layer inside a post, a pack, a rebuild, a zap or a pack's
# commit window, in turn, ROUNDS times (default 2000); after each kill the
# table is opened and checked. A failing
# round prints its seed; SEED repeats a run from the same first seed.
#   scripts/crash_loop.sh [ROUNDS] [SEED]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${BUILD_DIR:-build}
cmake --build "$build" --target xbase_tests >/dev/null
env QB_CRASH_ROUNDS="${1:-2000}" ${2:+QB_CRASH_SEED="$2"} "$build/tests/xbase_tests" --gtest_filter='CrashLoop.*'

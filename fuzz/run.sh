#!/usr/bin/env bash
# Builds the fuzz targets with clang and runs each for SECONDS (default 300),
# FUZZ_JOBS at a time (default 2); without TARGETs all of them: dbf fpt dbt cdx expr write csv vcard layout envelope report image rtf imb. Seeds are the small files in fuzz/seeds and the regression inputs;
# a crash leaves its input in fuzz/crashes/TARGET/.
#   fuzz/run.sh [SECONDS] [TARGET...]
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-300}
shift || true
targets=("$@")
((${#targets[@]})) || targets=(dbf fpt dbt cdx expr write csv vcard layout envelope report image rtf imb)
build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQB_BUILD_FUZZ=ON -DQB_BUILD_TESTS=OFF -DQB_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target $(printf 'fuzz_%s ' "${targets[@]}")

seed() {
  local target=$1 dir=fuzz/corpus-work/$1
  mkdir -p "$dir" "fuzz/crashes/$target"
  cp -n fuzz/regressions/"$target"/* fuzz/seeds/"$target"/* "$dir"/ 2>/dev/null || true
  case $target in
    expr) printf 'UPPER(STATE)="CA" .and. !ISDEL' >"$dir/seed1"
          printf 'IIF(EMPTY(LNAME),STR(AGE,5,1),SUBSTR(LNAME-FNAME,2,3))$"AB"' >"$dir/seed2"
          printf 'DTOS(CTOD("12/31/1999")+1)=="20000101" .or. VAL("12")>=AGE' >"$dir/seed3" ;;
  esac
}

run() {
  local target=$1
  seed "$target"
  echo "fuzzing $target for ${seconds}s"
  if ! LSAN_OPTIONS="suppressions=$PWD/fuzz/lsan.supp${LSAN_OPTIONS:+:$LSAN_OPTIONS}" "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=65536 -artifact_prefix="fuzz/crashes/$target/" "fuzz/corpus-work/$target" \
      >"fuzz/corpus-work/$target.log" 2>&1; then
    echo "fuzz_$target FAILED: see fuzz/corpus-work/$target.log and fuzz/crashes/$target/"
    return 1
  else
    tail -n 2 "fuzz/corpus-work/$target.log"
  fi
}
status=0
jobs=${FUZZ_JOBS:-2}
for ((i = 0; i < ${#targets[@]}; i += jobs)); do
  pids=()
  for ((k = i; k < i + jobs && k < ${#targets[@]}; ++k)); do
    run "${targets[k]}" &
    pids+=($!)
  done
  for pid in "${pids[@]}"; do
    wait "$pid" || status=1
  done
done
exit $status

#!/usr/bin/env bash
# Builds the libFuzzer targets with clang under AddressSanitizer and UndefinedBehaviorSanitizer
# (build/fuzz) and runs each for a bounded time. CI runs the short run; docs/reliability.md
# describes the long one.
#   SCTAV_FUZZ_SECONDS  seconds per target (default 30)
#   SCTAV_FUZZ_JOBS     parallel fuzzing processes per target (default 1)
# Corpora grow in build/fuzz/corpus/<target>; a crashing input is written to build/fuzz/ as
# crash-<hash> and ends the script with a failure.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
need_packages fuzz clang libclang-rt-14-dev cmake ninja-build libsqlite3-dev
seconds=${SCTAV_FUZZ_SECONDS:-30}
jobs=${SCTAV_FUZZ_JOBS:-1}
build=build/fuzz
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DSCTAV_BUILD_FUZZ=ON -DSCTAV_BUILD_TESTS=OFF -DSCTAV_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" -j "$(nproc)" --target variant_fuzz events_fuzz
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
for target in variant_fuzz events_fuzz; do
  corpus="$build/corpus/$target"
  mkdir -p "$corpus"
  echo "fuzz: $target for ${seconds}s"
  # Full-length inputs from the start: short runs then reach more events per input.
  args=(-max_total_time="$seconds" -timeout=30 -rss_limit_mb=2560 -max_len=1024 -len_control=0
        -print_final_stats=1 -artifact_prefix="$target-")
  [ -f "fuzz/$target.dict" ] && args+=(-dict="$PWD/fuzz/$target.dict")
  if [ "$jobs" -gt 1 ]; then args+=(-jobs="$jobs" -workers="$jobs"); fi
  log="$build/$target.log"
  set +e
  # libFuzzer writes each worker's fuzz-<n>.log into the current directory: keep them in the build.
  (cd "$build" && "./fuzz/$target" "${args[@]}" "corpus/$target") >"$log" 2>&1
  rc=$?
  set -e
  grep -E "DONE|stat::number_of_executed_units|stat::average_exec_per_sec|ERROR|finding|SUMMARY|Test unit written" "$log" || true
  if [ "$rc" -ne 0 ]; then
    echo "fuzz: $target found a fault (exit $rc, see $log)"
    status=1
  fi
done
exit $status

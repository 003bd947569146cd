#!/usr/bin/env bash
# Runs the bulk bank submission benchmark under callgrind and prints the plug-in's share of the
# instructions (scripts/callgrind_share.py explains the split). Builds build/bench (release)
# when needed. SCTAV_SUBMIT_BILLS sets the number of bills (default 5000; callgrind runs about
# fifty times slower than the program).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
need_packages bench-callgrind valgrind python3 libbenchmark-dev
build=${SCTAV_BENCH_BUILD:-build/bench}
if [ ! -x "$build/sctav_bench" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DSCTAV_BUILD_BENCH=ON >/dev/null
  cmake --build "$build" -j "$(nproc)" --target sctav_bench
fi
export SCTAV_SUBMIT_BILLS=${SCTAV_SUBMIT_BILLS:-5000}
out="$build/callgrind.bulk_submission.out"
echo "bench-callgrind: bulk submission of $SCTAV_SUBMIT_BILLS bills under callgrind"
valgrind --tool=callgrind --callgrind-out-file="$out" --collect-atstart=no \
  --toggle-collect='*ClickSubmit*' --separate-callers=4 \
  "$build/sctav_bench" --benchmark_filter='BM_BulkSubmission' >/dev/null 2>"$build/callgrind.log" || {
  cat "$build/callgrind.log"; exit 1; }
python3 scripts/callgrind_share.py "$out"

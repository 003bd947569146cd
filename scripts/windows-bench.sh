#!/usr/bin/env bash
# Google Benchmark of late-bound calls through the COM bridge under Wine: the same calls with
# and without the per-object DISPID cache, side by side. Google Benchmark's source comes from
# Debian's source package (scripts/windows-deps.sh). Not part of CI: timings are for reading.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/windows-setup.sh
./scripts/windows-deps.sh benchmark
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 --target sctav_com_bench
. scripts/lib/wine.sh
wine_prefix bench
wine build/mingw64/src/com/sctav_com_bench.exe "$@" 2>&1 | tr -d '\r'

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
work=$(mktemp -d /tmp/sctav-bench.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
unset DISPLAY WAYLAND_DISPLAY
trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
wine wineboot -i >/dev/null 2>&1 || true
wineserver -w
wine build/mingw64/src/com/sctav_com_bench.exe "$@" 2>&1 | tr -d '\r'

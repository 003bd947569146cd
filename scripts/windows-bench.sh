#!/usr/bin/env bash
# Benchmarks of the plug-in's cost through COM under Wine, printed side by side for each bitness:
#  1. late-bound calls through the COM bridge with and without the DISPID cache, on one of our
#     own objects and on Wine's Scripting.Dictionary, like for like (no argument: Count; one
#     argument and a Boolean result: Exists(key)), and what an object handed across costs
#     (bench/windows/late_bound_bench.cpp);
#  2. the refresh of a transfer list of 2000 checked bills (every cell raises ListFillRow) against
#     the same fills of the bank-submission list (no ListFillRow handler) and their ratio
#     (bench/scenarios/refresh_*.sct);
#  3. centre collection over 5000 member accounts, per account (bench/scenarios/collect_centre.sct).
# Parts 2 and 3 run with the core linked in (natively, then under Wine) and through the
# registered scTAVExt.dll of the bitness (sctav --via-com). A time is the scenario's run time less
# that of the same scenario without the work (the list not opened, the collection not clicked);
# best of three runs.
# Google Benchmark's and SQLite's source come from Debian's source packages
# (scripts/windows-deps.sh). Not part of CI: timings are for reading.
#
# Usage: windows-bench.sh [32] [64]   (default: both; SCTAV_WINDOWS_BITS="32" does the same).
# SCTAV_SKIP_WINDOWS_SIM=1 leaves out the Windows build of the simulated host (parts 2 and 3
# under Wine). Arguments after -- go to the late-bound benchmark.
set -euo pipefail
cd "$(dirname "$0")/.."

. scripts/lib/wine.sh
named=()
bench_args=()
while [ $# -gt 0 ]; do
  case $1 in
    --) shift; bench_args=("$@"); break ;;
    *) named+=("$1") ;;
  esac
  shift
done
windows_bitnesses "usage: $0 [32] [64] [-- benchmark options]" "${named[@]}"
with_sim=1; [ "${SCTAV_SKIP_WINDOWS_SIM:-0}" = "1" ] && with_sim=0

setup_extra=()
[ "$with_sim" = 1 ] && setup_extra=(tcl8.6 make)
./scripts/windows-setup.sh "${setup_extra[@]}"
./scripts/windows-deps.sh benchmark
cmake --preset release >/dev/null
cmake --build --preset release --target sctav
. scripts/lib/windows-build.sh
for bits in "${bitnesses[@]}"; do windows_build "$bits" "$with_sim" sctav_com_bench scTAVExt; done
wine_prefix bench

# The scenarios and the same without their timed work, under build/ so that Wine reaches them by
# the same relative path.
scenarios=build/bench-scenarios
mkdir -p "$scenarios"
for list in transfer banksubmit; do
  cp "bench/scenarios/refresh_$list.sct" "$scenarios/"
  sed -e '/^open list/d' -e '/^refresh$/d' "bench/scenarios/refresh_$list.sct" > "$scenarios/setup_refresh_$list.sct"
done
cp bench/scenarios/collect_centre.sct "$scenarios/"
sed -e '/^dialog centre/,$d' bench/scenarios/collect_centre.sct > "$scenarios/setup_collect_centre.sct"

# best_ms NAME RUNNER...: the shortest of three wall-clock times of `RUNNER run NAME.sct` less
# the shortest of three of its set-up alone, in milliseconds.
best_ms() {
  local name=$1; shift
  local file t0 t1 ms best_full="" best_setup=""
  for file in "$name" "setup_$name"; do
    for _ in 1 2 3; do
      t0=$(date +%s%N)
      "$@" run "$scenarios/$file.sct" >/dev/null 2>&1 || { echo "FAILED: $* run $file.sct" >&2; return 1; }
      t1=$(date +%s%N)
      ms=$(( (t1 - t0) / 1000000 ))
      if [ "$file" = "$name" ]; then
        if [ -z "$best_full" ] || [ "$ms" -lt "$best_full" ]; then best_full=$ms; fi
      else
        if [ -z "$best_setup" ] || [ "$ms" -lt "$best_setup" ]; then best_setup=$ms; fi
      fi
    done
  done
  echo $(( best_full > best_setup ? best_full - best_setup : 1 ))
}

# measure LABEL RUNNER...: one line of the table: both refreshes, their ratio, collection per
# account.
accounts=5000
measure() {
  local label=$1; shift
  local t b c
  if ! t=$(best_ms refresh_transfer "$@") || ! b=$(best_ms refresh_banksubmit "$@") ||
     ! c=$(best_ms collect_centre "$@"); then
    printf "%-34s %s\n" "$label" "(failed)"
    return 0
  fi
  awk -v l="$label" -v t="$t" -v b="$b" -v c="$c" -v n="$accounts" \
    'BEGIN { printf "%-34s %10d ms %10d ms %7.1fx %10.1f us\n", l, t, b, t / b, c * 1000 / n }'
}

header() {
  echo
  echo "== 2000 bills opened and refreshed 5 times; centre collection over $accounts accounts (best of 3)"
  printf "%-34s %13s %13s %8s %13s\n" "" "transfer" "banksubmit" "ratio" "per account"
}

header
measure "core linked in, native" build/release/sctav
for bits in "${bitnesses[@]}"; do
  echo
  echo "== win$bits: late-bound calls (CPU time per call)"
  "$(wine_loader "$bits")" "build/mingw$bits/src/com/sctav_com_bench.exe" "${bench_args[@]}" 2>&1 | tr -d '\r'
  [ "$with_sim" = 1 ] || continue
  header
  measure "core linked in, Wine (win$bits)" "$(wine_loader "$bits")" "build/mingw$bits-sim/sctav.exe"
  install=$WINEPREFIX/drive_c/sctav/win$bits
  mkdir -p "$install"
  cp "build/mingw$bits/src/com/scTAVExt.dll" "$install/"
  if regsvr32 "$bits" "C:\\sctav\\win$bits\\scTAVExt.dll"; then
    wine_null_display on
    measure "through scTAVExt.dll (win$bits)" "$(wine_loader "$bits")" "build/mingw$bits-sim/sctav.exe" --via-com
    wine_null_display off
    regsvr32 "$bits" /u "C:\\sctav\\win$bits\\scTAVExt.dll" || true
  else
    echo "regsvr32 of the win$bits scTAVExt.dll failed: no figures through the DLL" >&2
  fi
done

#!/usr/bin/env bash
# Benchmarks of the plug-in's cost through COM under Wine, printed side by side:
#  1. late-bound calls through the COM bridge with and without the DISPID cache, on one of our
#     own objects and on Wine's Scripting.Dictionary (bench/windows/late_bound_bench.cpp);
#  2. the refresh of a transfer list of 2000 checked bills (every cell raises ListFillRow) against
#     the same fills of the bank-submission list (no ListFillRow handler) and their ratio
#     (bench/scenarios/refresh_*.sct): with the core linked in, natively and under Wine, and
#     through the registered 64-bit scTAVExt.dll (sctav --via-com). The refresh time is the
#     scenario's run time less the same scenario without opening the list; best of three runs.
# Google Benchmark's and SQLite's source come from Debian's source packages
# (scripts/windows-deps.sh). Not part of CI: timings are for reading. SCTAV_SKIP_WINDOWS_SIM=1
# leaves out the Windows build of the simulated host (the runs under Wine of part 2).
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/windows-setup.sh
./scripts/windows-deps.sh benchmark
cmake --preset mingw64 >/dev/null
cmake --build --preset mingw64 --target sctav_com_bench scTAVExt
cmake --preset release >/dev/null
cmake --build --preset release --target sctav
with_sim=0
if [ "${SCTAV_SKIP_WINDOWS_SIM:-0}" != "1" ]; then
  ./scripts/windows-setup.sh tcl8.6 make
  ./scripts/windows-deps.sh sqlite3
  cmake --preset mingw64-sim >/dev/null
  cmake --build --preset mingw64-sim --target sctav
  with_sim=1
fi
. scripts/lib/wine.sh
wine_prefix bench

echo "== late-bound calls (CPU time per call)"
wine build/mingw64/src/com/sctav_com_bench.exe "$@" 2>&1 | tr -d '\r'

# The scenarios and their set-up alone (no list opened), under build/ so that Wine reaches them
# by the same relative path.
scenarios=build/bench-scenarios
mkdir -p "$scenarios"
for list in transfer banksubmit; do
  cp "bench/scenarios/refresh_$list.sct" "$scenarios/"
  sed -e '/^open list/d' -e '/^refresh$/d' "bench/scenarios/refresh_$list.sct" > "$scenarios/setup_$list.sct"
done

# best_ms RUNNER...: the shortest of three wall-clock times of `RUNNER run FILE` for each
# refresh scenario less that of its set-up alone, in milliseconds, printed as "transfer banksubmit".
best_ms() {
  local out=()
  for list in transfer banksubmit; do
    local best_full="" best_setup="" file t0 t1 ms
    for file in refresh setup; do
      for _ in 1 2 3; do
        t0=$(date +%s%N)
        "$@" run "$scenarios/${file}_$list.sct" >/dev/null 2>&1 || { echo "FAILED: $* run ${file}_$list.sct" >&2; return 1; }
        t1=$(date +%s%N)
        ms=$(( (t1 - t0) / 1000000 ))
        if [ "$file" = refresh ]; then
          if [ -z "$best_full" ] || [ "$ms" -lt "$best_full" ]; then best_full=$ms; fi
        else
          if [ -z "$best_setup" ] || [ "$ms" -lt "$best_setup" ]; then best_setup=$ms; fi
        fi
      done
    done
    out+=($(( best_full > best_setup ? best_full - best_setup : 1 )))
  done
  echo "${out[0]} ${out[1]}"
}

row() {  # row LABEL TRANSFER_MS BANKSUBMIT_MS
  if [ -z "${3:-}" ]; then printf "%-34s %s\n" "$1" "(failed)"; return; fi
  awk -v l="$1" -v t="$2" -v b="$3" 'BEGIN { printf "%-34s %10d ms %10d ms %8.1fx\n", l, t, b, t / b }'
}

echo
echo "== 2000 bills, opened and refreshed 5 times (refresh time; best of 3)"
printf "%-34s %13s %13s %9s\n" "" "transfer" "banksubmit" "ratio"
read -r t b < <(best_ms build/release/sctav)
row "core linked in, native" "$t" "$b"
if [ "$with_sim" = 1 ]; then
  read -r t b < <(best_ms wine build/mingw64-sim/sctav.exe)
  row "core linked in, Wine (64-bit)" "$t" "$b"
  install=$WINEPREFIX/drive_c/sctav
  mkdir -p "$install"
  cp build/mingw64/src/com/scTAVExt.dll "$install/"
  if wine regsvr32 /s 'C:\sctav\scTAVExt.dll' >/dev/null 2>&1; then
    read -r t b < <(best_ms wine build/mingw64-sim/sctav.exe --via-com)
    row "through scTAVExt.dll (64-bit)" "$t" "$b"
    wine regsvr32 /s /u 'C:\sctav\scTAVExt.dll' >/dev/null 2>&1 || true
  else
    echo "regsvr32 scTAVExt.dll failed: no figures through the DLL" >&2
  fi
fi

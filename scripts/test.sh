#!/usr/bin/env bash
# Builds everything and runs every test: unit tests and scenarios natively, the T-SQL check of the
# SQL the plug-in sends, the fault sweep (every call site, and a seeded sample of the other calls),
# the same again under AddressSanitizer and UndefinedBehaviorSanitizer, the fuzzers, then the
# Windows checks and the installers' checks.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
jobs=$(nproc)
cmake --preset dev
cmake --build --preset dev -j "$jobs"
ctest --preset dev
# Every SQL text the plug-in sends in the scenario suite, through an independent T-SQL parser.
./scripts/tsql-check.sh build/dev/sctav
# The fault-injection sweep in a release build: every call site of every scenario failing once,
# and a sample of the other calls seeded by the commit (the same seed replays the same runs;
# SCTAV_SWEEP_SEED sets another). SCTAV_FULL_SWEEP=1 fails every call instead; CTest's
# fault_sweep above is a smaller sample.
if [ "${SCTAV_SKIP_FULL_SWEEP:-0}" != "1" ]; then
  cmake --preset release
  cmake --build --preset release -j "$jobs" --target sctav
  if [ "${SCTAV_FULL_SWEEP:-0}" = "1" ]; then
    build/release/sctav sweep --jobs "$jobs" scenarios/*.sct
  else
    seed=${SCTAV_SWEEP_SEED:-$(git rev-parse --short=12 HEAD 2>/dev/null || date +%F)}
    build/release/sctav sweep --sample 5 --seed "$seed" --jobs "$jobs" scenarios/*.sct
  fi
fi
if [ "${SCTAV_SKIP_ASAN:-0}" != "1" ]; then
  cmake --preset asan
  cmake --build --preset asan -j "$jobs"
  ctest --preset asan
fi
# The libFuzzer targets (clang), a short bounded run; docs/reliability.md describes the long one.
if [ "${SCTAV_SKIP_FUZZ:-0}" != "1" ]; then
  ./scripts/fuzz.sh
fi
if [ -x scripts/windows-checks.sh ] && [ "${SCTAV_SKIP_WINDOWS:-0}" != "1" ]; then
  ./scripts/windows-checks.sh
  # The installers of both bitnesses: install, registry, upgrade, repair, uninstall under Wine
  # (the x64 package alone on a machine that cannot execute 32-bit programs).
  ./scripts/windows-package-checks.sh
fi

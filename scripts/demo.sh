#!/usr/bin/env bash
# Builds the simulated host and runs the demo scenario on the embedded demo database.
set -euo pipefail
cd "$(dirname "$0")/.."
./scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release --target sctav
./build/release/sctav demo "$@"

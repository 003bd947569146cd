#!/usr/bin/env bash
# Checks every SQL text the plug-in sends in the scenario suite with an independent Transact-SQL
# parser (node-sql-parser from the npm registry, on Debian's Node.js): runs the scenarios with
# `sctav run --sql-log`, then tests/tsql/check.mjs, which lists any text that does not parse.
# Usage: tsql-check.sh [path to sctav]   (default build/dev/sctav)
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
sctav=${1:-build/dev/sctav}
if ! command -v node >/dev/null || ! command -v npm >/dev/null; then
  need_packages tsql-check nodejs npm
fi
(cd tests/tsql && npm ci --no-audit --no-fund --loglevel=error >/dev/null && node --test --test-reporter=dot)
log=$(mktemp /tmp/sctav-sql.XXXXXX.jsonl)
trap 'rm -f "$log"' EXIT
"$sctav" run --sql-log "$log" scenarios/*.sct | tail -1
node tests/tsql/check.mjs "$log"

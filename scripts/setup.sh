#!/usr/bin/env bash
# Installs the Debian packages the native build needs, only when missing.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/packages.sh"
need_packages setup g++ cmake ninja-build libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev python3

#!/usr/bin/env bash
# Installs the Debian packages the native build needs, only when missing.
set -euo pipefail
need=()
for pkg in g++ cmake ninja-build libsqlite3-dev libgtest-dev libgmock-dev libbenchmark-dev; do
  dpkg -s "$pkg" >/dev/null 2>&1 || need+=("$pkg")
done
if [ ${#need[@]} -gt 0 ]; then
  echo "setup: installing ${need[*]}"
  export DEBIAN_FRONTEND=noninteractive
  SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq "${need[@]}"
fi

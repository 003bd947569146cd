#!/usr/bin/env bash
# Fetches the source of the Windows build's third-party libraries from Debian's own source
# packages into build/deps/<package> (ignored by git; never commit it): Google Benchmark for the
# bridge benchmark, SQLite for the simulated host's Windows build. Enables deb-src for the
# configured archive first. For sqlite3 it also builds the amalgamation (with tclsh) and a static
# library for 64-bit Windows in build/deps/sqlite3-win64 (what the mingw64-sim preset uses).
# Usage: windows-deps.sh [package...]   (default: benchmark)
set -euo pipefail
cd "$(dirname "$0")/.."
packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(benchmark)
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"

enable_deb_src() {
  local out=/etc/apt/sources.list.d/sctav-deb-src.sources
  [ -e "$out" ] && return 0
  echo "windows-deps: enabling deb-src for the configured archive"
  {
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -e "$f" ] || continue
      case $f in *sctav-deb-src.sources) continue ;; esac
      # deb822 stanzas of type deb, repeated as deb-src.
      awk 'BEGIN { RS = ""; ORS = "\n\n" }
           /Types:[^\n]*deb([ \n]|$)/ && !/Enabled: *[Nn]o/ { sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$f"
    done
  } | $SUDO tee "$out" >/dev/null
  if [ -f /etc/apt/sources.list ]; then
    grep -E '^deb ' /etc/apt/sources.list | sed 's/^deb /deb-src /' |
      $SUDO tee /etc/apt/sources.list.d/sctav-deb-src.list >/dev/null || true
  fi
  $SUDO apt-get update -qq
}

mkdir -p build/deps
for pkg in "${packages[@]}"; do
  dir=build/deps/$pkg
  [ -f "$dir/.complete" ] && continue
  if [ -z "$(apt-cache showsrc "$pkg" 2>/dev/null)" ]; then enable_deb_src; fi
  rm -rf "$dir" "build/deps/download-$pkg"
  mkdir -p "build/deps/download-$pkg" "$dir"
  echo "windows-deps: fetching the source of $pkg"
  (cd "build/deps/download-$pkg" && apt-get source --download-only -qq "$pkg" 2>&1 |
     grep -v "^W: Download is performed unsandboxed" || true)
  orig=$(ls "build/deps/download-$pkg"/*.orig.tar.* | head -1)
  tar -xf "$orig" -C "$dir" --strip-components=1
  touch "$dir/.complete"
  rm -rf "build/deps/download-$pkg"
done

for pkg in "${packages[@]}"; do
  [ "$pkg" = sqlite3 ] || continue
  out=build/deps/sqlite3-win64
  [ -f "$out/libsqlite3.a" ] && continue
  echo "windows-deps: building SQLite for win64"
  rm -rf build/deps/sqlite3-amalgamation "$out"
  mkdir -p build/deps/sqlite3-amalgamation "$out"
  (cd build/deps/sqlite3-amalgamation && ../sqlite3/configure --disable-tcl >/dev/null &&
     make sqlite3.c >/dev/null)
  cp build/deps/sqlite3-amalgamation/sqlite3.h "$out/"
  x86_64-w64-mingw32-gcc-posix -O1 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION \
    -c build/deps/sqlite3-amalgamation/sqlite3.c -o "$out/sqlite3.o"
  x86_64-w64-mingw32-ar rcs "$out/libsqlite3.a" "$out/sqlite3.o"
  rm "$out/sqlite3.o"
done

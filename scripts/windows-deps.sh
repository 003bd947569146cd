#!/usr/bin/env bash
# Fetches the source of the Windows build's third-party libraries from Debian's own source
# packages into build/deps/<package> (ignored by git; never commit it): Google Benchmark for the
# bridge benchmark, SQLite for the simulated host's Windows build. Enables deb-src for the
# configured archive first. For sqlite3 it also builds the amalgamation (with tclsh) and a static
# library for each Windows bitness, build/deps/sqlite3-win64 and build/deps/sqlite3-win32 (what
# the mingw64-sim and mingw32-sim presets use); SCTAV_SQLITE_BITS="64" (or "32") builds only one.
# Usage: windows-deps.sh [package...]   (default: benchmark)
set -euo pipefail
cd "$(dirname "$0")/.."
packages=("$@")
[ ${#packages[@]} -gt 0 ] || packages=(benchmark)
read -r -a sqlite_bits <<<"${SCTAV_SQLITE_BITS:-64 32}"
SUDO=""; [ "$(id -u)" -ne 0 ] && SUDO="sudo"
. scripts/lib/bitness.sh

enable_deb_src() {
  local out=/etc/apt/sources.list.d/sctav-deb-src.sources
  if [ -e "$out" ]; then
    update_lists
    return 0
  fi
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
  update_lists
}

# A mirror caught mid-sync fails one index (often one the source lists do not need): try again,
# then go on with the lists there are.
update_lists() {
  local try
  for try in 1 2 3; do
    $SUDO apt-get update -qq && return 0
    echo "windows-deps: apt-get update failed (try $try of 3)"
    sleep $((try * 5))
  done
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

# SQLite for one Windows bitness: the amalgamation (made once, with tclsh) compiled into a static
# library build/deps/sqlite3-win<bits> with that bitness's MinGW-w64 compiler.
build_sqlite() {
  local bits=$1 triple out=build/deps/sqlite3-win$1
  triple=$(triple "$bits")
  [ -f "$out/libsqlite3.a" ] && return 0
  if [ ! -f build/deps/sqlite3-amalgamation/.complete ]; then
    echo "windows-deps: making the SQLite amalgamation"
    rm -rf build/deps/sqlite3-amalgamation
    mkdir -p build/deps/sqlite3-amalgamation
    (cd build/deps/sqlite3-amalgamation && ../sqlite3/configure --disable-tcl >/dev/null &&
       make sqlite3.c >/dev/null)
    touch build/deps/sqlite3-amalgamation/.complete
  fi
  echo "windows-deps: building SQLite for win$bits"
  rm -rf "$out"
  mkdir -p "$out"
  cp build/deps/sqlite3-amalgamation/sqlite3.h "$out/"
  $triple-gcc-posix -O1 -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION \
    -c build/deps/sqlite3-amalgamation/sqlite3.c -o "$out/sqlite3.o"
  $triple-ar rcs "$out/libsqlite3.a.part" "$out/sqlite3.o"
  rm "$out/sqlite3.o"
  mv "$out/libsqlite3.a.part" "$out/libsqlite3.a"
}

for pkg in "${packages[@]}"; do
  [ "$pkg" = sqlite3 ] || continue
  for bits in "${sqlite_bits[@]}"; do build_sqlite "$bits"; done
done

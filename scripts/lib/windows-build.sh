# Sourced by the Windows scripts. windows_build BITS WITH_SIM TARGET...: builds the targets with
# the mingw<BITS> preset and, when WITH_SIM is 1, the simulated host for that bitness (with
# SQLite built for it first).
windows_build() {
  local bits=$1 with_sim=$2
  shift 2
  cmake --preset "mingw$bits" >/dev/null
  cmake --build --preset "mingw$bits" --target "$@"
  if [ "$with_sim" = 1 ]; then
    SCTAV_SQLITE_BITS=$bits ./scripts/windows-deps.sh sqlite3
    cmake --preset "mingw$bits-sim" >/dev/null
    cmake --build --preset "mingw$bits-sim" --target sctav
  fi
}

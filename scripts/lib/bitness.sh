# Sourced by the Windows scripts. A bitness is 32 or 64 everywhere; these give what differs with
# it. Names a user reads keep their own spelling: win32 / win64 in every output line, x86 / x64 in
# the installers' published file names (msi_arch).

# windows_bitnesses USAGE ARG...: sets the array bitnesses to the bitnesses the arguments (32, 64,
# win32, win64) and SCTAV_WINDOWS_BITS name, 64 first, each once; both when none is named. Any
# other argument prints USAGE and ends the script with status 2.
windows_bitnesses() {
  local usage=$1 arg list=()
  shift
  for arg in "$@" ${SCTAV_WINDOWS_BITS:-}; do
    case $arg in
      32|win32) list+=(32) ;;
      64|win64) list+=(64) ;;
      *) echo "$usage" >&2; exit 2 ;;
    esac
  done
  [ ${#list[@]} -gt 0 ] || list=(64 32)
  mapfile -t bitnesses < <(printf '%s\n' "${list[@]}" | sort -ru)
}
# The MinGW-w64 target of the bitness.
triple() { case $1 in 64) echo x86_64-w64-mingw32 ;; 32) echo i686-w64-mingw32 ;; esac; }
# The system folder a program of the bitness finds its system programs in, on 64-bit Windows.
# (In a 32-bit prefix, prefix_bits 32, the 32-bit folder is system32.)
system_dir() {
  case $1 in
    64) echo 'C:\windows\system32' ;;
    32) if [ "${prefix_bits:-64}" = 32 ]; then echo 'C:\windows\system32'; else echo 'C:\windows\syswow64'; fi ;;
  esac
}
other() { case $1 in 64) echo 32 ;; 32) echo 64 ;; esac; }
# The installer's architecture name, as in scTAVExt-<version>-x86.msi.
msi_arch() { case $1 in 64) echo x64 ;; 32) echo x86 ;; esac; }

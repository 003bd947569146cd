# Sourced by the Windows scripts. wine_prefix NAME: a fresh, headless Wine prefix in a temporary
# folder /tmp/sctav-NAME.*, removed with its wineserver when the script exits; $work is the folder.
. "$(dirname "${BASH_SOURCE[0]}")/bitness.sh"

# wine_prefix NAME 32 makes a 32-bit prefix instead (WINEARCH=win32, booted by the 32-bit loader:
# its system32 is the 32-bit folder), for a machine that runs 32-bit programs only through
# emulation (emulates_32bit), where a 64-bit prefix cannot start them. prefix_bits tells which.
prefix_bits=64
wine_prefix() {
  prefix_bits=${2:-64}
  work=$(mktemp -d "/tmp/sctav-$1.XXXXXX")
  export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  unset DISPLAY WAYLAND_DISPLAY
  if [ "$prefix_bits" = 32 ]; then
    export WINEARCH=win32
    # Under qemu-user the guest's whole 32-bit address space is reserved up front, so that Wine
    # finds the fixed addresses it maps (the shared user data at 0x7ffe0000) free.
    export QEMU_RESERVED_VA=0xf7000000
  fi
  trap 'wineserver -k >/dev/null 2>&1 || true; rm -rf "$work"' EXIT
  "$(wine_loader "$prefix_bits")" wineboot -i >/dev/null 2>&1 || true
  wineserver -w
}
# wine_cjk_fonts: the dialog fonts (Tahoma, MS Shell Dlg, MS Shell Dlg 2) substituted by WenQuanYi
# Micro Hei (Debian fonts-wqy-microhei) in the prefix, in the registry views of both bitnesses, so
# that the Chinese texts of message boxes and forms show instead of boxes. Does nothing without
# the font.
wine_cjk_fonts() {
  fc-list 2>/dev/null | grep -q "WenQuanYi Micro Hei" || return 0
  local font view wine
  wine=$(wine_loader "$prefix_bits")
  for view in 64 32; do
    [ "$prefix_bits" = 32 ] && [ "$view" = 64 ] && continue
    for font in Tahoma "MS Shell Dlg" "MS Shell Dlg 2"; do
      "$wine" reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
        /v "$font" /d "WenQuanYi Micro Hei" /f "/reg:$view" >/dev/null 2>&1 || true
    done
  done
  wineserver -w
}
# wine_null_display on|off: Wine's display driver for the prefix's programs: "null" (windows are
# real Win32 windows that no X server shows: a run of many message boxes without a window
# manager, where every window that closes waits two seconds for one) or the default again.
wine_null_display() {
  local wine
  wine=$(wine_loader "$prefix_bits")
  if [ "$1" = on ]; then
    "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  else
    "$wine" reg delete 'HKCU\Software\Wine\Drivers' /v Graphics /f >/dev/null 2>&1 || true
  fi
  wineserver -w
}
# wine_loader BITS: the Wine loader for BITS-bit programs named by a Windows path. With wine32
# installed, Debian's `wine` is the 32-bit loader, and a program it starts by a Windows path is
# looked up as a 32-bit program would look it up (C:\windows\system32 is then the 32-bit
# folder); 64-bit programs need the 64-bit loader.
wine_loader() {
  local w
  if [ "$1" = 64 ]; then
    for w in /usr/lib/wine/wine64 "$(command -v wine64 || true)"; do
      if [ -n "$w" ] && [ -x "$w" ]; then echo "$w"; return 0; fi
    done
  elif [ -x /usr/lib/wine/wine ]; then
    echo /usr/lib/wine/wine
    return 0
  fi
  echo wine
}
# runs_32bit: whether this machine can execute 32-bit programs at all (the kernel may lack 32-bit
# support: then the 32-bit Wine loader fails with "Exec format error" and no 32-bit Windows
# program can run, whatever is installed).
# A machine that runs them only through emulation (emulates_32bit) is not counted: a 64-bit
# prefix cannot start a 32-bit program there.
runs_32bit() {
  ! emulates_32bit && [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}
# emulates_32bit: whether 32-bit x86 programs run through qemu-user, registered for them in
# binfmt_misc (scripts/windows-emulate32.sh). There, 32-bit Windows programs run in a 32-bit
# prefix only, and some ten times slower.
emulates_32bit() { [ "$(head -1 /proc/sys/fs/binfmt_misc/qemu-i386 2>/dev/null)" = enabled ]; }
# wine_system BITS PROGRAM ARG...: runs the system program (cmd.exe, cscript.exe, reg.exe, ...)
# of that bitness.
wine_system() {
  local bits=$1 program=$2
  shift 2
  "$(wine_loader "$bits")" "$(system_dir "$bits")\\$program" "$@"
}
# regsvr32 BITS [/u] DLL: registers (unregisters) a DLL with the bitness's regsvr32, silently.
regsvr32() {
  local bits=$1
  shift
  wine_system "$bits" regsvr32.exe /s "$@" >/dev/null 2>&1
}

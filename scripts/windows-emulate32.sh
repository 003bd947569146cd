#!/usr/bin/env bash
# For a machine whose kernel cannot execute 32-bit programs: runs them through qemu-user instead,
# so that the 32-bit half of the Windows checks can run there (slowly, in a 32-bit prefix:
# `scripts/windows-checks.sh 32`).
#
#   windows-emulate32.sh on    installs qemu-user, mounts binfmt_misc when it is not, and
#                              registers qemu-i386 for 32-bit x86 ELF programs
#   windows-emulate32.sh off   removes that registration again
#
# Needs root (or sudo). The registration is the kernel's, for the whole machine, until it
# restarts or `off`; with it, a 64-bit prefix no longer starts 32-bit programs, so the checks
# then leave the 32-bit half out of a run of both bitnesses. On a machine that executes 32-bit
# programs itself there is nothing to gain: `on` refuses.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/packages.sh
. scripts/lib/wine.sh

binfmt=/proc/sys/fs/binfmt_misc
# Debian's qemu-user keeps its binfmt interpreters as links named ARCH-binfmt-P (qemu then keeps
# the program's own argv[0]); it leaves out i386 on amd64, so ours goes under /usr/local.
interpreter=/usr/local/libexec/qemu-binfmt/i386-binfmt-P
magic='\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

case ${1:-} in
  on)
    if emulates_32bit; then echo "windows-emulate32: 32-bit programs already run through qemu-user"; exit 0; fi
    if runs_32bit; then echo "windows-emulate32: this machine executes 32-bit programs itself"; exit 1; fi
    need_packages windows-emulate32 qemu-user
    [ -e "$binfmt/register" ] || _sudo mount -t binfmt_misc binfmt_misc "$binfmt"
    _sudo mkdir -p "$(dirname "$interpreter")"
    _sudo ln -sf /usr/bin/qemu-i386 "$interpreter"
    echo ":qemu-i386:M::$magic:$mask:$interpreter:OP" | _sudo tee "$binfmt/register" >/dev/null
    emulates_32bit
    echo "windows-emulate32: 32-bit programs run through qemu-user ($(/usr/lib/wine/wine --version 2>&1 | head -1))"
    ;;
  off)
    if [ -e "$binfmt/qemu-i386" ]; then echo -1 | _sudo tee "$binfmt/qemu-i386" >/dev/null; fi
    echo "windows-emulate32: no emulation of 32-bit programs registered"
    ;;
  *)
    echo "usage: $0 on|off" >&2
    exit 2
    ;;
esac

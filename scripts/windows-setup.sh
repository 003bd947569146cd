#!/usr/bin/env bash
# Installs the Debian packages the Windows build and its Wine checks need, only when missing:
# the MinGW-w64 cross compilers (posix threads), widl, Wine with its IDL files and stdole2.tlb,
# wine32 (with Debian's i386 architecture) so that the 64-bit prefix also runs the 32-bit DLL
# and programs through WoW64, GoogleTest's source for the bridge tests, python3 for the
# type-library inspection and Xvfb for the windows the form tests open.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/lib/packages.sh"
need_architecture windows-setup i386
need_packages windows-setup cmake ninja-build g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix \
  mingw-w64-tools wine wine64 wine32:i386 wine64-tools libwine-dev googletest python3 xvfb xauth "$@"

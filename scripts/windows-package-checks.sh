#!/usr/bin/env bash
# Checks the Windows installers (scripts/windows-package.sh) under Wine, both bitnesses side by
# side in one fresh 64-bit prefix (the 32-bit package through WoW64, in the 32-bit registry
# view and Program Files (x86)); each package's tools (msiexec, reg, regsvr32, cscript) are
# programs of its bitness. A machine that cannot execute 32-bit programs checks the x64 package
# alone, and says so.
#  - a BILLINTERFACE or LISTINTERFACE that is not an identifier in braces is refused;
#  - silent install with both properties; the DLL where expected; the host interface values;
#  - before any regsvr32: the classes and interfaces are in the bitness's own registry view, the
#    ProgIDs where Windows shares them between the views (written through the 32-bit view), and
#    the bitness's own cscript.exe creates the three classes and gets error 13 from Show;
#  - the registry the package writes equals what regsvr32 writes for the installed DLL, and
#    regsvr32 /u leaves nothing of it (so the package writes nothing more);
#  - repair restores a deleted DLL and class key and keeps the host interface values;
#  - a package of the next version replaces the installed one and keeps the values; the older
#    package is then refused;
#  - silent uninstall leaves no file, key or value of the plug-in, and the other bitness intact.
# Prints one ok:/FAILED: line per check naming the bitness; exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/lib/checks.sh

step "building the packages"
./scripts/windows-package.sh
version=$(python3 scripts/lib/dll_version.py build/mingw64/src/com/scTAVExt.dll)
IFS=. read -r major minor patch <<<"$version"
next=$major.$minor.$((patch + 1))

property() {  # msi name -> the value in the package's Property table
  msiinfo export "$1" Property | tr -d '\r' | awk -F'\t' -v p="$2" '$1 == p { print $2 }'
}
for arch in x86 x64; do
  # The package's version is the DLL's; the UpgradeCode is the bitness's fixed one.
  case $arch in x86) bits=32 ;; x64) bits=64 ;; esac
  package=build/packages/scTAVExt-$version-$arch.msi
  upgrade=$(python3 -c "import sys; sys.path.insert(0, 'scripts/lib'); import msi_source; print(msi_source.UPGRADE_CODES['$arch'].upper())")
  dll_version=$(python3 scripts/lib/dll_version.py "build/mingw$bits/src/com/scTAVExt.dll")
  if [ "$(property "$package" ProductVersion)" = "$dll_version" ] &&
     [ "$(property "$package" UpgradeCode)" = "{$upgrade}" ]; then
    ok "$arch package version $dll_version (the DLL's), UpgradeCode {$upgrade}, $(stat -c %s "$package") bytes"
  else
    bad "$arch package version '$(property "$package" ProductVersion)' (DLL $dll_version), UpgradeCode '$(property "$package" UpgradeCode)'"
  fi
done

# The packages this machine can check: the x86 package's tools are 32-bit programs.
archs=(x64)
if runs_32bit; then
  archs=(x86 x64)
elif emulates_32bit; then
  echo "skipped: x86 package checks: 32-bit programs run here only through emulation, which the packages' 64-bit prefix cannot start"
else
  echo "skipped: x86 package checks: this machine cannot execute 32-bit programs"
fi

step "creating a fresh Wine prefix"
wine_prefix packages
step "building the packages of the next version, $next"
./scripts/windows-package.sh --version "$next" --out "$work/next"
checks='C:\sctav-checks'
mkdir -p "$WINEPREFIX/drive_c/sctav-checks"
cp tests/windows/show_type_mismatch.vbs "$WINEPREFIX/drive_c/sctav-checks/"
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
msi() { winpath "$(pwd)/build/packages/scTAVExt-$version-$1.msi"; }
next_msi() { winpath "$work/next/scTAVExt-$next-$1.msi"; }

class_keys=()
for id in CLSID_BILL CLSID_LIST CLSID_LIST1; do class_keys+=("HKCR\\CLSID\\{$(guid "$id")}"); done
for p in scTransferBillExt scTransferListExt scTransferListExt1; do
  class_keys+=("HKCR\\scTAVExt.$p" "HKCR\\scTAVExt.$p.1")
done
for id in IID_BILL IID_LIST IID_LIST1; do class_keys+=("HKCR\\Interface\\{$(guid "$id")}"); done
class_keys+=("HKCR\\TypeLib\\{$(guid LIBID)}")
host='HKLM\Software\scTAVExt\HostInterfaces'
declare -A registered  # arch -> the class keys as the package wrote them

# Per bitness: its programs' loader, registry view, system folder, install folder, host interface
# values given.
bits() { case $1 in x86) echo 32 ;; x64) echo 64 ;; esac; }  # msi_arch the other way
# run ARCH PROGRAM ARG...: the program as the bitness's programs find it (C:\windows\system32 is
# the 32-bit folder to a 32-bit program), started by that bitness's loader.
run() { local arch=$1; shift; "$(wine_loader "$(bits "$arch")")" "$@"; }
view() { case $1 in x86) echo /reg:32 ;; x64) echo /reg:64 ;; esac; }
sysdir() { system_dir "$(bits "$1")"; }
installdir() { case $1 in x86) echo 'Program Files (x86)/scTAVExt' ;; x64) echo 'Program Files/scTAVExt' ;; esac; }
dllpath() { echo "C:\\$(installdir "$1" | tr / '\\')\\scTAVExt.dll"; }
bill_iid() { case $1 in x86) echo '{0A1B2C3D-0000-4000-8000-000000000032}' ;; x64) echo '{0A1B2C3D-0000-4000-8000-000000000064}' ;; esac; }
list_iid() { case $1 in x86) echo '{1A2B3C4D-0000-4000-8000-000000000032}' ;; x64) echo '{1A2B3C4D-0000-4000-8000-000000000064}' ;; esac; }

other_arch() { msi_arch "$(other "$(bits "$1")")"; }
platform() { case $1 in x86) echo win32 ;; x64) echo win64 ;; esac; }
# The class keys of one registry view as sorted lines (tests/windows/reg_dump.py). The type
# library's key is shared by both views: the other bitness's platform key is left out.
dump_classes() {
  local dir=$work/dump i=0 key
  rm -rf "$dir" && mkdir -p "$dir"
  for key in "${class_keys[@]}"; do
    i=$((i + 1))
    run "$1" reg export "$key" "$(winpath "$dir/$i.reg")" "$(view "$1")" /y >/dev/null 2>&1 || true
  done
  python3 tests/windows/reg_dump.py "$dir"/*.reg | grep -v "\\\\0\\\\$(platform "$(other_arch "$1")")" || true
}
# Without the lines of the keys the other bitness's registration still uses while it is
# installed, the ProgIDs, the type library's key and the interfaces' keys (regsvr32 /u of one
# bitness leaves them to the other), or without HELPDIR (the last installed bitness's
# folder, as regsvr32 leaves it).
unshared() {  # arch: keeps the bitness's own platform key
  local lines
  lines=$(cat)
  echo "$lines" | grep -v "^HKEY_CLASSES_ROOT\\\\TypeLib\\\\\|^HKEY_CLASSES_ROOT\\\\scTAVExt\\.\|^HKEY_CLASSES_ROOT\\\\Interface\\\\" || true
  echo "$lines" | grep "\\\\0\\\\$(platform "$1")" || true
}
without_helpdir() { grep -v '\\HELPDIR	' || true; }
installed() { [ -f "$WINEPREFIX/drive_c/$(installdir "$1")/scTAVExt.dll" ]; }
regvalue() {  # arch key name -> data ("" when absent)
  run "$1" reg query "$2" /v "$3" "$(view "$1")" 2>/dev/null | tr -d '\r' |
    sed -n 's/^ *[^ ].*REG_SZ *//p' | head -1
}
haskey() { run "$1" reg query "$2" "$(view "$1")" >/dev/null 2>&1; }
# Windows 7 and later keep one copy of the ProgIDs' keys for both registry views; Wine keeps two.
# share BITS: the copy a program of that bitness wrote (or removed) becomes the other view's too,
# so that every check meets the registry as Windows keeps it. (The type library's key needs no
# such step: Wine shows its versions' values in both views.)
progids=()
for p in scTransferBillExt scTransferListExt scTransferListExt1; do progids+=("scTAVExt.$p" "scTAVExt.$p.1"); done
share() {
  local from=/reg:$1 to=/reg:$(other "$1") p
  mkdir -p "$work/shared"
  for p in "${progids[@]}"; do
    run x64 reg delete "HKCR\\$p" /f "$to" >/dev/null 2>&1 || true
    if run x64 reg query "HKCR\\$p" "$from" >/dev/null 2>&1; then
      run x64 reg export "HKCR\\$p" "$(winpath "$work/shared/$p.reg")" "$from" /y >/dev/null 2>&1
      run x64 reg import "$(winpath "$work/shared/$p.reg")" "$to" >/dev/null 2>&1
    fi
  done
}
# msiexec ARCH ARG...: the bitness's msiexec. Both packages write the ProgIDs through the 32-bit
# view.
msiexec() {
  local arch=$1 status=0
  shift
  run "$arch" msiexec "$@" >/dev/null 2>&1 || status=$?
  share 32
  return $status
}
installed_version() { [ -f "$WINEPREFIX/drive_c/$(installdir "$1")/scTAVExt.dll" ] &&
  python3 scripts/lib/dll_version.py "$WINEPREFIX/drive_c/$(installdir "$1")/scTAVExt.dll"; }
expect_values() {  # arch what: both host interface values as given
  local b l
  b=$(regvalue "$1" "$host" BillInterface)
  l=$(regvalue "$1" "$host" ListInterface)
  if [ "$b" = "$(bill_iid "$1")" ] && [ "$l" = "$(list_iid "$1")" ]; then
    ok "$1 $2: BillInterface $b, ListInterface $l"
  else
    bad "$1 $2: BillInterface '$b', ListInterface '$l', expected $(bill_iid "$1"), $(list_iid "$1")"
  fi
}

for arch in "${archs[@]}"; do
  step "$arch: refusing interface identifiers not in braces"
  for prop in "BILLINTERFACE=not-an-identifier" "LISTINTERFACE={0A1B2C3D 0000}"; do
    if msiexec "$arch" /i "$(msi "$arch")" /qn "$prop"; then
      bad "$arch $prop was accepted"
    elif [ -e "$WINEPREFIX/drive_c/$(installdir "$arch")" ]; then
      bad "$arch $prop refused, but files were installed"
    else
      ok "$arch $prop refused"
    fi
  done
done

for arch in "${archs[@]}"; do
  step "$arch: silent install of scTAVExt-$version-$arch.msi"
  if msiexec "$arch" /i "$(msi "$arch")" /qn BILLINTERFACE="$(bill_iid "$arch")" LISTINTERFACE="$(list_iid "$arch")"; then
    ok "$arch msiexec /i /qn"
  else
    bad "$arch msiexec /i /qn failed"
  fi
  got=$(installed_version "$arch" || true)
  if [ "$got" = "$version" ]; then ok "$arch DLL $version in $(installdir "$arch")"; else bad "$arch DLL in $(installdir "$arch"): '$got'"; fi
  expect_values "$arch" "host interface values"
done

# The bitness's own cscript.exe runs the client: it creates the three classes by ProgID and gets
# error 13 from Show with objects that are no host interface.
client() {  # arch when
  local out status
  if out=$(run "$1" "$(sysdir "$1")\\cscript.exe" //nologo "$checks\\show_type_mismatch.vbs" 2>&1); then status=0; else status=$?; fi
  if [ "$status" -eq 0 ] && echo "$out" | grep -q "^ok: " && ! echo "$out" | grep -q "FAILED"; then
    ok "$1 VBScript client $2 creates the three classes, error 13 from Show"
  else
    echo "$out" | tr -d '\r' | sed 's/^/  /'
    bad "$1 VBScript client $2 (exit $status)"
  fi
}

# What the packages wrote, as a client meets it before anything else registers the DLL. The
# classes and interfaces are in each bitness's own view (Windows keeps two copies of
# HKCR\CLSID and HKCR\Interface); the ProgIDs, and the type library's key, are written through
# the 32-bit view by one component both packages share, because Windows 7 and later keep one
# copy of them for both views (share above).
for arch in "${archs[@]}"; do
  step "$arch: before any regsvr32"
  got=$(run "$arch" reg query "HKCR\\CLSID\\{$(guid CLSID_BILL)}\\InprocServer32" /ve "$(view "$arch")" 2>/dev/null |
        tr -d '\r' | sed -n 's/^ *[^ ].*REG_SZ *//p' | head -1)
  if [ "$got" = "$(dllpath "$arch")" ] && haskey "$arch" "HKCR\\Interface\\{$(guid IID_BILL)}"; then
    ok "$arch classes and interfaces in the $(bits "$arch")-bit view (InprocServer32 $got)"
  else
    bad "$arch InprocServer32 in the $(bits "$arch")-bit view is '$got', expected $(dllpath "$arch")"
  fi
  missing=""
  for p in "${progids[@]}"; do
    run "$arch" reg query "HKCR\\$p\\CLSID" /reg:32 >/dev/null 2>&1 || missing+=" $p"
  done
  if [ -z "$missing" ]; then ok "$arch ProgIDs in the view Windows shares"; else bad "$arch ProgIDs missing:$missing"; fi
  client "$arch" "before any regsvr32"
done

for arch in "${archs[@]}"; do
  step "$arch: registry against regsvr32"
  # Both packages are installed: each view holds its own bitness's server.
  got=$(run "$arch" reg query "HKCR\\CLSID\\{$(guid CLSID_BILL)}\\InprocServer32" /ve "$(view "$arch")" 2>/dev/null |
        tr -d '\r' | sed -n 's/^ *[^ ].*REG_SZ *//p' | head -1)
  if [ "$got" = "$(dllpath "$arch")" ]; then ok "$arch side by side: InprocServer32 is $got"; else bad "$arch InprocServer32 is '$got', expected $(dllpath "$arch")"; fi
  from_msi=$(dump_classes "$arch")
  registered[$arch]=$from_msi
  regsvr32="$(sysdir "$arch")\\regsvr32.exe"
  run "$arch" "$regsvr32" /s /u "$(dllpath "$arch")" >/dev/null 2>&1 || bad "$arch regsvr32 /u failed"
  share "$(bits "$arch")"
  left=$(dump_classes "$arch")
  installed "$(other_arch "$arch")" && left=$(echo "$left" | unshared "$arch")
  if [ -z "$left" ]; then
    ok "$arch regsvr32 /u removes every key the package wrote"
  else
    bad "$arch keys the package wrote that regsvr32 /u leaves: $(echo "$left" | head -5)"
  fi
  run "$arch" "$regsvr32" /s "$(dllpath "$arch")" >/dev/null 2>&1 || bad "$arch regsvr32 failed"
  share "$(bits "$arch")"
  from_regsvr32=$(dump_classes "$arch")
  if [ -n "$from_msi" ] && [ "$from_msi" = "$from_regsvr32" ]; then
    ok "$arch package registry equals regsvr32's ($(echo "$from_msi" | wc -l) keys and values)"
  else
    bad "$arch package registry differs from regsvr32's:"
    diff <(echo "$from_msi") <(echo "$from_regsvr32") | sed 's/^/  /' || true
  fi
  client "$arch" "after regsvr32"

done

for arch in "${archs[@]}"; do
  step "$arch: repair"
  rm -f "$WINEPREFIX/drive_c/$(installdir "$arch")/scTAVExt.dll"
  run "$arch" reg delete 'HKCR\scTAVExt.scTransferBillExt' /f "$(view "$arch")" >/dev/null 2>&1 || true
  share "$(bits "$arch")"
  # msiexec /fa PACKAGE is the same on Windows; Wine's msiexec /f takes only product codes.
  if msiexec "$arch" /i "$(msi "$arch")" REINSTALL=ALL REINSTALLMODE=amus /qn; then
    ok "$arch repair (REINSTALL=ALL REINSTALLMODE=amus)"
  else
    bad "$arch repair failed"
  fi
  got=$(installed_version "$arch" || true)
  if [ "$got" = "$version" ] && haskey "$arch" 'HKCR\scTAVExt.scTransferBillExt\CLSID'; then
    ok "$arch repair restores the DLL and the ProgID"
  elif [ "$got" = "$version" ] && [ "$arch" = x86 ] && [ "${#archs[@]}" -gt 1 ]; then
    # Measured under Wine 8: the x86 package repaired alone restores the ProgIDs; with the x64
    # package installed, Wine's installer engine leaves the component both share unwritten (in
    # another sequence it wrote it into the 64-bit view). The x64 repair below restores them.
    echo "skipped: x86 repair's ProgIDs with the x64 package installed: Wine's installer engine does not rewrite the component both packages share (the DLL is restored)"
  else
    bad "$arch after repair: DLL '$got', ProgID $(haskey "$arch" 'HKCR\scTAVExt.scTransferBillExt\CLSID' && echo present || echo missing)"
  fi
  expect_values "$arch" "after repair"
done

for arch in "${archs[@]}"; do
  step "$arch: upgrade to scTAVExt-$next-$arch.msi"
  if msiexec "$arch" /i "$(next_msi "$arch")" /qn; then ok "$arch msiexec /i next version"; else bad "$arch upgrade failed"; fi
  got=$(installed_version "$arch" || true)
  if [ "$got" = "$next" ]; then ok "$arch DLL $next after the upgrade"; else bad "$arch DLL after the upgrade: '$got'"; fi
  products=$(run "$arch" reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s "$(view "$arch")" 2>/dev/null |
             tr -d '\r' | grep -c "DisplayName *REG_SZ *scTAVExt ($( [ "$arch" = x86 ] && echo 32 || echo 64)-bit)" || true)
  if [ "$products" = 1 ]; then ok "$arch one product installed after the upgrade"; else bad "$arch $products products installed after the upgrade"; fi
  expect_values "$arch" "after the upgrade"
  after=$(dump_classes "$arch" | without_helpdir)
  if [ "$after" = "$(echo "${registered[$arch]}" | without_helpdir)" ]; then
    ok "$arch classes registered as before after the upgrade"
  else
    bad "$arch classes after the upgrade differ:"
    diff <(echo "${registered[$arch]}" | without_helpdir) <(echo "$after") | sed 's/^/  /' || true
  fi
  if msiexec "$arch" /i "$(msi "$arch")" /qn; then
    bad "$arch the older package $version installs over $next"
  elif [ "$(installed_version "$arch" || true)" = "$next" ]; then
    ok "$arch the older package $version is refused over $next"
  else
    bad "$arch the refused older package changed the installed DLL"
  fi
done

for arch in "${archs[@]}"; do
  step "$arch: silent uninstall"
  if msiexec "$arch" /x "$(next_msi "$arch")" /qn; then ok "$arch msiexec /x /qn"; else bad "$arch msiexec /x failed"; fi
  left=$(dump_classes "$arch")
  installed "$(other_arch "$arch")" && left=$(echo "$left" | unshared "$arch")
  haskey "$arch" 'HKLM\Software\scTAVExt' && left+=" HKLM\\Software\\scTAVExt"
  [ -e "$WINEPREFIX/drive_c/$(installdir "$arch")" ] && left+=" C:\\$(installdir "$arch")"
  if [ -z "$left" ]; then ok "$arch uninstall leaves no file, key or value"; else bad "$arch left after uninstall: $(echo $left | head -c 300)"; fi
  if [ "$arch" = x86 ]; then
    if [ "$(installed_version x64 || true)" = "$next" ] &&
       [ "$(dump_classes x64 | without_helpdir)" = "$(echo "${registered[x64]}" | without_helpdir)" ] &&
       [ "$(regvalue x64 "$host" BillInterface)" = "$(bill_iid x64)" ]; then
      ok "x64 untouched by removing x86 (DLL, every key and the shared type library key, values)"
    else
      bad "x64 damaged by removing x86"
      diff <(echo "${registered[x64]}" | without_helpdir) <(dump_classes x64 | without_helpdir) | sed 's/^/  /' || true
    fi
  fi
done

step "done"
tally "windows packages"

#!/usr/bin/env bash
# Checks the Windows installers (scripts/windows-package.sh) under Wine, both bitnesses side by
# side in one fresh 64-bit prefix (the 32-bit package through WoW64, in the 32-bit registry
# view and Program Files (x86)):
#  - a BILLINTERFACE or LISTINTERFACE that is not an identifier in braces is refused;
#  - silent install with both properties; the DLL where expected; the host interface values;
#  - the registry the package writes equals what regsvr32 writes for the installed DLL, and
#    regsvr32 /u leaves nothing of it (so the package writes nothing more);
#  - the bitness's own cscript.exe creates the three classes and gets error 13 from Show;
#  - repair restores a deleted DLL and class key and keeps the host interface values;
#  - a package of the next version replaces the installed one and keeps the values; the older
#    package is then refused;
#  - silent uninstall leaves no file, key or value of the plug-in, and the other bitness intact.
# Prints one ok:/FAILED: line per check naming the bitness (win32, win64); exits non-zero on any
# failure.
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
# package_name VERSION BITS: the published name of the bitness's package of that version.
package_name() { echo "scTAVExt-$1-$(msi_arch "$2").msi"; }
for bits in 32 64; do
  # The package's version is the DLL's; the UpgradeCode is the bitness's fixed one.
  package=build/packages/$(package_name "$version" "$bits")
  upgrade=$(python3 -c "import sys; sys.path.insert(0, 'scripts/lib'); import msi_source; print(msi_source.UPGRADE_CODES['$(msi_arch "$bits")'].upper())")
  dll_version=$(python3 scripts/lib/dll_version.py "build/mingw$bits/src/com/scTAVExt.dll")
  if [ "$(property "$package" ProductVersion)" = "$dll_version" ] &&
     [ "$(property "$package" UpgradeCode)" = "{$upgrade}" ]; then
    ok "win$bits package version $dll_version (the DLL's), UpgradeCode {$upgrade}, $(stat -c %s "$package") bytes"
  else
    bad "win$bits package version '$(property "$package" ProductVersion)' (DLL $dll_version), UpgradeCode '$(property "$package" UpgradeCode)'"
  fi
done

step "creating a fresh Wine prefix"
wine_prefix packages
step "building the packages of the next version, $next"
./scripts/windows-package.sh --version "$next" --out "$work/next"
checks='C:\sctav-checks'
mkdir -p "$WINEPREFIX/drive_c/sctav-checks"
cp tests/windows/show_type_mismatch.vbs "$WINEPREFIX/drive_c/sctav-checks/"
winpath() { echo "Z:$(echo "$1" | tr / '\\')"; }
msi() { winpath "$(pwd)/build/packages/$(package_name "$version" "$1")"; }
next_msi() { winpath "$work/next/$(package_name "$next" "$1")"; }

host='HKLM\Software\scTAVExt\HostInterfaces'
declare -A registered  # bits -> our keys as the package wrote them

# Per bitness: install folder, host interface values given.
installdir() { case $1 in 32) echo 'Program Files (x86)/scTAVExt' ;; 64) echo 'Program Files/scTAVExt' ;; esac; }
dllpath() { echo "C:\\$(installdir "$1" | tr / '\\')\\scTAVExt.dll"; }
bill_iid() { echo "{0A1B2C3D-0000-4000-8000-0000000000$1}"; }
list_iid() { echo "{1A2B3C4D-0000-4000-8000-0000000000$1}"; }

# The keys of the bitness's view (scripts/lib/checks.sh), both views read by the one reg.exe that
# Wine's default loader starts, so that the package's keys and regsvr32's are compared as one
# reader sees them.
installed_snapshot() { view_snapshot wine "$@"; }
# Our keys in the bitness's view. The type library's key is shared by both views: the other
# bitness's platform key is left out.
dump_classes() {
  installed_snapshot "$1" "${our_keys[@]}" | grep -vF "\\0\\win$(other "$1")" || true
}
# Without the lines of the keys the other bitness's registration still uses while it is
# installed, the ProgIDs, the type library's key and the interfaces' keys (regsvr32 /u of one
# bitness leaves them to the other), or without HELPDIR (the last installed bitness's
# folder, as regsvr32 leaves it).
unshared() {  # bits: keeps the bitness's own platform key
  local lines
  lines=$(cat)
  echo "$lines" | grep -Ev '^hkcr\\(typelib|interface)\\|^hkcr\\sctavext\.' || true
  echo "$lines" | grep -F "\\0\\win$1" || true
}
without_helpdir() { grep -vF '\helpdir|' || true; }
installed() { [ -f "$WINEPREFIX/drive_c/$(installdir "$1")/scTAVExt.dll" ]; }
regvalue() { value "$(installed_snapshot "$1" "$2")" "$2" "${3:-}"; }  # bits key [name] -> data ("" when absent)
haskey() { has_key "$(installed_snapshot "$1" "$2")" "$2"; }
msiexec() { wine msiexec "$@" >/dev/null 2>&1; }
installed_version() { [ -f "$WINEPREFIX/drive_c/$(installdir "$1")/scTAVExt.dll" ] &&
  python3 scripts/lib/dll_version.py "$WINEPREFIX/drive_c/$(installdir "$1")/scTAVExt.dll"; }
expect_values() {  # bits what: both host interface values as given
  local snap b l
  snap=$(installed_snapshot "$1" "$host")
  b=$(value "$snap" "$host" BillInterface)
  l=$(value "$snap" "$host" ListInterface)
  if [ "$b" = "$(bill_iid "$1")" ] && [ "$l" = "$(list_iid "$1")" ]; then
    ok "win$1 $2: BillInterface $b, ListInterface $l"
  else
    bad "win$1 $2: BillInterface '$b', ListInterface '$l', expected $(bill_iid "$1"), $(list_iid "$1")"
  fi
}

for bits in 32 64; do
  step "win$bits: refusing interface identifiers not in braces"
  for prop in "BILLINTERFACE=not-an-identifier" "LISTINTERFACE={0A1B2C3D 0000}"; do
    if msiexec /i "$(msi "$bits")" /qn "$prop"; then
      bad "win$bits $prop was accepted"
    elif [ -e "$WINEPREFIX/drive_c/$(installdir "$bits")" ]; then
      bad "win$bits $prop refused, but files were installed"
    else
      ok "win$bits $prop refused"
    fi
  done
done

for bits in 32 64; do
  step "win$bits: silent install of $(package_name "$version" "$bits")"
  if msiexec /i "$(msi "$bits")" /qn BILLINTERFACE="$(bill_iid "$bits")" LISTINTERFACE="$(list_iid "$bits")"; then
    ok "win$bits msiexec /i /qn"
  else
    bad "win$bits msiexec /i /qn failed"
  fi
  got=$(installed_version "$bits" || true)
  if [ "$got" = "$version" ]; then ok "win$bits DLL $version in $(installdir "$bits")"; else bad "win$bits DLL in $(installdir "$bits"): '$got'"; fi
  expect_values "$bits" "host interface values"
done

for bits in 32 64; do
  step "win$bits: registry against regsvr32"
  # Both packages are installed: each view holds its own bitness's server.
  server="HKCR\\CLSID\\{$(guid CLSID_BILL)}\\InprocServer32"
  got=$(regvalue "$bits" "$server")
  if [ "$got" = "$(dllpath "$bits")" ]; then ok "win$bits side by side: InprocServer32 is $got"; else bad "win$bits InprocServer32 is '$got', expected $(dllpath "$bits")"; fi
  from_msi=$(dump_classes "$bits")
  registered[$bits]=$from_msi
  regsvr32 "$bits" /u "$(dllpath "$bits")" || bad "win$bits regsvr32 /u failed"
  left=$(dump_classes "$bits")
  installed "$(other "$bits")" && left=$(echo "$left" | unshared "$bits")
  if [ -z "$left" ]; then
    ok "win$bits regsvr32 /u removes every key the package wrote"
  else
    bad "win$bits keys the package wrote that regsvr32 /u leaves: $(echo "$left" | head -5)"
  fi
  regsvr32 "$bits" "$(dllpath "$bits")" || bad "win$bits regsvr32 failed"
  from_regsvr32=$(dump_classes "$bits")
  if [ -n "$from_msi" ] && [ "$from_msi" = "$from_regsvr32" ]; then
    ok "win$bits package registry equals regsvr32's ($(echo "$from_msi" | wc -l) keys and values)"
  else
    bad "win$bits package registry differs from regsvr32's:"
    diff <(echo "$from_msi") <(echo "$from_regsvr32") | sed 's/^/  /' || true
  fi

  step "win$bits: VBScript client ($(system_dir "$bits")\\cscript.exe)"
  if out=$(wine_system "$bits" cscript.exe //nologo "$checks\\show_type_mismatch.vbs" 2>&1); then status=0; else status=$?; fi
  if [ "$status" -eq 0 ] && echo "$out" | grep -q "^ok: " && ! echo "$out" | grep -q "FAILED"; then
    ok "win$bits VBScript client creates the three classes, error 13 from Show"
  else
    echo "$out" | tr -d '\r' | sed 's/^/  /'
    bad "win$bits VBScript client (exit $status)"
  fi
done

for bits in 32 64; do
  step "win$bits: repair"
  rm -f "$WINEPREFIX/drive_c/$(installdir "$bits")/scTAVExt.dll"
  wine reg delete 'HKCR\scTAVExt.scTransferBillExt' /f "/reg:$bits" >/dev/null 2>&1 || true
  # msiexec /fa PACKAGE is the same on Windows; Wine's msiexec /f takes only product codes.
  if msiexec /i "$(msi "$bits")" REINSTALL=ALL REINSTALLMODE=amus /qn; then
    ok "win$bits repair (REINSTALL=ALL REINSTALLMODE=amus)"
  else
    bad "win$bits repair failed"
  fi
  got=$(installed_version "$bits" || true)
  if [ "$got" = "$version" ] && haskey "$bits" 'HKCR\scTAVExt.scTransferBillExt\CLSID'; then
    ok "win$bits repair restores the DLL and the ProgID"
  else
    bad "win$bits after repair: DLL '$got', ProgID $(haskey "$bits" 'HKCR\scTAVExt.scTransferBillExt\CLSID' && echo present || echo missing)"
  fi
  expect_values "$bits" "after repair"
done

for bits in 32 64; do
  step "win$bits: upgrade to $(package_name "$next" "$bits")"
  if msiexec /i "$(next_msi "$bits")" /qn; then ok "win$bits msiexec /i next version"; else bad "win$bits upgrade failed"; fi
  got=$(installed_version "$bits" || true)
  if [ "$got" = "$next" ]; then ok "win$bits DLL $next after the upgrade"; else bad "win$bits DLL after the upgrade: '$got'"; fi
  products=$(installed_snapshot "$bits" 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' |
             grep -cF "|displayname|REG_SZ|scTAVExt ($bits-bit)" || true)
  if [ "$products" = 1 ]; then ok "win$bits one product installed after the upgrade"; else bad "win$bits $products products installed after the upgrade"; fi
  expect_values "$bits" "after the upgrade"
  after=$(dump_classes "$bits" | without_helpdir)
  if [ "$after" = "$(echo "${registered[$bits]}" | without_helpdir)" ]; then
    ok "win$bits classes registered as before after the upgrade"
  else
    bad "win$bits classes after the upgrade differ:"
    diff <(echo "${registered[$bits]}" | without_helpdir) <(echo "$after") | sed 's/^/  /' || true
  fi
  if msiexec /i "$(msi "$bits")" /qn; then
    bad "win$bits the older package $version installs over $next"
  elif [ "$(installed_version "$bits" || true)" = "$next" ]; then
    ok "win$bits the older package $version is refused over $next"
  else
    bad "win$bits the refused older package changed the installed DLL"
  fi
done

for bits in 32 64; do
  step "win$bits: silent uninstall"
  if msiexec /x "$(next_msi "$bits")" /qn; then ok "win$bits msiexec /x /qn"; else bad "win$bits msiexec /x failed"; fi
  left=$(dump_classes "$bits")
  installed "$(other "$bits")" && left=$(echo "$left" | unshared "$bits")
  haskey "$bits" 'HKLM\Software\scTAVExt' && left+=" HKLM\\Software\\scTAVExt"
  [ -e "$WINEPREFIX/drive_c/$(installdir "$bits")" ] && left+=" C:\\$(installdir "$bits")"
  if [ -z "$left" ]; then ok "win$bits uninstall leaves no file, key or value"; else bad "win$bits left after uninstall: $(echo $left | head -c 300)"; fi
  if [ "$bits" = 32 ]; then
    if [ "$(installed_version 64 || true)" = "$next" ] &&
       [ "$(dump_classes 64 | without_helpdir)" = "$(echo "${registered[64]}" | without_helpdir)" ] &&
       [ "$(regvalue 64 "$host" BillInterface)" = "$(bill_iid 64)" ]; then
      ok "win64 untouched by removing win32 (DLL, every key and the shared type library key, values)"
    else
      bad "win64 damaged by removing win32"
      diff <(echo "${registered[64]}" | without_helpdir) <(dump_classes 64 | without_helpdir) | sed 's/^/  /' || true
    fi
  fi
done

step "done"
tally "windows packages"

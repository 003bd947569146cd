#!/usr/bin/env bash
# Builds scTAVExt.dll for 32-bit and 64-bit Windows and checks it:
#  - both DLLs: the four undecorated exports, no DLL dependency beyond the system's, and the
#    embedded type library (TYPELIB 1) for the right platform with the library's GUIDs;
#  - the 64-bit DLL under Wine (this machine's kernel cannot run 32-bit programs): regsvr32
#    registers it, the registry then holds the three classes, their ProgIDs and the type
#    library; a VBScript client run by cscript creates each class and sees error 13 from Show
#    with an object that is not a host interface; regsvr32 /u removes every key again;
#  - the simulated host built for Windows (SQLite from Debian's source package) runs the
#    scenario suite under Wine, with the plug-in linked in and again through the registered
#    DLL (sctav --via-com);
#  - the bridge's unit tests (sctav_com_tests.exe) under Wine: values, errors, late-bound
#    calls, events through connection points, the plug-in classes' factory; and the form
#    renderer's tests, which open real windows, under Xvfb.
# Wine runs headless in a fresh prefix that is deleted afterwards. Exits non-zero on failure.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
./scripts/windows-setup.sh

passed=0
failed=0
ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() { echo "FAILED: $*"; failed=$((failed + 1)); }
step() { echo "== $* ($((SECONDS - started))s)"; }
started=$SECONDS

# ---- Build -----------------------------------------------------------------------------------
for bits in 64 32; do
  step "building scTAVExt.dll for win$bits"
  cmake --preset "mingw$bits" >/dev/null
  cmake --build --preset "mingw$bits" --target scTAVExt
done
step "building the bridge tests for win64"
cmake --build --preset mingw64 --target sctav_com_tests

# ---- Inspect both DLLs -----------------------------------------------------------------------
expected_exports=$'DllCanUnloadNow\nDllGetClassObject\nDllRegisterServer\nDllUnregisterServer'
for bits in 64 32; do
  dll=build/mingw$bits/src/com/scTAVExt.dll
  case $bits in 64) objdump=x86_64-w64-mingw32-objdump ;; 32) objdump=i686-w64-mingw32-objdump ;; esac
  step "inspecting $dll"
  exports=$($objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' |
            sed -n 's/^\s*\[ *[0-9]*\] //p' | sort)
  if [ "$exports" = "$expected_exports" ]; then
    ok "win$bits exports $(echo $exports)"
  else
    bad "win$bits exports: expected $(echo $expected_exports), got $(echo $exports)"
  fi
  imports=$($objdump -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z' | sort | tr '\n' ' ')
  extra=$(for d in $imports; do
            case $d in kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|ole32.dll|oleaut32.dll|\
                       comctl32.dll|comdlg32.dll|shlwapi.dll|msvcrt.dll) ;; *) echo -n "$d " ;; esac
          done)
  if [ -z "$extra" ]; then ok "win$bits imports only system DLLs: $imports"; else bad "win$bits imports $extra"; fi
  if python3 src/com/checks/typelib_check.py "$dll" src/com/guids.h "win$bits"; then
    ok "win$bits type library"
  else
    bad "win$bits type library"
  fi
done

# ---- Run the 64-bit DLL under Wine ---------------------------------------------------------
work=$(mktemp -d /tmp/sctav-wine.XXXXXX)
export WINEPREFIX=$work/prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
unset DISPLAY WAYLAND_DISPLAY
cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

step "creating a fresh Wine prefix"
wine wineboot -i >/dev/null 2>&1 || true
wineserver -w
install=$WINEPREFIX/drive_c/sctav
mkdir -p "$install"
cp build/mingw64/src/com/scTAVExt.dll build/mingw64/src/com/sctav_com_tests.exe \
   src/com/checks/*.vbs "$install/"

step "bridge tests (headless)"
if (cd "$install" && wine sctav_com_tests.exe --gtest_brief=1 --gtest_filter=-WinForms.*) 2>&1 |
   tr -d '\r'; then
  ok "bridge tests"
else
  bad "bridge tests"
fi
# Windows need an X server: the form tests run under Xvfb, in a Wine server started under it.
wineserver -w
step "form tests (Xvfb)"
if (cd "$install" && xvfb-run -a -s "-screen 0 1024x768x24" \
      wine sctav_com_tests.exe --gtest_brief=1 --gtest_filter=WinForms.*) 2>&1 | tr -d '\r'; then
  ok "form tests"
else
  bad "form tests"
fi
wineserver -w

guid() { sed -n "s/^#define SCTAV_UUID_$1 \(.*\)$/\1/p" src/com/guids.h | tr 'a-z' 'A-Z'; }
libid="{$(guid LIBID)}"
classes=("scTransferBillExt:$(guid CLSID_BILL):$(guid IID_BILL)"
         "scTransferListExt:$(guid CLSID_LIST):$(guid IID_LIST)"
         "scTransferListExt1:$(guid CLSID_LIST1):$(guid IID_LIST1)")

regvalue() {  # key [value name] -> data of the value ("" when absent)
  local args=("$1"); if [ -n "${2:-}" ]; then args+=(/v "$2"); else args+=(/ve); fi
  wine reg query "${args[@]}" 2>/dev/null | tr -d '\r' | sed -n 's/^ *[^ ].*REG_SZ *//p' | head -1
}
haskey() { wine reg query "$1" >/dev/null 2>&1; }
expect_value() {  # what key name expected
  local got
  got=$(regvalue "$2" "$3")
  if [ "${got,,}" = "${4,,}" ]; then ok "$1"; else bad "$1: $2 [$3] is '$got', expected '$4'"; fi
}

step "regsvr32 scTAVExt.dll"
if wine regsvr32 /s 'C:\sctav\scTAVExt.dll' >/dev/null 2>&1; then ok "regsvr32"; else bad "regsvr32 failed"; fi
for entry in "${classes[@]}"; do
  IFS=: read -r name clsid iid <<<"$entry"
  progid="scTAVExt.$name"
  key="HKCR\\CLSID\\{$clsid}"
  expect_value "$progid ProgID" "HKCR\\$progid\\CLSID" "" "{$clsid}"
  expect_value "$progid CurVer" "HKCR\\$progid\\CurVer" "" "$progid.1"
  expect_value "$progid.1 ProgID" "HKCR\\$progid.1\\CLSID" "" "{$clsid}"
  expect_value "$name InprocServer32" "$key\\InprocServer32" "" 'C:\sctav\scTAVExt.dll'
  expect_value "$name ThreadingModel" "$key\\InprocServer32" ThreadingModel Apartment
  expect_value "$name VersionIndependentProgID" "$key\\VersionIndependentProgID" "" "$progid"
  expect_value "$name TypeLib" "$key\\TypeLib" "" "$libid"
  expect_value "_$name interface" "HKCR\\Interface\\{$iid}" "" "_$name"
done
expect_value "type library registered" "HKCR\\TypeLib\\$libid\\1.0\\0\\win64" "" 'C:\sctav\scTAVExt.dll'

step "cscript show_type_mismatch.vbs"
if out=$(wine cscript //nologo 'C:\sctav\show_type_mismatch.vbs' 2>&1); then status=0; else status=$?; fi
echo "$out" | tr -d '\r' | sed 's/^/  /'
if [ "$status" -eq 0 ] && echo "$out" | grep -q "^ok: " && ! echo "$out" | grep -q "FAILED"; then
  ok "VBScript client sees error 13 from Show"
else
  bad "VBScript client (exit $status)"
fi

step "regsvr32 /u scTAVExt.dll"
if wine regsvr32 /s /u 'C:\sctav\scTAVExt.dll' >/dev/null 2>&1; then ok "regsvr32 /u"; else bad "regsvr32 /u failed"; fi
left=""
for entry in "${classes[@]}"; do
  IFS=: read -r name clsid iid <<<"$entry"
  for key in "HKCR\\scTAVExt.$name" "HKCR\\scTAVExt.$name.1" "HKCR\\CLSID\\{$clsid}" \
             "HKCR\\Interface\\{$iid}"; do
    haskey "$key" && left+="$key "
  done
done
haskey "HKCR\\TypeLib\\$libid" && left+="HKCR\\TypeLib\\$libid "
if [ -z "$left" ]; then ok "unregistered: no key left"; else bad "keys left after unregistering: $left"; fi

# ---- The simulated host and the scenario suite, built for Windows --------------------------
# SQLite comes from Debian's source package (scripts/windows-deps.sh). Skip with
# SCTAV_SKIP_WINDOWS_SIM=1.
if [ "${SCTAV_SKIP_WINDOWS_SIM:-0}" != "1" ]; then
  step "building the simulated host for win64"
  ./scripts/windows-setup.sh tcl8.6 make
  ./scripts/windows-deps.sh sqlite3
  cmake --preset mingw64-sim >/dev/null
  cmake --build --preset mingw64-sim --target sctav
  step "scenarios under Wine"
  if out=$(wine build/mingw64-sim/sctav.exe run scenarios/*.sct 2>&1); then status=0; else status=$?; fi
  echo "$out" | tr -d '\r' | grep -v '^PASS' | sed 's/^/  /'
  if [ "$status" -eq 0 ]; then ok "scenario suite under Wine"; else bad "scenario suite under Wine (exit $status)"; fi

  # The same suite through the real DLL: sctav --via-com creates the plug-in's classes by ProgID
  # through CoCreateInstance from the registered scTAVExt.dll and serves its windows as COM
  # event sources; it also fails when a released class kept references to a host window.
  # Skip with SCTAV_SKIP_WINDOWS_VIA_COM=1.
  if [ "${SCTAV_SKIP_WINDOWS_VIA_COM:-0}" != "1" ]; then
    step "scenarios through scTAVExt.dll (sctav --via-com)"
    if wine regsvr32 /s 'C:\sctav\scTAVExt.dll' >/dev/null 2>&1; then
      if out=$(wine build/mingw64-sim/sctav.exe --via-com run scenarios/*.sct 2>&1); then status=0; else status=$?; fi
      echo "$out" | tr -d '\r' | grep -v '^PASS' | sed 's/^/  /'
      if [ "$status" -eq 0 ]; then ok "scenario suite through the DLL"; else bad "scenario suite through the DLL (exit $status)"; fi
      wine regsvr32 /s /u 'C:\sctav\scTAVExt.dll' >/dev/null 2>&1 || bad "regsvr32 /u after the scenarios"
    else
      bad "regsvr32 before the scenarios through the DLL"
    fi
  fi
fi

step "done"
echo "windows: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

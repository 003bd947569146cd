#!/usr/bin/env bash
# Builds scTAVExt.dll for 32-bit and 64-bit Windows and checks each bitness the same way, both in
# one fresh 64-bit Wine prefix (32-bit programs run there through WoW64: syswow64\regsvr32.exe,
# syswow64\cscript.exe and the registry's 32-bit view; where 32-bit programs run only through
# emulation, `windows-checks.sh 32` checks the 32-bit half in a 32-bit prefix of its own):
#  - the DLL: the four undecorated exports, no DLL dependency beyond the system's, and the
#    embedded type library (TYPELIB 1) for the right platform with the library's GUIDs;
#  - the bridge's unit tests (sctav_com_tests.exe, built for that bitness) headless: values,
#    errors, late-bound calls, events through connection points, the plug-in classes' factory,
#    the served thread; and the form renderer's tests, which open real windows, under Xvfb;
#  - regsvr32 of that bitness registers the DLL; that bitness's registry view then holds the
#    three classes, their ProgIDs, the interfaces and the type library (TypeLib\{libid}\1.0\0\
#    win32 or win64); a VBScript client run by that bitness's cscript creates each class and
#    sees error 13 from Show with an object that is not a host interface; regsvr32 /u removes
#    every key again;
#  - both DLLs registered side by side: each view finds its own DLL and each cscript its own
#    classes; unregistering either leaves every key of the other (and its client working), and
#    unregistering both leaves no key in either view;
#  - the simulated host built for that bitness (presets mingw64-sim, mingw32-sim; SQLite from
#    Debian's source package) runs the scenario suite with the plug-in linked in, and again
#    through the registered DLL (sctav --via-com: the host's components created by the DLL
#    through COM, its message boxes real windows answered through Win32), which also fails when
#    a released class kept references to a host window; and the plug-in's four forms, opened by its own commands on
#    the demo centre, played by real key messages alone (Tab, F1, Esc or Enter).
# Every line names its bitness ("ok: win32 ...", "FAILED: win64 ..."). Exits non-zero on failure.
#
# Usage: windows-checks.sh [32] [64]   (default: both; SCTAV_WINDOWS_BITS="32" does the same as
# the argument). SCTAV_SKIP_WINDOWS_SIM=1 skips the simulated host, SCTAV_SKIP_WINDOWS_VIA_COM=1
# only its run through the DLL.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)

. scripts/lib/checks.sh
windows_bitnesses "usage: $0 [32] [64]" "$@"
sim=1; [ "${SCTAV_SKIP_WINDOWS_SIM:-0}" = "1" ] && sim=0
via_com=$sim; [ "${SCTAV_SKIP_WINDOWS_VIA_COM:-0}" = "1" ] && via_com=0

setup_extra=()
[ "$sim" = 1 ] && setup_extra=(tcl8.6 make)
# The dialogs' Chinese texts need a CJK font in the prefix (wine_cjk_fonts).
setup_extra+=(fonts-wqy-microhei)
./scripts/windows-setup.sh "${setup_extra[@]}"
. scripts/lib/windows-build.sh
# A machine whose kernel cannot execute 32-bit programs cannot run the 32-bit DLL or any of its
# tools under Wine: the 32-bit half is then left out, and said so. Where they run through
# emulation (scripts/windows-emulate32.sh), `windows-checks.sh 32` checks the 32-bit half alone
# in a 32-bit prefix.
prefix_of_run=64
if [[ " ${bitnesses[*]} " == *" 32 "* ]] && ! runs_32bit; then
  if emulates_32bit && [ ${#bitnesses[@]} -eq 1 ]; then
    echo "note: win32 checks in a 32-bit prefix, 32-bit programs through qemu-user emulation"
    prefix_of_run=32
  else
    if emulates_32bit; then
      echo "skipped: win32 checks: 32-bit programs run here only through emulation, which a 64-bit prefix cannot start; run $0 32 for them"
    else
      echo "skipped: win32 checks: this machine cannot execute 32-bit programs ($(/usr/lib/wine/wine --version 2>&1 | head -1))"
    fi
    mapfile -t bitnesses < <(printf '%s\n' "${bitnesses[@]}" | grep -vx 32)
    [ ${#bitnesses[@]} -gt 0 ] || exit 0
  fi
fi

timings=()
part_name=""
part_started=$SECONDS
# part NAME: starts timing a part of the run (the previous part ends); the summary lists them.
part() {
  if [ -n "$part_name" ]; then timings+=("$(printf '%5ds  %s' $((SECONDS - part_started)) "$part_name")"); fi
  part_name=$1
  part_started=$SECONDS
  [ -n "$part_name" ] && step "$part_name"
  return 0
}
# Where the bitness's DLL and test programs go in the prefix.
install_dir() { echo "C:\\sctav\\win$1"; }
unix_install_dir() { echo "$WINEPREFIX/drive_c/sctav/win$1"; }

# ---- Build -----------------------------------------------------------------------------------
build() {
  windows_build "$1" "$sim" scTAVExt sctav_com_tests
  [ "$sim" = 1 ] && cmake --build --preset "mingw$1-sim" --target sctav_form_shots
  return 0
}

# ---- Inspect the DLL -------------------------------------------------------------------------
expected_exports=$'DllCanUnloadNow\nDllGetClassObject\nDllRegisterServer\nDllUnregisterServer'
inspect() {
  local bits=$1 dll=build/mingw$1/src/com/scTAVExt.dll objdump
  objdump=$(triple "$bits")-objdump
  local exports imports extra
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
  if python3 tests/windows/typelib_check.py "$dll" src/com/guids.h "win$bits"; then
    ok "win$bits type library"
  else
    bad "win$bits type library"
  fi
}

# ---- Bridge and form tests -------------------------------------------------------------------
bridge_tests() {
  local bits=$1
  if (cd "$(unix_install_dir "$bits")" &&
      "$(wine_loader "$bits")" sctav_com_tests.exe --gtest_brief=1 --gtest_filter=-WinForms.*) 2>&1 | tr -d '\r'; then
    ok "win$bits bridge tests"
  else
    bad "win$bits bridge tests"
  fi
}
# Windows need an X server: the form tests run under Xvfb, in a Wine server started under it.
form_tests() {
  local bits=$1
  wineserver -w
  if (cd "$(unix_install_dir "$bits")" && xvfb-run -a -s "-screen 0 1024x768x24" \
        "$(wine_loader "$bits")" sctav_com_tests.exe --gtest_brief=1 --gtest_filter=WinForms.*) 2>&1 | tr -d '\r'; then
    ok "win$bits form tests"
  else
    bad "win$bits form tests"
  fi
  wineserver -w
}

# ---- Registry --------------------------------------------------------------------------------
libid="{$(guid LIBID)}"
classes=("scTransferBillExt:$(guid CLSID_BILL):$(guid IID_BILL)"
         "scTransferListExt:$(guid CLSID_LIST):$(guid IID_LIST)"
         "scTransferListExt1:$(guid CLSID_LIST1):$(guid IID_LIST1)")
# Every key the registration writes or removes, below HKEY_CLASSES_ROOT.
our_keys=()
for entry in "${classes[@]}"; do
  IFS=: read -r name clsid iid <<<"$entry"
  our_keys+=("CLSID\\{$clsid}" "scTAVExt.$name" "scTAVExt.$name.1" "Interface\\{$iid}")
done
our_keys+=("TypeLib\\$libid")

# snapshot BITS: every key of ours with its values as a program of that bitness sees them (read
# by that bitness's reg.exe, in one cmd.exe session), one "key|value name|data" line each (lower
# case; "(default)" for the default value). (Wine's 64-bit reg.exe with /reg:32 misses the keys
# both views share, such as the ProgIDs; a 32-bit program sees them.)
snapshot() {
  local bits=$1 script="" key
  for key in "${our_keys[@]}"; do script+="reg query HKCR\\$key /s /reg:$bits & "; done
  { "$(wine_loader "$bits")" "$(system_dir "$bits")\\cmd.exe" /c "${script% & }" 2>/dev/null || true; } |
    tr -d '\r' | tr 'A-Z' 'a-z' |
    awk '/^hkey_classes_root\\/ { key = substr($0, 19); print key "||"; next }
         /^    / { line = substr($0, 5); n = index(line, "    reg_");
                   if (n == 0) next; name = substr(line, 1, n - 1);
                   rest = substr(line, n + 4); m = index(rest, "    ");
                   data = m ? substr(rest, m + 4) : "";
                   print key "|" name "|" data }'
}
# value SNAPSHOT KEY [NAME]: the data of a value in a snapshot ("" when absent).
# (Names go to awk through the environment: awk -v would take their backslashes as escapes.)
value() {
  local name="${3:-(default)}"
  K="${2,,}" N="${name,,}" awk -F'|' '$1 == ENVIRON["K"] && $2 == ENVIRON["N"] { print $3; exit }' <<<"$1"
}
# has_key SNAPSHOT KEY: whether the key (or a key below it) is in the snapshot.
has_key() {
  K="${2,,}" awk -F'|' 'BEGIN { k = ENVIRON["K"] }
    $1 == k || index($1, k "\\") == 1 { found = 1 } END { exit !found }' <<<"$1"
}

# expect_registered BITS [LABEL]: the bitness's view holds every key of its registration.
expect_registered() {
  local bits=$1 label=${2:-} snap dir wrong="" entry name clsid iid progid key
  snap=$(snapshot "$bits")
  dir=$(install_dir "$bits")
  check() {  # what key name expected
    local got
    got=$(value "$snap" "$2" "$3")
    if [ "$got" != "${4,,}" ]; then wrong+=$'\n'"  $1: HKCR\\$2 [${3:-(default)}] is '$got', expected '${4,,}'"; fi
  }
  for entry in "${classes[@]}"; do
    IFS=: read -r name clsid iid <<<"$entry"
    progid="scTAVExt.$name"
    key="CLSID\\{$clsid}"
    check "$progid ProgID" "$progid\\CLSID" "" "{$clsid}"
    check "$progid CurVer" "$progid\\CurVer" "" "$progid.1"
    check "$progid.1 ProgID" "$progid.1\\CLSID" "" "{$clsid}"
    check "$name class" "$key" "" "$name"
    check "$name InprocServer32" "$key\\InprocServer32" "" "$dir\\scTAVExt.dll"
    check "$name ThreadingModel" "$key\\InprocServer32" ThreadingModel Apartment
    check "$name ProgID" "$key\\ProgID" "" "$progid.1"
    check "$name VersionIndependentProgID" "$key\\VersionIndependentProgID" "" "$progid"
    check "$name TypeLib" "$key\\TypeLib" "" "$libid"
    check "$name Version" "$key\\Version" "" "1.0"
    has_key "$snap" "$key\\Programmable" || wrong+=$'\n'"  $name: no HKCR\\$key\\Programmable"
    check "_$name interface" "Interface\\{$iid}" "" "_$name"
    check "_$name interface's type library" "Interface\\{$iid}\\TypeLib" "" "$libid"
  done
  check "type library" "TypeLib\\$libid\\1.0\\0\\win$bits" "" "$dir\\scTAVExt.dll"
  if [ -z "$wrong" ]; then
    ok "win$bits registry holds every key$label"
  else
    bad "win$bits registry$label:$wrong"
  fi
}

# expect_unregistered BITS [LABEL]: none of the bitness's own keys is left in its view; with the
# other bitness still registered, the keys both share stay (expect_registered checks them), else
# no key of ours is left at all.
expect_unregistered() {
  local bits=$1 label=${2:-} others_registered=${3:-0} snap left="" key entry name clsid iid
  snap=$(snapshot "$bits")
  if [ "$others_registered" = 1 ]; then
    for entry in "${classes[@]}"; do
      IFS=: read -r name clsid iid <<<"$entry"
      has_key "$snap" "CLSID\\{$clsid}" && left+="HKCR\\CLSID\\{$clsid} "
    done
    has_key "$snap" "TypeLib\\$libid\\1.0\\0\\win$bits" && left+="HKCR\\TypeLib\\$libid\\1.0\\0\\win$bits "
  else
    for key in "${our_keys[@]}"; do has_key "$snap" "$key" && left+="HKCR\\$key "; done
  fi
  if [ -z "$left" ]; then ok "win$bits unregistered: no key left$label"; else bad "win$bits keys left$label: $left"; fi
}

# VBScript client, run by the bitness's own cscript.
script_client() {
  local bits=$1 label=${2:-} out status
  if out=$("$(wine_loader "$bits")" "$(system_dir "$bits")\\cscript.exe" //nologo "$(install_dir "$bits")\\show_type_mismatch.vbs" 2>&1); then
    status=0
  else
    status=$?
  fi
  out=$(echo "$out" | tr -d '\r')
  if [ "$status" -eq 0 ] && echo "$out" | grep -q "^ok: " && ! echo "$out" | grep -q "FAILED"; then
    ok "win$bits VBScript client sees error 13 from Show$label ($(echo "$out" | grep -c '^ok: ') ok lines)"
  else
    echo "$out" | sed 's/^/  /'
    bad "win$bits VBScript client$label (exit $status)"
  fi
}

register() {
  local bits=$1 label=${2:-}
  if regsvr32 "$bits" "$(install_dir "$bits")\\scTAVExt.dll"; then ok "win$bits regsvr32$label"; else bad "win$bits regsvr32$label failed"; fi
}
unregister() {
  local bits=$1 label=${2:-}
  if regsvr32 "$bits" /u "$(install_dir "$bits")\\scTAVExt.dll"; then ok "win$bits regsvr32 /u$label"; else bad "win$bits regsvr32 /u$label failed"; fi
}

registration() {
  local bits=$1
  register "$bits"
  expect_registered "$bits"
  script_client "$bits"
  unregister "$bits"
  expect_unregistered "$bits"
}

side_by_side() {
  local label=" (side by side)" bits
  for bits in 64 32; do register "$bits" "$label"; done
  for bits in 64 32; do expect_registered "$bits" "$label"; script_client "$bits" "$label"; done
  # Each bitness unregistered while the other stays.
  for bits in 32 64; do
    local o
    o=$(other "$bits")
    unregister "$bits" "$label"
    expect_unregistered "$bits" " while win$o stays" 1
    expect_registered "$o" " after win$bits was unregistered"
    script_client "$o" " after win$bits was unregistered"
    register "$bits" " again"
  done
  for bits in 64 32; do unregister "$bits" " (both)"; done
  for bits in 64 32; do expect_unregistered "$bits" " after both were unregistered"; done
}

# ---- The simulated host and the scenario suite -----------------------------------------------
since() { local ms=$((($(date +%s%N) - $1) / 1000000)); printf '%d.%01ds' $((ms / 1000)) $((ms % 1000 / 100)); }
# suite BITS WHAT [sctav options]: the whole scenario suite with the bitness's simulated host.
suite() {
  local bits=$1 what=$2 out status t
  shift 2
  t=$(date +%s%N)
  if out=$("$(wine_loader "$bits")" "build/mingw$bits-sim/sctav.exe" "$@" run scenarios/*.sct 2>&1); then status=0; else status=$?; fi
  out=$(echo "$out" | tr -d '\r')
  echo "$out" | grep -v '^PASS' | sed 's/^/  /'
  if [ "$status" -eq 0 ]; then
    # The tally line, not whatever came last: under emulation a crashing service of the prefix
    # may write after it.
    ok "win$bits scenario suite $what: $(echo "$out" | grep -E '^[0-9]+ passed, [0-9]+ failed$' | tail -1) in $(since "$t")"
  else
    bad "win$bits scenario suite $what (exit $status)"
  fi
}
scenarios() {
  local bits=$1
  suite "$bits" "linked in"
  [ "$via_com" = 1 ] || return 0
  # The same suite through the registered DLL with nothing but COM and Win32 between them:
  # sctav --via-com creates the plug-in's classes by ProgID through CoCreateInstance and serves
  # its windows as COM event sources; the DLL's message boxes and forms are real windows,
  # answered and played through Win32, on Wine's null display.
  if ! regsvr32 "$bits" "$(install_dir "$bits")\\scTAVExt.dll"; then
    bad "win$bits regsvr32 before the scenarios through the DLL"
    return 0
  fi
  wine_null_display on
  suite "$bits" "through the DLL" --via-com
  wine_null_display off
  regsvr32 "$bits" /u "$(install_dir "$bits")\\scTAVExt.dll" || bad "win$bits regsvr32 /u after the scenarios"
}
# form_keys BITS: the plug-in's own commands open its four forms on the demo centre, rendered by
# the Win32 user interface, and each is played by real key messages alone: the focus path of Tab,
# F1 for its help, then Esc, or Enter where the form is confirmed (tests/windows/form_shots.cpp).
form_keys() {
  local bits=$1 out status
  wineserver -w
  if out=$(xvfb-run -a -s "-screen 0 1024x768x24" \
        "$(wine_loader "$bits")" "build/mingw$bits-sim/tests/windows/sctav_form_shots.exe" --keys 2>&1); then
    status=0
  else
    status=$?
  fi
  out=$(echo "$out" | tr -d '\r' | grep '^form_keys: ' || true)
  echo "$out" | sed 's/^/  /'
  if [ "$status" -eq 0 ]; then
    ok "win$bits the plug-in's forms by the keyboard: $(echo "$out" | tail -1 | sed 's/^form_keys: //')"
  else
    bad "win$bits the plug-in's forms by the keyboard (exit $status)"
  fi
  wineserver -w
}

# ---- The run ---------------------------------------------------------------------------------
for bits in "${bitnesses[@]}"; do
  part "win$bits build"
  build "$bits"
done
part "inspecting the DLLs"
for bits in "${bitnesses[@]}"; do inspect "$bits"; done

part "creating a fresh Wine prefix"
wine_prefix checks "$prefix_of_run"
if [ "$prefix_of_run" = 32 ]; then
  # Under emulation every Wine program takes minutes to start (the prefix's services start with
  # it, emulated too), so only the suite through the DLL is run: one regsvr32, one run.
  echo "skipped: win32 bridge, form, registration and keyboard checks under emulation; the scenario suite through the DLL only"
  mkdir -p "$(unix_install_dir 32)"
  cp build/mingw32/src/com/scTAVExt.dll "$(unix_install_dir 32)/"
  part "win32 scenarios through the DLL, emulated"
  if regsvr32 32 "$(install_dir 32)\\scTAVExt.dll"; then
    wine_null_display on
    suite 32 "through the DLL (emulated)" --via-com
  else
    bad "win32 regsvr32 before the scenarios through the DLL"
  fi
  part ""
  echo "== done in $((SECONDS - started))s:"
  printf '%s\n' "${timings[@]}"
  tally windows
  exit
fi
wine_cjk_fonts
if fc-list 2>/dev/null | grep -q "WenQuanYi Micro Hei"; then
  if "$(wine_loader "$prefix_bits")" reg query 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes' \
       /v "MS Shell Dlg" 2>/dev/null | tr -d '\r' | grep -q "WenQuanYi Micro Hei"; then
    ok "the prefix draws the dialog fonts with a CJK font"
  else
    bad "the prefix does not substitute the dialog fonts"
  fi
fi
for bits in "${bitnesses[@]}"; do
  mkdir -p "$(unix_install_dir "$bits")"
  cp "build/mingw$bits/src/com/scTAVExt.dll" "build/mingw$bits/tests/windows/sctav_com_tests.exe" \
     tests/windows/*.vbs "$(unix_install_dir "$bits")/"
done
for bits in "${bitnesses[@]}"; do
  part "win$bits bridge and form tests"
  bridge_tests "$bits"
  form_tests "$bits"
  part "win$bits registration"
  registration "$bits"
done
if [ ${#bitnesses[@]} -eq 2 ]; then
  part "both DLLs side by side"
  side_by_side
fi
if [ "$sim" = 1 ]; then
  for bits in "${bitnesses[@]}"; do
    part "win$bits scenarios"
    scenarios "$bits"
    part "win$bits forms by the keyboard"
    form_keys "$bits"
  done
fi
part ""

echo "== done in $((SECONDS - started))s:"
printf '%s\n' "${timings[@]}"
tally windows

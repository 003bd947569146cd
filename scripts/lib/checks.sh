# Sourced by the Windows check scripts (windows-checks.sh, windows-package-checks.sh), from the
# project's root: one "ok: ..." or "FAILED: ..." line per check, which names its bitness as win32
# or win64, and the tally; the library's GUIDs and the registry keys its registration owns;
# snapshots of the registry as a program of either bitness sees it.
. "$(dirname "${BASH_SOURCE[0]}")/wine.sh"

passed=0
failed=0
started=$SECONDS
ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() { echo "FAILED: $*"; failed=$((failed + 1)); }
# step TEXT: a heading, with the seconds since the script started.
step() { echo "== $* ($((SECONDS - started))s)"; }
# tally WHAT: the closing line "WHAT: N passed, M failed"; fails when a check failed.
tally() {
  echo "$1: $passed passed, $failed failed"
  [ "$failed" -eq 0 ]
}

# guid NAME: SCTAV_UUID_<NAME> of src/com/guids.h, upper case, without braces.
guid() { sed -n "s/^#define SCTAV_UUID_$1 \(.*\)$/\1/p" src/com/guids.h | tr 'a-z' 'A-Z'; }
libid="{$(guid LIBID)}"
# name:CLSID:IID of each class.
classes=("scTransferBillExt:$(guid CLSID_BILL):$(guid IID_BILL)"
         "scTransferListExt:$(guid CLSID_LIST):$(guid IID_LIST)"
         "scTransferListExt1:$(guid CLSID_LIST1):$(guid IID_LIST1)")
# Every key the registration writes or removes.
our_keys=()
for entry in "${classes[@]}"; do
  IFS=: read -r name clsid iid <<<"$entry"
  our_keys+=("HKCR\\CLSID\\{$clsid}" "HKCR\\scTAVExt.$name" "HKCR\\scTAVExt.$name.1" "HKCR\\Interface\\{$iid}")
done
our_keys+=("HKCR\\TypeLib\\$libid")

# view_snapshot READER VIEW KEY...: the keys (HKCR\..., HKLM\...) with every key and value below
# them in the registry view of bitness VIEW, read in one cmd.exe session by the reg.exe of bitness
# READER, or of Wine's default loader for READER "wine" (the 32-bit one where wine32 is
# installed): a line "key|||" per key and "key|value name|type|data" per value, the key (hkcr\...,
# hklm\...) and the value name in lower case ("(default)" for the default value), type and data
# as reg.exe shows them.
view_snapshot() {
  local reader=$1 view=$2 script="" key
  shift 2
  for key in "$@"; do script+="reg query $key /s /reg:$view & "; done
  if [ "$reader" = wine ]; then
    { wine cmd.exe /c "${script% & }" 2>/dev/null || true; }
  else
    { wine_system "$reader" cmd.exe /c "${script% & }" 2>/dev/null || true; }
  fi | tr -d '\r' |
    awk '/^HKEY_/ { key = tolower($0); sub(/^hkey_classes_root/, "hkcr", key);
                    sub(/^hkey_local_machine/, "hklm", key); print key "|||"; next }
         /^    / { line = substr($0, 5); n = index(line, "    REG_");
                   if (n == 0) next; name = tolower(substr(line, 1, n - 1));
                   rest = substr(line, n + 4); m = index(rest, "    ");
                   type = m ? substr(rest, 1, m - 1) : rest; data = m ? substr(rest, m + 4) : "";
                   print key "|" name "|" type "|" data }'
}
# snapshot BITS KEY...: the keys as a program of that bitness sees them. (Wine's 64-bit reg.exe
# with /reg:32 misses the keys both views share, such as the ProgIDs; a 32-bit program sees them.)
snapshot() { view_snapshot "$1" "$@"; }
# value SNAPSHOT KEY [NAME]: the data of a value in a snapshot ("" when absent).
# (Names go to awk through the environment: awk -v would take their backslashes as escapes.)
value() {
  local name="${3:-(default)}"
  K="${2,,}" N="${name,,}" awk -F'|' '$1 == ENVIRON["K"] && $2 == ENVIRON["N"] { print $4; exit }' <<<"$1"
}
# has_key SNAPSHOT KEY: whether the key (or a key below it) is in the snapshot.
has_key() {
  K="${2,,}" awk -F'|' 'BEGIN { k = ENVIRON["K"] }
    $1 == k || index($1, k "\\") == 1 { found = 1 } END { exit !found }' <<<"$1"
}

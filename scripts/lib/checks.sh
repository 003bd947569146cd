# Sourced by the Windows check scripts (windows-checks.sh, windows-package-checks.sh), from the
# project's root: one "ok: ..." or "FAILED: ..." line per check and the tally, headings with the
# time since the start, and the library's GUIDs; the prefix and bitness helpers come with
# wine.sh.
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

#!/usr/bin/env bash
# Runs the demo's stand-in programs under Wine and checks what they leave behind:
# Axdist.exe and AcroRead\Setup.exe append their command line and current directory to
# their logs in the Windows directory. (The uninstaller, BraxDel.dll, is the product's
# own; tests/win/e2e_uninstall_test.cpp runs it on a real installation.)
# Usage: check-demo-programs.sh WINEPREFIX DEMO_DIR MEDIUM_DIR
set -euo pipefail
export WINEPREFIX=$1 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
demo=$2
medium=$3
windir="$WINEPREFIX/drive_c/windows"
failures=0

fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}

if [[ ! -f "$WINEPREFIX/system.reg" ]]; then
    "$(dirname "$0")/../scripts/wine-prefix.sh" "$WINEPREFIX"
fi

# Recorders: one line per run, the command line as given and the current directory.
rm -f "$windir/axdist-ran.log" "$windir/acroread-ran.log"
work="$WINEPREFIX/drive_c/demo-check"
rm -rf "$work"
mkdir -p "$work"
cp "$demo/Axdist.exe" "$work/axdist.exe"
(cd "$work" && wine axdist.exe) </dev/null >/dev/null 2>&1 || fail "axdist.exe exited with an error"
grep -q 'axdist\.exe' "$windir/axdist-ran.log" 2>/dev/null || fail "axdist.exe left no line in axdist-ran.log"
grep -qi 'C:\\demo-check' "$windir/axdist-ran.log" 2>/dev/null || fail "axdist-ran.log does not name the directory it ran in"

wine "$medium/AcroRead/Setup.exe" reader-arg </dev/null >/dev/null 2>&1 || fail "AcroRead\\Setup.exe exited with an error"
grep -q 'Setup\.exe.*reader-arg' "$windir/acroread-ran.log" 2>/dev/null || fail "AcroRead\\Setup.exe left no line in acroread-ran.log"

rm -rf "$work"
rm -f "$windir/axdist-ran.log" "$windir/acroread-ran.log"

[[ $failures -eq 0 ]] && echo "demo programs: all checks passed"
exit $((failures > 0))

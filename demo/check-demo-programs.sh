#!/usr/bin/env bash
# Runs the demo's stand-in programs under Wine and checks what they leave behind:
# Axdist.exe and AcroRead\Setup.exe append their command line and current directory to
# their logs in the Windows directory; BraxDel.dll,Remove deletes the directory it is
# given (the uninstall command's form, a quoted path ending in a backslash) and refuses
# the Windows directory and a drive's root.
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

# Runs a Windows command line exactly as written, through a batch file: wine itself
# would re-quote arguments that hold quotes or spaces.
run_windows_command() {
    printf '@%s\r\n' "$1" >"$WINEPREFIX/drive_c/demo-check.bat"
    wine cmd /c 'C:\demo-check.bat' </dev/null >/dev/null 2>&1 || true
    rm -f "$WINEPREFIX/drive_c/demo-check.bat"
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

# The uninstall library: a tree with a read-only file and subfolders goes away.
cp "$demo/BraxDel.dll" "$windir/system32/BraxDel.dll"
target="$WINEPREFIX/drive_c/Demo Remove Test"
mkdir -p "$target/Docs" "$target/ChmMacros"
echo data >"$target/Varnix.exe"
echo data >"$target/Docs/Index.pdf"
echo macro >"$target/ChmMacros/m.ptn"
chmod a-w "$target/ChmMacros/m.ptn"
run_windows_command 'Rundll32.exe BraxDel.dll,Remove "C:\Demo Remove Test\"'
[[ ! -e "$target" ]] || fail "BraxDel.dll,Remove left $(find "$target" | wc -l) entries of the installation directory"

# ... and refuses the Windows directory, also when reached through "..".
touch "$windir/demo-check-keep.txt"
run_windows_command 'Rundll32.exe BraxDel.dll,Remove "C:\windows\"'
run_windows_command 'Rundll32.exe BraxDel.dll,Remove "C:\Demo\..\windows\system32\"'
[[ -e "$windir/demo-check-keep.txt" && -e "$windir/system32/BraxDel.dll" ]] ||
    fail "BraxDel.dll,Remove deleted inside the Windows directory"

# The root refusal is tried on a drive of its own, a scratch folder, never on C: (whose
# user folders lead to the host's home through symbolic links).
root="$WINEPREFIX/demo-check-drive"
mkdir -p "$root/sub"
touch "$root/keep.txt"
ln -sfn "$root" "$WINEPREFIX/dosdevices/q:"
run_windows_command 'Rundll32.exe BraxDel.dll,Remove "Q:\"'
run_windows_command 'Rundll32.exe BraxDel.dll,Remove "Q:\sub\..\"'
[[ -e "$root/keep.txt" ]] || fail "BraxDel.dll,Remove deleted in the root of a drive"
rm -f "$WINEPREFIX/dosdevices/q:"
rm -rf "$root" "$work" "$windir/demo-check-keep.txt" "$windir/system32/BraxDel.dll"
rm -f "$windir/axdist-ran.log" "$windir/acroread-ran.log"

[[ $failures -eq 0 ]] && echo "demo programs: all checks passed"
exit $((failures > 0))

#!/usr/bin/env bash
# Runs one Windows test program under Wine for ctest. The program's output goes through a
# file: Wine processes the test leaves behind (a folder window the setup program opened,
# say) inherit its output, and would hold a pipe to ctest open long after the test ended.
# Usage: run-wine-test.sh [--new-prefix] [--file-size-limit KB] PROGRAM [ARGS]
#  --new-prefix: the test has a prefix of its own ($WINEPREFIX, of $SETUP_WINEARCH): it
#    is made first if need be, and its processes are ended afterwards.
#  --file-size-limit KB: the program may write no file larger than KB KiB, the way a full
#    disk cuts files short (SETUP_FILE_SIZE_LIMIT_KB tells it). A medium whose one manual,
#    C:\ShortWriteMedium\Docs\Big.pdf, is 100 bytes over the limit is laid out first.
set -u
own_prefix=0
limit_kb=
while [[ $# -gt 0 ]]; do
    case $1 in
    --new-prefix) own_prefix=1; shift ;;
    --file-size-limit) limit_kb=$2; shift 2 ;;
    *) break ;;
    esac
done
if [[ $own_prefix == 1 ]]; then
    "$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"
fi
out=$(mktemp)
if [[ -n $limit_kb ]]; then
    docs="$WINEPREFIX/drive_c/ShortWriteMedium/Docs"
    mkdir -p "$docs"
    head -c $((limit_kb * 1024 + 100)) /dev/urandom >"$docs/Big.pdf"
    # Past the limit a write fails (EFBIG) instead of ending the process with SIGXFSZ.
    (trap '' XFSZ; ulimit -f "$limit_kb"; SETUP_FILE_SIZE_LIMIT_KB=$limit_kb wine "$@" >"$out" 2>&1 </dev/null)
else
    wine "$@" >"$out" 2>&1 </dev/null
fi
rc=$?
cat "$out"
rm -f "$out"
if [[ $own_prefix == 1 ]]; then
    wineserver -k >/dev/null 2>&1
fi
exit $rc

#!/usr/bin/env bash
# Runs one Windows test program under Wine for ctest. The program's output goes through a
# file: Wine processes the test leaves behind (a folder window the setup program opened,
# say) inherit its output, and would hold a pipe to ctest open long after the test ended.
# Usage: run-wine-test.sh [--new-prefix] PROGRAM [ARGS]
# --new-prefix: the test has a prefix of its own ($WINEPREFIX, of $SETUP_WINEARCH): it is
# made first if need be, and its processes are ended afterwards.
set -u
own_prefix=0
if [[ ${1:-} == --new-prefix ]]; then
    own_prefix=1
    shift
    "$(dirname "$0")/wine-prefix.sh" "$WINEPREFIX"
fi
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
if [[ $own_prefix == 1 ]]; then
    wineserver -k >/dev/null 2>&1
fi
exit $rc

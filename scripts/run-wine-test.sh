#!/usr/bin/env bash
# Runs one Windows test program under Wine for ctest. The program's output goes through a
# file: Wine processes the test leaves behind (a folder window the setup program opened,
# say) inherit its output, and would hold a pipe to ctest open long after the test ended.
set -u
out=$(mktemp)
wine "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
rm -f "$out"
exit $rc

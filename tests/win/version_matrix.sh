#!/usr/bin/env bash
# The version matrix for ctest: every Windows version in the test prefix, then Windows 10
# once more through WOW64, in the 64-bit prefix WOW64_PREFIX (left out when not given:
# the 64-bit build has no WOW64 side to test).
# Usage: version_matrix.sh PROGRAM [WOW64_PREFIX]
set -u
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
rc=0
bash "$scripts/run-wine-test.sh" "$1" || rc=1
if [[ -n ${2:-} ]]; then
    echo "--- once more through WOW64, in $2"
    WINEPREFIX=$2 SETUP_WINEARCH=win64 bash "$scripts/run-wine-test.sh" --new-prefix "$1" \
        --gtest_filter='Windows/VersionMatrix.*/win10' || rc=1
fi
exit $rc

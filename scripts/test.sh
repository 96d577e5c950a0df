#!/usr/bin/env bash
# Builds everything and runs every test: the host unit tests, then the Windows tests
# under Wine in a throwaway prefix of the build tree, on a private Xvfb display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SETUP_BUILD_DIR:-$root/build}

"$root/scripts/build.sh" "$@"

status=0
(cd "$build/host" && ctest --output-on-failure) || status=1

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -e
    "$1/scripts/wine-prefix.sh" "$2/win/wineprefix"
    cd "$2/win"
    rc=0
    ctest --output-on-failure || rc=$?
    WINEPREFIX="$2/win/wineprefix" wineserver -k >/dev/null 2>&1 || true
    exit $rc
' bash "$root" "$build" || status=1

exit $status

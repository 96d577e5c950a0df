#!/usr/bin/env bash
# The demo: builds Setup.exe with the demo payload and medium, and runs it under Wine in a
# prefix of its own (build/demo/wineprefix, made anew each time; never your own prefix).
#  - With a display ($DISPLAY set): Setup.exe opens in a 1024x768 Wine desktop window for
#    you to click through.
#  - Without one (or with SETUP_DEMO_HEADLESS=1): under Xvfb, the typical installation is
#    driven through the UI driver, with a screenshot of every page in build/demo/screenshots.
# Either way it then prints what was installed: the directory tree, the system library,
# the shortcuts with their targets and the uninstall entry.
# Where 32-bit Wine cannot run (see scripts/test.sh) it runs the 64-bit build
# of the same sources under 64-bit Wine instead, and says so.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SETUP_BUILD_DIR:-$root/build}

"$root/scripts/install-deps.sh"
export SETUP_DEPS_CHECKED=1
"$root/scripts/build.sh"
win=win
if ! why=$("$root/scripts/runs-i386.sh"); then
    echo "*** $why"
    echo "*** The demo runs the 64-bit build of the same sources (build/win64) under 64-bit Wine."
    "$root/scripts/build.sh" --win64-only
    win=win64
    export PATH="$root/scripts/wine64:$PATH" SETUP_WINEARCH=win64
fi

demo=$build/demo
prefix=$demo/wineprefix
rm -rf "$prefix" "$demo/screenshots"
mkdir -p "$demo/screenshots"
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

report() {
    local c=$prefix/drive_c
    local group="$c/ProgramData/Microsoft/Windows/Start Menu/Programs/Corvane Corporation - Pelorin"
    echo
    echo "== Installed into C:\\Pelorin"
    (cd "$c" && find Pelorin -printf '%y %8s  %p\n' 2>/dev/null | sort -k3) || echo "(nothing)"
    echo
    echo "== System directory"
    ls -l "$c/windows/system32/BraxDel.dll" 2>/dev/null || echo "(no BraxDel.dll)"
    echo
    echo "== Shortcuts"
    for link in "$group"/*.lnk "$c/users/Public/Desktop/Pelorin.lnk"; do
        [[ -f "$link" ]] || continue
        echo "${link#$c/}"
        lnkinfo "$link" 2>/dev/null | grep -E 'Local path|Working directory' | sed 's/^[[:space:]]*/    /'
    done
    echo
    echo "== Uninstall entry"
    wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Corvane Corporation - Pelorin' 2>/dev/null \
        | tr -d '\r' | sed '/^$/d' || echo "(none)"
}

if [[ -n "${DISPLAY:-}" && "${SETUP_DEMO_HEADLESS:-0}" != 1 ]]; then
    "$root/scripts/wine-prefix.sh" "$prefix"
    (cd "$build/$win/bin" && wine Setup.exe) || true
    report
    wineserver -k >/dev/null 2>&1 || true
else
    xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
        "$1/scripts/wine-prefix.sh" "$WINEPREFIX"
        rc=0
        wine "$2/$3/bin/typical_install.exe" "$(winepath -w "$2/demo/screenshots")" \
            "$(winepath -w "$2/$3/bin/Setup.exe")" </dev/null || rc=$?
        wineserver -k >/dev/null 2>&1
        exit $rc
    ' bash "$root" "$build" "$win"
    report
    echo
    echo "Screenshots: $demo/screenshots"
    ls "$demo/screenshots"
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
fi

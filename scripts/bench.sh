#!/usr/bin/env bash
# Benchmarks the installation engine and prints the table: the extraction against its
# floor, against an NSIS installer of the same files, the payload tool, memory, the
# size of Setup.exe and its first painted backdrop. Builds everything first
# (scripts/build.sh), generates the three payloads, runs under Xvfb in a throwaway Wine
# prefix of the build tree with installs to a tmpfs-backed drive, and writes the table
# to <build>/bench/results.md. Not part of scripts/test.sh (a smoke run of it is).
#
# usage: scripts/bench.sh [--runs N]      (default 5 runs of each timed figure)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SETUP_BUILD_DIR:-$root/build}
runs=5
if [[ ${1:-} == --runs && -n ${2:-} ]]; then
    runs=$2
elif [[ $# -gt 0 ]]; then
    sed -n '9p' "$0" >&2
    exit 2
fi

"$root/scripts/build.sh"

# The payload tool is timed as vendors build it (scripts/make-setup.sh): optimised,
# without the sanitizers of the test build.
tool_build=$build/bench/payload-tool
cmake -S "$root" -B "$tool_build" -DCMAKE_BUILD_TYPE=Release -DSETUP_SANITIZE=OFF >/dev/null
cmake --build "$tool_build" --target payload -j "$(nproc)" >/dev/null

xvfb-run -a -s "-screen 0 1024x768x24" bash -c '
    set -e
    root=$1 build=$2 tool=$3 runs=$4
    prefix=$build/bench/wineprefix
    # A server left by an interrupted run would still talk to its own, gone display.
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    "$root/scripts/wine-prefix.sh" "$prefix"
    rc=0
    WINEPREFIX=$prefix bash "$root/bench/run.sh" --win-build "$build/win" --host-build "$build/host" \
        --payload-tool "$tool" --out "$build/bench" --runs "$runs" --tmpfs || rc=$?
    WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1 || true
    exit $rc
' bash "$root" "$build" "$tool_build/tools/payload/payload" "$runs"

#!/usr/bin/env bash
# Builds the host tools and tests (build/host) and Setup.exe with its Windows tests
# (build/win). Extra arguments go to the Windows build's configure step, for example
# -DSETUP_PAYLOAD=/path/to/archive.
# --win64-only builds the 64-bit build of the Windows tests instead (build/win64), which
# scripts/test.sh runs on machines that cannot run 32-bit code, with the host payload tool
# that writes the payload into its Setup.exe.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${SETUP_BUILD_DIR:-$root/build}
jobs=$(nproc)

"$root/scripts/install-deps.sh"

if [[ ${1:-} == --win64-only ]]; then
    shift
    cmake -S "$root" -B "$build/host" -DCMAKE_BUILD_TYPE=Debug >/dev/null
    cmake --build "$build/host" -j "$jobs" --target payload
    cmake -S "$root" -B "$build/win64" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/x86_64-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release -DSETUP_HOST_TOOLS="$build/host" "$@" >/dev/null
    cmake --build "$build/win64" -j "$jobs"
    exit 0
fi

cmake -S "$root" -B "$build/host" -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$build/host" -j "$jobs"

cmake -S "$root" -B "$build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DSETUP_HOST_TOOLS="$build/host" "$@" >/dev/null
cmake --build "$build/win" -j "$jobs"

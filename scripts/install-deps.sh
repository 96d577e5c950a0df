#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need; does nothing
# when all of them are there already.
#
# 32-bit Wine (wine32:i386) is asked for only where the kernel runs 32-bit programs
# (scripts/runs-i386.sh --kernel). A package index that cannot be fetched is tried again a
# few times; when only i386 indexes still fail, 32-bit Wine is left out, the run says so,
# and scripts/test.sh takes the 64-bit route. Any other failure stops here with apt's words.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
# scripts/test.sh and scripts/demo.sh run this once and then build twice.
[[ ${SETUP_DEPS_CHECKED:-} == 1 ]] && exit 0

packages=(
    cmake make g++ python3
    mingw-w64 g++-mingw-w64-i686 libz-mingw-w64-dev
    googletest libgtest-dev zlib1g-dev
    wine wine64 xvfb xauth
    liblnk-utils imagemagick fonts-liberation
    clang libclang-rt-14-dev
    libdeflate-dev nsis
    osslsigncode openssl fonts-wine python3-yaml
)
packages_i386=(wine32:i386)

want_i386=false
if "$root/scripts/runs-i386.sh" --kernel; then
    want_i386=true
    packages+=("${packages_i386[@]}")
fi

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
if $want_i386 && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi

# apt-get update, tried up to three times. Leaves in $failed the indexes that could not
# be fetched on the last try (empty when it succeeded).
update_log=$(mktemp)
trap 'rm -f "$update_log"' EXIT
failed=""
for attempt in 1 2 3; do
    rc=0
    $sudo apt-get update -qq >"$update_log" 2>&1 || rc=$?
    failed=$(grep -E '^(E|W): *Failed to fetch' "$update_log" | grep -oE '[a-z+]+://[^ ]+' || true)
    if [[ $rc -eq 0 && -z $failed ]]; then
        break
    fi
    if [[ $rc -ne 0 && -z $failed ]]; then
        failed="(apt-get update failed with code $rc)"
    fi
    if [[ $attempt -lt 3 ]]; then
        echo "apt-get update failed (try $attempt of 3); trying again in $((attempt * 10)) s."
        sleep $((attempt * 10))
    fi
done

if [[ -n $failed ]]; then
    # Indexes of the i386 architecture name it in their path (binary-i386/); everything
    # else (a Release file, the amd64 or all-architecture indexes) is needed by every route.
    if grep -qv 'binary-i386/' <<<"$failed"; then
        cat "$update_log" >&2
        echo "apt-get update failed three times; the packages cannot be installed." >&2
        exit 1
    fi
    echo "*** The i386 package index could not be fetched (tried three times):"
    sed 's/^/***   /' <<<"$failed"
    if $want_i386; then
        echo "*** 32-bit Wine (${packages_i386[*]}) cannot be installed today: its i386 libraries must"
        echo "*** match that index. The Windows tests take the 64-bit route, as on a machine that"
        echo "*** cannot run 32-bit x86 programs."
        kept=()
        for package in "${missing[@]}"; do
            [[ $package == *:i386 ]] || kept+=("$package")
        done
        missing=("${kept[@]}")
        [[ ${#missing[@]} -eq 0 ]] && exit 0
    fi
fi
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"

#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need; does nothing
# when all of them are there already.
set -euo pipefail

packages=(
    cmake make g++ python3
    mingw-w64 g++-mingw-w64-i686 libz-mingw-w64-dev
    googletest libgtest-dev zlib1g-dev
    wine wine32:i386 wine64 xvfb xauth
    liblnk-utils imagemagick fonts-liberation
    clang libclang-rt-14-dev
    libdeflate-dev nsis
    osslsigncode openssl fonts-wine
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

echo "Installing missing packages: ${missing[*]}"
sudo=""
[[ $(id -u) -eq 0 ]] || sudo="sudo"
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $sudo dpkg --add-architecture i386
fi
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"

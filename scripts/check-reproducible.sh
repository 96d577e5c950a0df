#!/usr/bin/env bash
# Checks that a build can be repeated byte for byte. It builds the two stubs (Setup.exe and
# BraxDel.dll) twice from this source tree, in two different folders with a different
# number of jobs, and compares them; then writes a vendor's Setup.exe twice with the
# payload tool, from two copies of the same files written to disk in opposite orders,
# with a different -j, at different times, signed with the same SOURCE_DATE_EPOCH, and
# compares those.
#
#   scripts/check-reproducible.sh --tool PAYLOAD [--work DIR]
#
# PAYLOAD is the payload tool (build/host/tools/payload/payload). DIR (default: a fresh
# temporary folder) receives the two builds; it is removed afterwards when the check
# passes. Prints the SHA-256 of what it compared; exits 1 when anything differs.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool="" work=""
while [[ $# -gt 0 ]]; do
    case $1 in
    --tool) tool=$(realpath "${2:?--tool needs the payload tool}"); shift 2 ;;
    --work) work=${2:?--work needs a folder}; shift 2 ;;
    *) echo "check-reproducible.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
[[ -x $tool ]] || { echo "check-reproducible.sh: --tool PAYLOAD is missing or not a program" >&2; exit 2; }
if [[ -z $work ]]; then
    work=$(mktemp -d)
else
    rm -rf "$work"
    mkdir -p "$work"
fi
work=$(realpath "$work")

build_stubs() {  # build_stubs DIR JOBS
    cmake -S "$root" -B "$1" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$1" --target Setup BraxDel -j "$2" >/dev/null
}

same() {  # same WHAT FILE1 FILE2
    local a b
    a=$(sha256sum <"$2" | cut -d' ' -f1)
    b=$(sha256sum <"$3" | cut -d' ' -f1)
    if [[ $a == "$b" ]]; then
        echo "same: $1 $a"
        return 0
    fi
    echo "DIFFERENT: $1" >&2
    echo "  $a $2" >&2
    echo "  $b $3" >&2
    cmp -l "$2" "$3" | head -5 >&2 || true
    return 1
}

echo "== Building the stubs twice: $work/a with -j1, $work/elsewhere/b with -j2"
build_stubs "$work/a" 1
build_stubs "$work/elsewhere/b" 2
status=0
same stub/Setup.exe "$work/a/stub/Setup.exe" "$work/elsewhere/b/stub/Setup.exe" || status=1
same stub/BraxDel.dll "$work/a/stub/BraxDel.dll" "$work/elsewhere/b/stub/BraxDel.dll" || status=1

# The same vendor files, written to disk in opposite orders, so that a folder listing
# gives them in different orders.
make_files() {  # make_files DIR ORDER...
    local dir=$1 name
    shift
    mkdir -p "$dir/files/System" "$dir/files/ChmMacros" "$dir/docs"
    for name in "$@"; do
        case $name in
        app) head -c 300000 /dev/zero | tr '\0' 'a' >"$dir/files/App.exe" ;;
        lib) seq 1 20000 >"$dir/files/System/Lib.dll" ;;
        readme) printf 'Read me\r\n' >"$dir/files/Readme.txt" ;;
        data) seq 5 7 90000 >"$dir/files/Data.bxd" ;;
        macro) echo macro >"$dir/files/ChmMacros/m.ptn" ;;
        index) printf '%%PDF-1.4 index' >"$dir/docs/Index.pdf" ;;
        guide) printf '%%PDF-1.4 guide' >"$dir/docs/Guide.pdf" ;;
        esac
        sleep 0.1
    done
}
make_files "$work/one" app lib readme data macro index guide
make_files "$work/elsewhere/two" guide index macro data readme lib app

# Signed as well: with SOURCE_DATE_EPOCH the signature repeats too.
mkdir -p "$work/cert"
echo "reproducible" >"$work/cert/pass"
openssl req -x509 -newkey rsa:2048 -nodes -keyout "$work/cert/key.pem" -out "$work/cert/cert.pem" -days 30 \
    -subj "/CN=Reproducible Vendor" >/dev/null 2>&1
openssl pkcs12 -export -inkey "$work/cert/key.pem" -in "$work/cert/cert.pem" -out "$work/cert/vendor.p12" \
    -passout file:"$work/cert/pass"
write_setup() {  # write_setup DIR STUBS JOBS
    SOURCE_DATE_EPOCH=1700000000 "$tool" setup --stub "$2/stub/Setup.exe" --uninstaller "$2/stub/BraxDel.dll" \
        --folder "$1/files" --docs "$1/docs" --product-version 3.2.1 --company "Vendor Ltd" --product Widget \
        --sign "$work/cert/vendor.p12" --password-file "$work/cert/pass" -j "$3" --output "$1/Setup.exe" >/dev/null
}
echo "== Writing a vendor's Setup.exe twice"
write_setup "$work/one" "$work/a" 1
sleep 1
TZ=Pacific/Auckland write_setup "$work/elsewhere/two" "$work/elsewhere/b" 2
same "vendor Setup.exe" "$work/one/Setup.exe" "$work/elsewhere/two/Setup.exe" || status=1

if [[ $status == 0 ]]; then
    rm -rf "$work"
    echo "Reproducible."
fi
exit $status

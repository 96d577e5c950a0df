#!/usr/bin/env bash
# make-setup.sh: builds a Setup.exe around a vendor's own files and lays out the
# distribution medium beside it. Run with --help for the usage.
set -euo pipefail

usage() {
    cat <<'HELP'
Usage: scripts/make-setup.sh (--manifest FILE | --folder DIR | --archive FILE) --out DIR
                             [--docs DIR] [--reader FILE] [--level N] [-j N]
                             [--codepage N] [--own-uninstaller] [--build-dir DIR]
                             [--product-version X.Y.Z] [--company NAME] [--product NAME]
                             [--sign PKCS12 --password-file FILE [--timestamp URL]]

Writes the Pelorin setup program, Setup.exe, with the vendor's files as its payload
(the archive it carries as resource RT_RCDATA 127 and unpacks when it installs), and
lays out the distribution medium in the output folder. It runs the payload tool's
"setup" command on the Setup.exe stub (see "payload --help"); no compiler is involved
once the tool and the stubs exist:

  DIR/Setup.exe            the setup program
  DIR/Docs/                the PDF manuals, copied by the setup program when the user
                           chooses them (it looks for Docs\Index.pdf to offer them)
  DIR/AcroRead/Setup.exe   the PDF reader's installer, run after the installation when
                           the user chooses it (offered only when it is there)

The payload also carries the uninstaller, the project's BraxDel.dll, as the system
directory's BraxDel.dll (replacing a file of that name in it), with the list of the
payload's files and of the manuals that it removes again written into it (see README.md). With
--own-uninstaller the payload is packed as given, and its own System/BraxDel.dll is what
the uninstall entry runs.

The payload, one of:
  --manifest FILE   a manifest: one line per file, "code<TAB>source-file<TAB>stored-name",
                    where code is the destination (13 the Windows system directory,
                    15 <installation dir>\ChmMacros, 16 <installation dir>\5&10ChannelExamples,
                    any other number the installation directory itself; or the words
                    install, system, macros, examples). Source paths are relative to the
                    manifest; stored names are taken byte for byte, in the Windows code
                    page (see --codepage). Lines starting with # and blank lines are
                    ignored.
  --folder DIR      a folder: its files go to the installation directory; the files of
                    its subfolders System, ChmMacros and 5&10ChannelExamples go to the
                    system directory and those two subdirectories (no other subfolder:
                    the setup program creates no folders). The file names, UTF-8 here,
                    are stored in the Windows code page; one that does not convert is
                    refused. The largest file is packed first.
  --archive FILE    a payload archive made before (for example with "payload build"); it is
                    verified before it is embedded.
  See "payload --help" (the payload tool, built into BUILD_DIR/host/tools/payload/) for
  the archive format and every rule: names that the setup program could not install
  (empty, with a backslash or slash, too long for a 255-character path even under a
  drive root, a character Windows file names cannot hold, ...) and an empty first file
  are refused, each with the offending entry named. A name too long to install under
  the default directory C:\Pelorin\ is packed with a warning.

Options:
  --out DIR         the medium folder to fill (created when missing). Setup.exe is
                    replaced; Docs/ and AcroRead/ are replaced by what --docs and
                    --reader give, and removed when those are not given.
  --docs DIR        the manuals: the files directly inside DIR are copied into Docs/
                    (the setup program copies files only, so subfolders are left out).
  --reader FILE     the PDF reader's installer, copied to AcroRead/Setup.exe.
  --level N         zlib compression level 0-9 (default 9).
  --codepage N      the Windows ANSI code page of the stored names: 1252 (the default,
                    Western European) or another of 1250 to 1258.
  --own-uninstaller the payload brings its own BraxDel.dll (entry "Remove", called by
                    Rundll32 with the quoted installation directory): the project's
                    uninstaller is not added.
  --product-version X.Y.Z, --company NAME, --product NAME
                    what Setup.exe's version resource says (defaults: 1.0.0,
                    "Corvane Corporation", "Pelorin").
  --sign PKCS12 --password-file FILE [--timestamp URL]
                    signs Setup.exe with Authenticode (osslsigncode) after the payload
                    is in place; the password is the file's first line.
  -j N              parallel jobs for compressing and compiling (default: processors).
  --build-dir DIR   where the payload tool and the two stubs (Setup.exe, BraxDel.dll)
                    are built when missing (default: build-vendor/ in the source tree).
  -h, --help        this text.

The first run installs missing Debian packages (scripts/install-deps.sh, needs root or
sudo) and compiles the tool and the stubs, a few minutes; later runs take seconds.
The same stub, files and options give the same Setup.exe byte for byte.

Examples:
  scripts/make-setup.sh --folder ~/pelorin-2.1/files --docs ~/pelorin-2.1/manuals \
      --reader ~/redist/AcroRdr.exe --out ~/pelorin-2.1/cd
  scripts/make-setup.sh --manifest payload.manifest --out /tmp/medium -j 2
HELP
}

die() {
    echo "make-setup.sh: $*" >&2
    exit 2
}

root=$(cd "$(dirname "$0")/.." && pwd)
manifest="" folder="" archive="" out="" docs="" reader="" level=9 jobs=$(nproc) build="" codepage=1252
own_uninstaller=0
version_options=() sign_options=()
while [[ $# -gt 0 ]]; do
    case $1 in
    -h | --help) usage; exit 0 ;;
    --manifest) manifest=${2:?--manifest needs a file}; shift 2 ;;
    --folder) folder=${2:?--folder needs a folder}; shift 2 ;;
    --archive) archive=${2:?--archive needs a file}; shift 2 ;;
    --out) out=${2:?--out needs a folder}; shift 2 ;;
    --docs) docs=${2:?--docs needs a folder}; shift 2 ;;
    --reader) reader=${2:?--reader needs a file}; shift 2 ;;
    --level) level=${2:?--level needs a number}; shift 2 ;;
    --codepage) codepage=${2:?--codepage needs a number}; shift 2 ;;
    --own-uninstaller) own_uninstaller=1; shift ;;
    --product-version | --company | --product) version_options+=("$1" "${2:?$1 needs a value}"); shift 2 ;;
    --sign | --password-file | --timestamp) sign_options+=("$1" "${2:?$1 needs a value}"); shift 2 ;;
    -j) jobs=${2:?-j needs a number}; shift 2 ;;
    -j*) jobs=${1#-j}; shift ;;
    --build-dir) build=${2:?--build-dir needs a folder}; shift 2 ;;
    *) die "unknown argument $1 (see --help)" ;;
    esac
done

sources=0
for given in "$manifest" "$folder" "$archive"; do
    [[ -n $given ]] && sources=$((sources + 1))
done
[[ $sources -eq 1 ]] || die "give exactly one of --manifest, --folder and --archive (see --help)"
[[ -n $out ]] || die "--out DIR is missing (see --help)"
[[ $level =~ ^[0-9]$ ]] || die "--level takes 0 to 9"
[[ $jobs =~ ^[1-9][0-9]*$ ]] || die "-j takes a positive number"
[[ $codepage =~ ^125[0-8]$ ]] || die "--codepage takes 1250 to 1258"
[[ -z $manifest || -f $manifest ]] || die "no manifest $manifest"
[[ -z $folder || -d $folder ]] || die "no folder $folder"
[[ -z $archive || -f $archive ]] || die "no archive $archive"
[[ -z $docs || -d $docs ]] || die "no folder $docs"
[[ -z $reader || -f $reader ]] || die "no file $reader"
build=$(realpath -m "${build:-$root/build-vendor}")

# The tool and the two stubs are built once; every later run only writes files.
tool="$build/host/tools/payload/payload"
stub="$build/win/stub/Setup.exe"
uninstaller="$build/win/stub/BraxDel.dll"
if [[ ! -x $tool || ! -f $stub || ! -f $uninstaller ]]; then
    "$root/scripts/install-deps.sh"
    echo "== Building the payload tool and the Setup.exe and BraxDel.dll stubs in $build (once)"
    cmake -S "$root" -B "$build/host" -DCMAKE_BUILD_TYPE=Release -DSETUP_SANITIZE=OFF >/dev/null
    cmake --build "$build/host" --target payload -j "$jobs" >/dev/null
    cmake -S "$root" -B "$build/win" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/i686-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build "$build/win" --target Setup BraxDel -j "$jobs" >/dev/null
fi

mkdir -p "$out"
setup_args=(setup --stub "$stub" --output "$out/Setup.exe" --level "$level" -j "$jobs" --codepage "$codepage")
[[ -n $manifest ]] && setup_args+=(--manifest "$manifest")
[[ -n $folder ]] && setup_args+=(--folder "$folder")
[[ -n $archive ]] && setup_args+=(--archive "$archive")
if [[ $own_uninstaller == 0 ]]; then
    setup_args+=(--uninstaller "$uninstaller")
    [[ -n $docs ]] && setup_args+=(--docs "$docs")
fi
echo "== Writing $out/Setup.exe"
"$tool" "${setup_args[@]}" "${version_options[@]}" "${sign_options[@]}"

echo "== Laying out the medium in $out"
rm -rf "$out/Docs" "$out/AcroRead"
if [[ -n $docs ]]; then
    mkdir -p "$out/Docs"
    find "$docs" -mindepth 1 -maxdepth 1 -type f -exec cp {} "$out/Docs/" \;
    skipped=$(find "$docs" -mindepth 1 -maxdepth 1 ! -type f | wc -l)
    [[ $skipped -eq 0 ]] || echo "make-setup.sh: warning: $skipped entries of $docs are not files and were left out" >&2
    if ! find "$out/Docs" -maxdepth 1 -iname index.pdf | grep -q .; then
        echo "make-setup.sh: warning: $docs has no Index.pdf; the setup program offers the manuals only when Docs\\Index.pdf is there" >&2
    fi
fi
if [[ -n $reader ]]; then
    mkdir -p "$out/AcroRead"
    cp "$reader" "$out/AcroRead/Setup.exe"
fi

"$tool" list "$out/Setup.exe"
echo "Medium ready in $out:"
(cd "$out" && find . -path ./.git -prune -o -type f -print | sort | sed 's|^\./|  |')

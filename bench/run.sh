#!/usr/bin/env bash
# Runs the benchmark with programs already built, and writes its table. scripts/bench.sh
# builds them, makes the Wine prefix and the X display and calls this; the smoke test
# calls it directly in the test prefix.
#
# usage: run.sh --win-build DIR --host-build DIR --out DIR [--payload-tool FILE] [--runs N]
#               [--tmpfs] [--smoke]
#   --win-build     the Windows build tree (bench programs in bench/, Setup.exe in bin/)
#   --host-build    the host build tree (bench_corpus, bench_deflate, the payload tool)
#   --out           where corpora, archives, installers, raw figures and results.md go
#   --payload-tool  the payload tool to time (default: the host build tree's)
#   --runs          runs of each timed figure (default 5, at most 3 for the archive
#                   builds; the smoke run makes 1)
#   --tmpfs       installs go to a drive D: of the prefix backed by a folder in /dev/shm,
#                 made here and removed at the end; otherwise to a folder of --out
#   --smoke       small payloads (the shipped table, 8 MiB mixed, 200 small files), one
#                 run, and a check that the table came out whole
# WINEPREFIX must name a prefix with a running wineserver, and DISPLAY an X display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

win_build= host_build= out= payload_tool= runs=5 tmpfs=0 smoke=0
while [[ $# -gt 0 ]]; do
    case $1 in
        --win-build) win_build=$2; shift 2 ;;
        --host-build) host_build=$2; shift 2 ;;
        --out) out=$2; shift 2 ;;
        --payload-tool) payload_tool=$2; shift 2 ;;
        --runs) runs=$2; shift 2 ;;
        --tmpfs) tmpfs=1; shift ;;
        --smoke) smoke=1; runs=1; shift ;;
        *) echo "run.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
[[ -n $win_build && -n $host_build && -n $out ]] || { sed -n '5,19p' "$0" >&2; exit 2; }
: "${WINEPREFIX:?WINEPREFIX must name the Wine prefix}"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" PYTHONDONTWRITEBYTECODE=1

payload_tool=${payload_tool:-$host_build/tools/payload/payload}
tool_runs=$(( runs < 3 ? runs : 3 ))
corpus_tool=$host_build/bench/bench_corpus
deflate_tool=$host_build/bench/bench_deflate
bench_bin=$win_build/bench
setup_exe=$win_build/bin/Setup.exe
setup_stub=$win_build/stub/Setup.exe
bench_py=$root/bench/bench.py
for tool in "$payload_tool" "$corpus_tool" "$deflate_tool" "$bench_bin/bench_extract.exe" \
            "$bench_bin/bench_install.exe" "$bench_bin/bench_launch.exe" "$setup_exe" "$setup_stub"; do
    [[ -x $tool || -f $tool ]] || { echo "run.sh: $tool is missing: build first (scripts/build.sh)" >&2; exit 1; }
done
command -v makensis >/dev/null || { echo "run.sh: makensis is missing (scripts/install-deps.sh)" >&2; exit 1; }

mkdir -p "$out"
out=$(cd "$out" && pwd)
raw=$out/raw.txt
: >"$raw"
rm -rf "$out/corpus" "$out/archives" "$out/installers" "$out/reports"
mkdir -p "$out/corpus" "$out/archives" "$out/installers" "$out/reports"

# A Windows path for a Unix one: Wine's drive Z: is the Unix root.
winpath() { local p=$1; echo "Z:${p//\//\\}"; }
record() { echo "$*" >>"$raw"; }
now_ns() { date +%s%N; }
seconds_since() { awk -v a="$1" -v b="$(now_ns)" 'BEGIN { printf "%.6f", (b - a) / 1e9 }'; }

# --- where the installs go -----------------------------------------------------------
if [[ $tmpfs == 1 ]]; then
    install_unix=/dev/shm/pelorin-bench-$$
    install_win='D:'
    drive_link=$WINEPREFIX/dosdevices/d:
    # A drive left by an interrupted run of this script goes; any other is not ours.
    if [[ -L $drive_link && $(readlink "$drive_link") == /dev/shm/pelorin-bench-* ]]; then
        rm -rf "$(readlink "$drive_link")"
        rm -f "$drive_link"
    fi
    [[ -e $drive_link || -L $drive_link ]] && { echo "run.sh: $drive_link exists already" >&2; exit 1; }
    mkdir -p "$install_unix"
    ln -s "$install_unix" "$drive_link"
    output_text="a tmpfs-backed drive D: (/dev/shm)"
else
    install_unix=$out/installs
    rm -rf "$install_unix"
    mkdir -p "$install_unix"
    install_win=$(winpath "$install_unix")
    output_text="the build tree's file system"
fi
cleanup() {
    rm -rf "$install_unix"
    if [[ $tmpfs == 1 ]]; then rm -f "$drive_link"; fi
}
trap cleanup EXIT
clear_installs() { rm -rf "${install_unix:?}"/*; }

# --- the machine ---------------------------------------------------------------------
cores=$(nproc)
record "meta cpu=$(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//; s/ /_/g')" \
       "cores=$cores memory=$(awk '/MemTotal/ { printf "%.0f_GiB", $2 / 1048576 }' /proc/meminfo)" \
       "kernel=$(uname -r) wine=$(wine --version | tr ' ' '_') nsis=NSIS_$(makensis -VERSION | tr ' ' '_')" \
       "zlib=$(dpkg-query -W -f='${Version}' libz-mingw-w64-dev 2>/dev/null || echo unknown)" \
       "date=$(date -u +%Y-%m-%d) commit=$(git -C "$root" rev-parse --short HEAD 2>/dev/null || echo none)" \
       "runs=$runs tool_runs=$tool_runs output=$(echo "$output_text" | tr ' ' '_')" \
       "libdeflate=$(dpkg-query -W -f='${Version}' libdeflate-dev 2>/dev/null || echo unknown)"

# --- the corpora ---------------------------------------------------------------------
echo "== corpora"
python3 "$bench_py" shipped "$out/corpus/shipped"
dll_dir=/usr/lib/i386-linux-gnu/wine/i386-windows
[[ -d $dll_dir ]] || dll_dir=$WINEPREFIX/drive_c/windows/system32
if [[ $smoke == 1 ]]; then
    "$corpus_tool" mixed "$out/corpus/mixed" --dlls "$dll_dir" --mib 8
    "$corpus_tool" small "$out/corpus/small" --files 200
else
    "$corpus_tool" mixed "$out/corpus/mixed" --dlls "$dll_dir"
    "$corpus_tool" small "$out/corpus/small"
fi
payloads=(shipped mixed small)

corpus_files() { python3 -c 'import sys; sys.path.insert(0, sys.argv[1]); import bench
for _, path, _ in bench.read_manifest(sys.argv[2]): print(path)' "$root/bench" "$1"; }

# --- building the archives -------------------------------------------------------------
echo "== archives"
for p in "${payloads[@]}"; do
    manifest=$out/corpus/$p/payload.manifest
    archive=$out/archives/$p.bin
    largest=$(corpus_files "$manifest" | xargs -d '\n' stat -c %s | sort -n | tail -1)
    record "size payload=$p what=largest_entry bytes=$largest"
    for r in $(seq 1 "$tool_runs"); do
        for jobs in 1 "$cores"; do
            start=$(now_ns)
            "$payload_tool" build --manifest "$manifest" --output "$archive" -j "$jobs" >/dev/null
            what=payload-j$jobs; [[ $jobs == 1 ]] || what=payload-jN
            record "tool payload=$p what=$what run=$r seconds=$(seconds_since "$start") bytes=$(stat -c %s "$archive")"
        done
        start=$(now_ns)
        gz_bytes=$(corpus_files "$manifest" | xargs -d '\n' cat | gzip -9 | wc -c)
        record "tool payload=$p what=gzip-9 run=$r seconds=$(seconds_since "$start") bytes=$gz_bytes"
    done
    record "size payload=$p what=archive bytes=$(stat -c %s "$archive")"
    "$deflate_tool" "$manifest" --methods zlib-9,libdeflate-9,libdeflate-12 | sed "s/^deflate /deflate payload=$p /" >>"$raw"
done

# --- the NSIS installers ---------------------------------------------------------------
echo "== NSIS installers"
for p in "${payloads[@]}"; do
    installer=$out/installers/$p-nsis.exe
    python3 "$bench_py" nsis "$out/corpus/$p/payload.manifest" "$installer" "$out/installers/$p.nsi"
    start=$(now_ns)
    makensis -V1 "$out/installers/$p.nsi" >/dev/null
    record "tool payload=$p what=makensis run=1 seconds=$(seconds_since "$start") bytes=$(stat -c %s "$installer")"
    record "size payload=$p what=nsis_installer bytes=$(stat -c %s "$installer")"
done

# --- under Wine ------------------------------------------------------------------------
launch() { wine "$bench_bin/bench_launch.exe" "$@"; }

echo "== extraction against the floor"
for p in "${payloads[@]}"; do
    wine "$bench_bin/bench_extract.exe" "$(winpath "$out/archives/$p.bin")" "$install_win" "$p" "$runs" \
        | tr -d '\r' | tee -a "$raw"
    clear_installs
done

wine "$bench_bin/bench_extract.exe" --lookups "$install_win" | tr -d '\r' | tee -a "$raw"
clear_installs

echo "== against NSIS"
for p in "${payloads[@]}"; do
    ours=$out/installers/$p-ours.exe
    launch embed "$(winpath "$bench_bin/bench_install.exe")" "$(winpath "$out/archives/$p.bin")" "$(winpath "$ours")" \
        | tr -d '\r'
    record "size payload=$p what=ours_installer bytes=$(stat -c %s "$ours")"
    # The setup program itself, made by the payload tool as a vendor makes it, run as an
    # administrator's script runs it.
    silent=$out/installers/$p-Setup.exe
    "$payload_tool" setup --stub "$setup_stub" --archive "$out/archives/$p.bin" --output "$silent" >/dev/null
    record "size payload=$p what=silent_installer bytes=$(stat -c %s "$silent")"
    # The same without the payload's checksum: what the integrity check costs.
    unchecked=$out/installers/$p-Setup-unchecked.exe
    "$payload_tool" setup --stub "$setup_stub" --archive "$out/archives/$p.bin" --output "$unchecked" \
        --no-payload-check >/dev/null
    # Run 0 is untimed: it brings the installers and their files into memory.
    for r in $(seq 0 "$runs"); do
        # The two Setup.exe take turns at going first, so that neither gains from the other.
        pair="silent unchecked"; (( r % 2 )) || pair="unchecked silent"
        for who in ours $pair nsis; do
            report=$out/reports/$p-$r.txt
            if [[ $who == ours ]]; then
                line=$(launch time "$(winpath "$ours")" "$install_win\\ours-$p" "$(winpath "$report")" | tr -d '\r' || true)
            elif [[ $who == silent || $who == unchecked ]]; then
                exe=$silent; [[ $who == unchecked ]] && exe=$unchecked
                line=$(launch time "$(winpath "$exe")" -silent "-dir=$install_win\\$who-$p" | tr -d '\r' || true)
            else
                line=$(launch time "$(winpath "$out/installers/$p-nsis.exe")" /S "/D=$install_win\\nsis-$p" \
                       | tr -d '\r' || true)
            fi
            echo "$p $who run $r: $line"
            [[ $line == *"exit=0"* ]] || record "error payload=$p who=$who run=$r $line"
            if [[ $r -gt 0 ]]; then
                record "process payload=$p who=$who run=$r ${line#time }"
                if [[ $who == ours && -f $report ]]; then
                    record "inner payload=$p run=$r $(tr -d '\r' <"$report" | grep '^extract_seconds=')"
                fi
            fi
            clear_installs
        done
    done
    # Memory: one more run of ours, with the counters sampled while it extracts.
    report=$out/reports/$p-memory.txt
    line=$(launch time "$(winpath "$ours")" "$install_win\\ours-$p" "$(winpath "$report")" --sample-memory \
           | tr -d '\r' || true)
    [[ $line == *"exit=0"* && -f $report ]] || record "error payload=$p memory run: $line"
    [[ -f $report ]] && record "memory payload=$p $(tr -d '\r' <"$report" | tr '\n' ' ')"
    clear_installs
done

echo "== first painted backdrop"
record "size payload=setup what=setup_exe bytes=$(stat -c %s "$setup_exe")"
if command -v i686-w64-mingw32-strip >/dev/null; then
    i686-w64-mingw32-strip -o "$out/installers/Setup-stripped.exe" "$setup_exe"
    record "size payload=setup what=setup_exe_stripped bytes=$(stat -c %s "$out/installers/Setup-stripped.exe")"
fi
if [[ -f $win_build/demo-payload.bin ]]; then
    record "size payload=setup what=setup_payload bytes=$(stat -c %s "$win_build/demo-payload.bin")"
fi
# What the program itself weighs: the pictures are artwork, not code.
record "size payload=setup what=pictures bytes=$(cat "$root"/res/*.bmp | wc -c)"
# The first paint with the demo payload and with the largest one: the loader must not
# have to read a payload before the window can show.
big_setup=$out/installers/Setup-mixed.exe
launch embed "$(winpath "$setup_exe")" "$(winpath "$out/archives/mixed.bin")" "$(winpath "$big_setup")" | tr -d '\r'
for r in $(seq 1 "$runs"); do
    for exe in "$setup_exe" "$big_setup"; do
        label=demo; [[ $exe == "$big_setup" ]] && label=mixed
        line=$(launch firstpaint "$(winpath "$exe")" | tr -d '\r' || true)
        echo "$line payload=$label"
        record "$line payload=$label"
    done
done

# --- the table --------------------------------------------------------------------------
python3 "$bench_py" report "$raw" "$out/results.md"

if [[ $smoke == 1 ]]; then
    # The smoke run checks that every part produced its figures, not what they are.
    missing=0
    for p in "${payloads[@]}"; do
        for kind in "extract payload=$p way=engine" "extract payload=$p way=floor" "process payload=$p who=ours" \
                    "process payload=$p who=silent" "process payload=$p who=unchecked" \
                    "process payload=$p who=nsis" "memory payload=$p" "tool payload=$p what=payload-j1" \
                    "tool payload=$p what=gzip-9" "deflate payload=$p method=zlib-9"; do
            grep -q "^$kind " "$raw" || { echo "bench smoke: no figure '$kind'" >&2; missing=1; }
        done
    done
    grep -q "^firstpaint .*paint_ms=[0-9]" "$raw" || { echo "bench smoke: no first-paint figure" >&2; missing=1; }
    grep -q "^lookup files=3000 " "$raw" || { echo "bench smoke: no lookup figure" >&2; missing=1; }
    grep -q "^error " "$raw" && { echo "bench smoke: errors recorded" >&2; missing=1; }
    for heading in "## 1. Extraction against the floor" "## 2. Against NSIS" "## 3. Building the archive" \
                   "## 4. Memory and size"; do
        grep -qF "$heading" "$out/results.md" || { echo "bench smoke: no '$heading' in the table" >&2; missing=1; }
    done
    exit $missing
fi

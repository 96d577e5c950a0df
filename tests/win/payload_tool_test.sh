#!/usr/bin/env bash
# The payload tool's Windows build, run under Wine as a vendor on Windows runs it: it packs
# a folder, lists the archive, writes it into the Setup.exe stub and lists that. The host
# tool reads both back: the listings agree, the files come out as they went in, and the
# Setup.exe carries the archive the Windows tool made. Each output is written twice: the
# second run replaces the file the first left (Windows' rename does not).
#   payload_tool_test.sh WINDOWS_TOOL HOST_TOOL SETUP_STUB WORK_DIR
set -euo pipefail
win_tool=$1 host_tool=$2 stub=$3 work=$4
rm -rf "$work"
mkdir -p "$work/files/System" "$work/files/ChmMacros"
cd "$work"
cp "$win_tool" payload.exe
cp "$stub" Stub.exe
seq 1 40000 >files/Varnix.exe
printf 'read me\r\n' >files/Readme.txt
head -c 3000 /dev/zero >files/System/Lib.dll
echo macro >files/ChmMacros/m.ptn

# Windows programs see the folder as the current directory, and write CR LF.
run() { wine payload.exe "$@" </dev/null | tr -d '\r'; }

run build --folder files --output win.bin -j 2
run build --folder files --output win.bin -j 2
run list win.bin >win.list
cat win.list
"$host_tool" list win.bin >host.list
diff host.list win.list

"$host_tool" extract win.bin back >/dev/null
for file in Varnix.exe Readme.txt System/Lib.dll ChmMacros/m.ptn; do
    cmp "files/$file" "back/$file"
done

printf 'stale' >Setup.exe
run setup --stub Stub.exe --folder files --product-version 4.5.6 --output Setup.exe
run list Setup.exe >setup.list
"$host_tool" verify Setup.exe
"$host_tool" extract Setup.exe from-setup >/dev/null
cmp files/Varnix.exe from-setup/Varnix.exe
grep -q "(resource 127 of the executable)" setup.list
diff <(head -n -1 host.list) <(head -n -1 setup.list)
echo "The Windows payload tool packs, lists and writes Setup.exe."

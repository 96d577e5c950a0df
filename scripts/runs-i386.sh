#!/usr/bin/env bash
# Tells whether 32-bit Windows programs can run here, and says why not when they cannot.
#   runs-i386.sh --kernel   exits 0 when the kernel runs 32-bit x86 programs at all
#   runs-i386.sh            exits 0 when 32-bit Wine runs: the kernel runs 32-bit programs
#                           and 32-bit Wine is installed; otherwise prints the reason
# Some virtual machines run their kernel without 32-bit emulation, and an i386 package
# index can be unreachable for a while, so that 32-bit Wine cannot be installed.
#
# The kernel is asked directly, before anything is installed: a static i386 program of 96
# bytes (an ELF header, one program header and "exit(42)" as int 0x80) is written and
# started. The i386 loader cannot tell, since only the i386 packages bring it.
set -uo pipefail

kernel_runs_i386() {
    local probe rc
    probe=$(mktemp "${TMPDIR:-/tmp}/i386-probe.XXXXXX") || return 1
    printf '%b' \
        '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
        '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
        '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
        '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' \
        '\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00' \
        '\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null
    rc=$?
    rm -f "$probe"
    [[ $rc -eq 42 ]]
}

wine32_installed() {
    [[ $(dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null) == "install ok installed" ]] &&
        [[ -x /usr/lib/i386-linux-gnu/ld-linux.so.2 || -x /lib/ld-linux.so.2 ]]
}

if ! kernel_runs_i386; then
    [[ ${1:-} == --kernel ]] || echo "This machine cannot run 32-bit x86 programs, so 32-bit Wine cannot start here."
    exit 1
fi
[[ ${1:-} == --kernel ]] && exit 0
if ! wine32_installed; then
    echo "32-bit Wine is not installed: its i386 packages could not be installed (scripts/install-deps.sh said why)."
    exit 1
fi
exit 0

#!/usr/bin/env bash
# Exits 0 when this machine runs 32-bit x86 programs (and so 32-bit Wine), 1 when it
# cannot: some virtual machines run their kernel without 32-bit emulation.
loader=/usr/lib/i386-linux-gnu/ld-linux.so.2
if [[ -x $loader ]] && "$loader" --version >/dev/null 2>&1; then
    exit 0
fi
exit 1

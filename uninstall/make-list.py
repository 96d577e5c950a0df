#!/usr/bin/env python3
"""Writes the installation list that BraxDel.dll carries as its resource: one line per
payload file and per manual of the medium, with its size and the CRC-32 of its bytes, so
that the uninstaller removes what the setup program wrote and keeps what was changed.

  F<TAB>code<TAB>size<TAB>crc32<TAB>name     a payload entry (code as in the archive)
  D<TAB>size<TAB>crc32<TAB>name              a manual, copied into <dir>Docs\\

The system-directory entries (code 13) are left out: the only one the uninstaller
removes is itself, and it knows its own path. Names are bytes of the Windows code page.

With --library DLL it also writes the payload's file list with DLL as the system
directory's BraxDel.dll (--payload-manifest OUT), replacing an entry of that name.
"""
import argparse
import os
import sys
import zlib

SYSTEM = 13
CODE_WORDS = {"install": 0, "system": SYSTEM, "macros": 15, "examples": 16}
SUBFOLDERS = {"System": SYSTEM, "ChmMacros": 15, "5&10ChannelExamples": 16}


def fail(text):
    sys.stderr.write("make-list.py: %s\n" % text)
    sys.exit(2)


def crc_and_size(path):
    crc, size = 0, 0
    with open(path, "rb") as f:
        while True:
            block = f.read(1 << 16)
            if not block:
                return crc & 0xFFFFFFFF, size
            crc = zlib.crc32(block, crc)
            size += len(block)


def ansi_name(name, codepage):
    try:
        return name.encode("cp%d" % codepage)
    except UnicodeEncodeError:
        fail("the name %r has no form in code page %d" % (name, codepage))


def manifest_entries(path):
    """(code, source path, stored name bytes) of each manifest line."""
    base = os.path.dirname(os.path.abspath(path))
    entries = []
    with open(path, "rb") as f:
        for number, raw in enumerate(f, 1):
            line = raw.rstrip(b"\r\n")
            if not line.strip() or line.lstrip().startswith(b"#"):
                continue
            fields = line.split(b"\t")
            if len(fields) != 3:
                fail("%s:%d: expected code<TAB>source<TAB>name" % (path, number))
            word = fields[0].strip().decode("ascii", "replace").lower()
            code = CODE_WORDS[word] if word in CODE_WORDS else int(word) if word.isdigit() else None
            if code is None:
                fail("%s:%d: bad destination code" % (path, number))
            source = os.path.join(base, os.fsdecode(fields[1]))
            entries.append((code, source, fields[2]))
    return entries


def folder_entries(folder, codepage):
    """The payload tool's folder layout, largest file first as it packs them."""
    entries = []
    for name in os.listdir(folder):
        path = os.path.join(folder, name)
        if os.path.isfile(path):
            entries.append((0, path, ansi_name(name, codepage)))
            continue
        code = {k.lower(): v for k, v in SUBFOLDERS.items()}.get(name.lower())
        if code is None or not os.path.isdir(path):
            fail("%s: only the subfolders System, ChmMacros and 5&10ChannelExamples can be installed" % path)
        for inner in os.listdir(path):
            if not os.path.isfile(os.path.join(path, inner)):
                fail("%s: a folder inside %s cannot be installed" % (os.path.join(path, inner), name))
            entries.append((code, os.path.join(path, inner), ansi_name(inner, codepage)))
    entries.sort(key=lambda e: (-os.path.getsize(e[1]), e[0], e[2]))
    return entries


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    source = parser.add_mutually_exclusive_group(required=True)
    source.add_argument("--manifest")
    source.add_argument("--folder")
    parser.add_argument("--docs", help="the medium's manuals folder (its files)")
    parser.add_argument("--codepage", type=int, default=1252)
    parser.add_argument("--output", required=True)
    parser.add_argument("--library", help="the BraxDel.dll to put into the payload")
    parser.add_argument("--payload-manifest", help="with --library: the payload's manifest to write")
    args = parser.parse_args()

    entries = manifest_entries(args.manifest) if args.manifest else folder_entries(args.folder, args.codepage)
    lines = []
    for code, path, name in entries:
        if code == SYSTEM:
            continue
        crc, size = crc_and_size(path)
        lines.append(b"F\t%d\t%d\t%08x\t%s\n" % (code, size, crc, name))
    if args.docs:
        for name in sorted(os.listdir(args.docs)):
            path = os.path.join(args.docs, name)
            if os.path.isfile(path):
                crc, size = crc_and_size(path)
                lines.append(b"D\t%d\t%08x\t%s\n" % (size, crc, ansi_name(name, args.codepage)))
    with open(args.output, "wb") as f:
        f.write(b"# Pelorin installation list\n")
        f.writelines(lines)

    if args.library and args.payload_manifest:
        with open(args.payload_manifest, "wb") as f:
            for code, path, name in entries:
                if code == SYSTEM and name.lower() == b"braxdel.dll":
                    continue
                f.write(b"%d\t%s\t%s\n" % (code, os.fsencode(os.path.abspath(path)), name))
            f.write(b"%d\t%s\tBraxDel.dll\n" % (SYSTEM, os.fsencode(os.path.abspath(args.library))))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Checks a built 32-bit Windows program against what the oldest supported systems load.

A Windows loader refuses a whole program when one imported function is missing from its
DLL, and Wine resolves every function of every Windows version, so no test under Wine
notices such an import. This reads the program's own headers and import table instead:

  * the image is a 32-bit (PE32, i386) program whose OS and subsystem versions are 4.0;
  * every imported DLL and function is in the allowlist, and the allowlist says that both
    Windows 95 OSR2 and Windows NT 4.0 have it;
  * optionally (--manifest), the application manifest asks for administrator rights and
    does not ask for the version 6 common controls.

Usage: pecheck.py --allow imports.allow [--manifest] PROGRAM...
Exit code 0 when every program passes, 1 otherwise; each problem is printed on a line.
"""
import argparse
import struct
import sys
import xml.etree.ElementTree as ET

# The oldest systems each family must load the program on.
OLDEST_9X = "95"
OLDEST_NT = (4, 0)

NINE_X_ORDER = {"95": 0, "98": 1, "me": 2}


class PeError(Exception):
    pass


class PeImage:
    def __init__(self, data):
        self.data = data
        if data[:2] != b"MZ":
            raise PeError("no MZ header")
        (pe_offset,) = struct.unpack_from("<I", data, 0x3C)
        if data[pe_offset:pe_offset + 4] != b"PE\0\0":
            raise PeError("no PE signature")
        coff = pe_offset + 4
        (self.machine, self.section_count, _, _, _, optional_size, self.characteristics) = struct.unpack_from(
            "<HHIIIHH", data, coff)
        self.optional = coff + 20
        (self.magic,) = struct.unpack_from("<H", data, self.optional)
        if self.magic != 0x10B:
            raise PeError("not a 32-bit (PE32) image: optional header magic 0x%X" % self.magic)
        o = self.optional
        (self.os_major, self.os_minor, _, _, self.subsystem_major, self.subsystem_minor) = struct.unpack_from(
            "<HHHHHH", data, o + 40)
        (self.subsystem,) = struct.unpack_from("<H", data, o + 68)
        (directory_count,) = struct.unpack_from("<I", data, o + 92)
        self.directories = [struct.unpack_from("<II", data, o + 96 + 8 * i) for i in range(min(directory_count, 16))]
        self.sections = []
        table = o + optional_size
        for i in range(self.section_count):
            name, vsize, va, raw_size, raw_ptr = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((name.rstrip(b"\0").decode("latin-1"), va, max(vsize, raw_size), raw_ptr, raw_size))

    def offset(self, rva):
        for _, va, size, raw_ptr, raw_size in self.sections:
            if va <= rva < va + size:
                if rva - va >= raw_size:
                    raise PeError("RVA 0x%X lies in a section's uninitialised part" % rva)
                return raw_ptr + rva - va
        raise PeError("RVA 0x%X lies in no section" % rva)

    def u32(self, rva):
        return struct.unpack_from("<I", self.data, self.offset(rva))[0]

    def cstring(self, rva):
        start = self.offset(rva)
        end = self.data.index(b"\0", start)
        return self.data[start:end].decode("latin-1")

    def directory(self, index):
        return self.directories[index] if index < len(self.directories) else (0, 0)

    def imports(self):
        """[(dll, function or '#ordinal')] of the import directory."""
        rva, size = self.directory(1)
        result = []
        if not rva:
            return result
        descriptor = rva
        while True:
            original_thunk, _, _, name_rva, first_thunk = struct.unpack_from("<IIIII", self.data, self.offset(descriptor))
            if not name_rva and not first_thunk:
                break
            dll = self.cstring(name_rva)
            thunk = original_thunk or first_thunk
            while True:
                value = self.u32(thunk)
                if value == 0:
                    break
                if value & 0x80000000:
                    result.append((dll, "#%d" % (value & 0xFFFF)))
                else:
                    result.append((dll, self.cstring(value + 2)))
                thunk += 4
            descriptor += 20
        return result

    def resources(self):
        """{(type, name, language): bytes} with integer ids (names as strings)."""
        root, _ = self.directory(2)
        found = {}
        if not root:
            return found

        def entries(directory_rva):
            at = self.offset(directory_rva)
            named, numbered = struct.unpack_from("<HH", self.data, at + 12)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                if ident & 0x80000000:
                    name_at = self.offset(root + (ident & 0x7FFFFFFF))
                    (length,) = struct.unpack_from("<H", self.data, name_at)
                    ident = self.data[name_at + 2:name_at + 2 + 2 * length].decode("utf-16-le")
                yield ident, target

        for type_id, type_target in entries(root):
            for name_id, name_target in entries(root + (type_target & 0x7FFFFFFF)):
                for language, data_target in entries(root + (name_target & 0x7FFFFFFF)):
                    data_rva, data_size, _, _ = struct.unpack_from("<IIII", self.data, self.offset(root + data_target))
                    start = self.offset(data_rva)
                    found[(type_id, name_id, language)] = self.data[start:start + data_size]
        return found


def parse_nt(text):
    if text == "-":
        return None
    major, minor = text.split(".")
    return int(major), int(minor)


def load_allowlist(path):
    """{(dll lower-case, function): (first 9x release or None, first NT version or None)}"""
    allowed = {}
    with open(path, encoding="utf-8") as f:
        for number, line in enumerate(f, 1):
            line = line.split("#", 1)[0].strip()
            if not line:
                continue
            fields = line.split()
            if len(fields) != 4:
                raise SystemExit("%s:%d: expected 'DLL FUNCTION 9X NT', got %r" % (path, number, line))
            dll, function, nine_x, nt = fields
            if nine_x != "-" and nine_x not in NINE_X_ORDER:
                raise SystemExit("%s:%d: unknown Windows 9x release %r" % (path, number, nine_x))
            allowed[(dll.lower(), function)] = (None if nine_x == "-" else nine_x, parse_nt(nt))
    return allowed


def describe(nine_x, nt):
    first_9x = "Windows %s" % nine_x.upper() if nine_x else "no Windows 9x release"
    first_nt = "NT %d.%d" % nt if nt else "no NT release"
    return "first in %s and %s" % (first_9x, first_nt)


def check_imports(image, allowed):
    problems = []
    for dll, function in image.imports():
        entry = allowed.get((dll.lower(), function))
        if entry is None:
            problems.append("imports %s from %s, which is not in the allowlist" % (function, dll))
            continue
        nine_x, nt = entry
        old_enough = (nine_x is not None and NINE_X_ORDER[nine_x] <= NINE_X_ORDER[OLDEST_9X]
                      and nt is not None and nt <= OLDEST_NT)
        if not old_enough:
            problems.append("imports %s from %s: %s, so Windows 95 OSR2 or NT 4.0 would refuse to load the program"
                            % (function, dll, describe(nine_x, nt)))
    return problems


def check_headers(image):
    problems = []
    if image.machine != 0x14C:
        problems.append("machine 0x%X is not i386" % image.machine)
    if (image.os_major, image.os_minor) != (4, 0):
        problems.append("OS version %d.%d in the header, not 4.0" % (image.os_major, image.os_minor))
    if (image.subsystem_major, image.subsystem_minor) != (4, 0):
        problems.append("subsystem version %d.%d in the header, not 4.0"
                        % (image.subsystem_major, image.subsystem_minor))
    return problems


def check_manifest(image):
    manifests = [data for (kind, _, _), data in image.resources().items() if kind == 24]
    if len(manifests) != 1:
        return ["%d application manifests, not one" % len(manifests)]
    try:
        root = ET.fromstring(manifests[0])
    except ET.ParseError as error:
        return ["the manifest is not well-formed XML: %s" % error]
    problems = []
    levels = [element.get("level") for element in root.iter() if element.tag.endswith("}requestedExecutionLevel")]
    if levels != ["requireAdministrator"]:
        problems.append("the manifest's requested execution levels are %s, not requireAdministrator" % levels)
    for element in root.iter():
        if element.tag.endswith("}assemblyIdentity") and element.get("name") == "Microsoft.Windows.Common-Controls":
            problems.append("the manifest depends on the version 6 common controls, which change the pages' look")
    return problems


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--allow", required=True, help="the allowlist of imports")
    parser.add_argument("--manifest", action="store_true", help="check the application manifest too")
    parser.add_argument("programs", nargs="+")
    args = parser.parse_args()
    allowed = load_allowlist(args.allow)
    failed = False
    for program in args.programs:
        with open(program, "rb") as f:
            data = f.read()
        try:
            image = PeImage(data)
            problems = check_headers(image) + check_imports(image, allowed)
            if args.manifest:
                problems += check_manifest(image)
        except (PeError, struct.error, ValueError) as error:
            problems = ["cannot be read as a PE image: %s" % error]
        for problem in problems:
            print("%s: %s" % (program, problem))
        if problems:
            failed = True
        else:
            print("%s: %d imports, all present on Windows 95 OSR2 and NT 4.0" % (program, len(image.imports())))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())

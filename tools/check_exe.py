#!/usr/bin/env python3
"""Lists an executable's imports and resources, and with --check also
verifies what a technician's copy of RavoVup.exe must hold: only system DLLs
imported (never rapi.dll), and every resource present, in Japanese, with the
package byte-identical to the cabinet that was embedded.

usage: check_exe.py <RavoVup.exe> [--check <package.cab>]
"""
import struct
import sys

RT_NAMES = {1: "CURSOR", 2: "BITMAP", 3: "ICON", 4: "MENU", 5: "DIALOG", 6: "STRING", 10: "RCDATA",
            14: "GROUP_ICON", 16: "VERSION", 24: "MANIFEST"}
SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll", "advapi32.dll"}


class Image:
    def __init__(self, data):
        self.data = data
        pe = struct.unpack_from("<I", data, 0x3C)[0]
        if data[pe:pe + 4] != b"PE\0\0":
            raise SystemExit("not a PE image")
        sections, optional_size = struct.unpack_from("<H12xH", data, pe + 6)
        optional = pe + 24
        magic = struct.unpack_from("<H", data, optional)[0]
        directories = optional + (96 if magic == 0x10B else 112)
        self.dirs = [struct.unpack_from("<II", data, directories + 8 * i) for i in range(16)]
        self.sections = []
        table = optional + optional_size
        for i in range(sections):
            _, vsize, va, rawsize, raw = struct.unpack_from("<8sIIII", data, table + 40 * i)
            self.sections.append((va, max(vsize, rawsize), raw))
        self.wide = magic != 0x10B

    def offset(self, rva):
        for va, size, raw in self.sections:
            if va <= rva < va + size:
                return raw + rva - va
        raise ValueError(f"rva {rva:#x} outside sections")

    def cstring(self, rva):
        at = self.offset(rva)
        return self.data[at:self.data.index(b"\0", at)].decode("ascii")

    def imports(self):
        rva = self.dirs[1][0]
        result = {}
        while rva:
            lookup, _, _, name, thunk = struct.unpack_from("<IIIII", self.data, self.offset(rva))
            if name == 0:
                break
            functions = []
            entry = self.offset(lookup or thunk)
            step, flag = (8, 1 << 63) if self.wide else (4, 1 << 31)
            while True:
                value = struct.unpack_from("<Q" if self.wide else "<I", self.data, entry)[0]
                if value == 0:
                    break
                functions.append(f"#{value & 0xFFFF}" if value & flag else self.cstring((value & 0x7FFFFFFF) + 2))
                entry += step
            result[self.cstring(name)] = functions
            rva += 20
        return result

    def resources(self):
        """(type, name, language, bytes) for every resource."""
        base = self.dirs[2][0]
        out = []

        def walk(rva, path):
            at = self.offset(base + rva)
            named, numbered = struct.unpack_from("<12xHH", self.data, at)
            for i in range(named + numbered):
                ident, target = struct.unpack_from("<II", self.data, at + 16 + 8 * i)
                if ident & 0x80000000:
                    s = self.offset(base + (ident & 0x7FFFFFFF))
                    length = struct.unpack_from("<H", self.data, s)[0]
                    key = self.data[s + 2:s + 2 + 2 * length].decode("utf-16-le")
                else:
                    key = ident
                if target & 0x80000000:
                    walk(target & 0x7FFFFFFF, path + [key])
                else:
                    data_rva, size = struct.unpack_from("<II", self.data, self.offset(base + target))
                    at_data = self.offset(data_rva)
                    out.append((path[0], path[1], key, self.data[at_data:at_data + size]))

        walk(0, [])
        return out


def main():
    args = sys.argv[1:]
    if not args or (len(args) != 1 and (len(args) != 3 or args[1] != "--check")):
        sys.exit(__doc__)
    with open(args[0], "rb") as f:
        image = Image(f.read())
    imports = image.imports()
    resources = image.resources()
    for dll, functions in imports.items():
        print(f"import {dll}: {len(functions)} functions")
    for kind, name, language, data in resources:
        print(f"resource {RT_NAMES.get(kind, kind)} {name} lang {language}: {len(data)} bytes")
    if len(args) == 1:
        return

    problems = []
    foreign = [dll for dll in imports if dll.lower() not in SYSTEM_DLLS]
    if foreign:
        problems.append(f"imports beyond the system DLLs: {foreign}")
    found = {(kind, name): data for kind, name, _, data in resources}
    if any(language != 1041 for _, _, language, _ in resources):
        problems.append("a resource is not Japanese (1041)")
    with open(args[2], "rb") as f:
        package = f.read()
    if found.get((10, "CABFILE")) != package:
        problems.append("RCDATA CABFILE is missing or differs from the package")
    bitmap = found.get((2, 129), b"")
    if len(bitmap) < 40 or struct.unpack_from("<IiiHH", bitmap) != (40, 600, 400, 1, 24):
        problems.append("BITMAP 129 is not 600x400 at 24 bits")
    group = found.get((14, 128), b"")
    sizes = sorted((group[6 + 14 * i], group[6 + 14 * i + 2]) for i in range(len(group) >= 6 and group[4] or 0))
    if sizes != [(16, 16), (32, 16)]:
        problems.append(f"GROUP_ICON 128 holds {sizes}, wanted 16 and 32 px at 16 colours")
    for dialog in (102, 130):
        if (5, dialog) not in found:
            problems.append(f"DIALOG {dialog} missing")
    if b"asInvoker" not in found.get((24, 1), b""):
        problems.append("manifest missing or not asInvoker")
    if (16, 1) not in found:
        problems.append("VERSIONINFO missing")
    for problem in problems:
        print("FAIL:", problem)
    if problems:
        sys.exit(1)
    print("executable: all checks passed")


if __name__ == "__main__":
    main()

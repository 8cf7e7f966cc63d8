#!/usr/bin/python3
"""Compares two builds of one program byte for byte. On a difference, prints
how many bytes differ and where: each run of differing bytes with its offset,
the PE header field or section that holds it, and both builds' bytes.

usage: compare_binaries.py <first> <second>
"""
import sys

import pefile

HEADER_FIELDS = ("FILE_HEADER.TimeDateStamp", "OPTIONAL_HEADER.CheckSum")


def runs(a, b):
    """(start, end) of each run of differing bytes, end exclusive."""
    start = None
    for i in range(max(len(a), len(b))):
        same = i < len(a) and i < len(b) and a[i] == b[i]
        if not same and start is None:
            start = i
        elif same and start is not None:
            yield start, i
            start = None
    if start is not None:
        yield start, max(len(a), len(b))


def where(pe, offset):
    for name in HEADER_FIELDS:
        part, field = name.split(".")
        at = getattr(pe, part).get_field_absolute_offset(field)
        if at <= offset < at + 4:
            return name
    for section in pe.sections:
        if section.PointerToRawData <= offset < section.PointerToRawData + section.SizeOfRawData:
            rva = offset - section.PointerToRawData + section.VirtualAddress
            name = section.Name.rstrip(b"\0").decode()
            return f"section {name} (rva {rva:#x})"
    return "headers" if offset < pe.OPTIONAL_HEADER.SizeOfHeaders else "after the sections"


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    a, b = (open(path, "rb").read() for path in sys.argv[1:])
    if a == b:
        print(f"identical: {sys.argv[1]} and {sys.argv[2]} ({len(a)} bytes)")
        return
    found = list(runs(a, b))
    total = sum(end - start for start, end in found)
    print(f"DIFFERENT: {sys.argv[1]} ({len(a)} bytes) and {sys.argv[2]} ({len(b)} bytes): "
          f"{total} bytes in {len(found)} places")
    pe = pefile.PE(data=a, fast_load=True)
    for start, end in found[:20]:
        print(f"  {start:#010x}..{end - 1:#010x} {where(pe, start)}: "
              f"{a[start:min(end, start + 16)].hex()} / {b[start:min(end, start + 16)].hex()}")
    if len(found) > 20:
        print(f"  ... and {len(found) - 20} more places")
    sys.exit(1)


if __name__ == "__main__":
    main()

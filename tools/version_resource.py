#!/usr/bin/python3
"""Prints a program's version from its version resource, and whether it says
it carries the demo package: "<FileVersion> demo" or "<FileVersion> release".

usage: version_resource.py <RavoVup.exe>
"""
import sys

import pefile

DEMO_MARK = "デモ"


def main():
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    pe = pefile.PE(sys.argv[1])
    strings = {key.decode(): value.decode()
               for info in getattr(pe, "FileInfo", [[]])[0] if hasattr(info, "StringTable")
               for table in info.StringTable for key, value in table.entries.items()}
    if "FileVersion" not in strings or "ProductName" not in strings:
        sys.exit(f"{sys.argv[1]}: no FileVersion or ProductName in the version resource")
    demo = DEMO_MARK in strings["ProductName"] or DEMO_MARK in strings.get("FileDescription", "")
    print(strings["FileVersion"], "demo" if demo else "release")


if __name__ == "__main__":
    main()

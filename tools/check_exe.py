#!/usr/bin/env python3
"""Lists an executable's imports, resources and version texts, and with
--check also verifies what a technician's copy of RavoVup.exe must hold: only
system DLLs imported (never rapi.dll), and every resource present, in
Japanese, with the package byte-identical to the cabinet that was embedded.
--expect-description TEXT also requires TEXT in both the FileDescription and
the ProductName of the version resource (a demo build says so there).

It also tells the two kinds apart. A demo program (its version resource
names the demo package) must look for the simulated handheld's mark and say
"demo" in its title; a release must do neither. --kind demo|release
requires that kind.

usage: check_exe.py <RavoVup.exe> [--check <package.cab>] [--expect-description TEXT] [--kind demo|release]
"""
import argparse
import os
import struct
import sys

try:
    import pefile
except ImportError:
    # Debian's python3-pefile serves the system interpreter; a python3 that
    # comes first on PATH (pyenv, a venv) may not see it.
    if os.path.exists("/usr/bin/python3") and os.path.realpath(sys.executable) != os.path.realpath("/usr/bin/python3"):
        os.execv("/usr/bin/python3", ["/usr/bin/python3", *sys.argv])
    sys.exit("check_exe.py needs pefile: apt-get install python3-pefile")

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "gdi32.dll", "comctl32.dll", "msvcrt.dll", "advapi32.dll"}
RT_NAMES = {value: name[3:] for name, value in pefile.RESOURCE_TYPE.items() if isinstance(name, str)}
RT_BITMAP, RT_DIALOG, RT_RCDATA, RT_GROUP_ICON, RT_VERSION, RT_MANIFEST = 2, 5, 10, 14, 16, 24
JAPANESE = 0x411
VERSION_TEXTS = ("FileDescription", "ProductName", "FileVersion")
DEMO_DESCRIPTION = "(デモ パッケージ)"
# What only a demo program's code holds: the entry point it looks for in the
# remote API library, and its title.
DEMO_MARKERS = {"the simulated handheld's mark": b"RavoSimulatedHandheld",
                "the demo title": "ravo+ for Q58（デモ版）".encode("utf-8")}


def kind_of(texts, image_bytes):
    """("demo" or "release", problems): the version resource says which; the
    code must agree with it."""
    demo = DEMO_DESCRIPTION in texts.get("FileDescription", "")
    problems = []
    for what, marker in DEMO_MARKERS.items():
        if demo and marker not in image_bytes:
            problems.append(f"a demo program without {what}")
        if not demo and marker in image_bytes:
            problems.append(f"a release program holding {what}")
    return ("demo" if demo else "release"), problems


def imports(image):
    return {entry.dll.decode("ascii"): len(entry.imports) for entry in getattr(image, "DIRECTORY_ENTRY_IMPORT", [])}


def resources(image):
    """(type, name, language, bytes) for every resource; names are ids or texts."""
    out = []

    def key(entry):
        return str(entry.name) if entry.name is not None else entry.id

    root = getattr(image, "DIRECTORY_ENTRY_RESOURCE", None)
    for kind in root.entries if root else []:
        for name in kind.directory.entries:
            for language in name.directory.entries:
                data = language.data.struct
                out.append((key(kind), key(name), language.id, image.get_data(data.OffsetToData, data.Size)))
    return out


def version_texts(image):
    """The StringFileInfo values, decoded."""
    texts = {}
    for info in getattr(image, "FileInfo", []):
        for block in info:
            for table in getattr(block, "StringTable", []):
                for name, value in table.entries.items():
                    texts[name.decode("utf-8", "replace")] = value.decode("utf-8", "replace")
    return texts


def problems_of(imported, found, package):
    problems = []
    foreign = [dll for dll in imported if dll.lower() not in SYSTEM_DLLS]
    if foreign:
        problems.append(f"imports beyond the system DLLs: {foreign}")
    if any(language != JAPANESE for _, _, language, _ in found):
        problems.append("a resource is not Japanese (1041)")
    by_id = {(kind, name): data for kind, name, _, data in found}
    if by_id.get((RT_RCDATA, "CABFILE")) != package:
        problems.append("RCDATA CABFILE is missing or differs from the package")
    bitmap = by_id.get((RT_BITMAP, 129), b"")
    if len(bitmap) < 40 or struct.unpack_from("<IiiHH", bitmap) != (40, 600, 400, 1, 24):
        problems.append("BITMAP 129 is not 600x400 at 24 bits")
    group = by_id.get((RT_GROUP_ICON, 128), b"")
    count = group[4] if len(group) >= 6 else 0
    sizes = sorted((group[6 + 14 * i], group[6 + 14 * i + 2]) for i in range(count))
    if sizes != [(16, 16), (32, 16)]:
        problems.append(f"GROUP_ICON 128 holds {sizes}, wanted 16 and 32 px at 16 colours")
    for dialog in (102, 130):
        if (RT_DIALOG, dialog) not in by_id:
            problems.append(f"DIALOG {dialog} missing")
    if b"asInvoker" not in by_id.get((RT_MANIFEST, 1), b""):
        problems.append("manifest missing or not asInvoker")
    if (RT_VERSION, 1) not in by_id:
        problems.append("VERSIONINFO missing")
    return problems


def main():
    parser = argparse.ArgumentParser(usage=__doc__.split("usage: ")[1])
    parser.add_argument("exe")
    parser.add_argument("--check", metavar="PACKAGE_CAB")
    parser.add_argument("--expect-description", metavar="TEXT")
    parser.add_argument("--kind", choices=("demo", "release"))
    args = parser.parse_args()

    try:
        image = pefile.PE(args.exe)
    except pefile.PEFormatError as error:
        sys.exit(f"{args.exe}: not a PE image ({error})")
    imported = imports(image)
    found = resources(image)
    texts = version_texts(image)
    for dll, count in imported.items():
        print(f"import {dll}: {count} functions")
    for kind, name, language, data in found:
        print(f"resource {RT_NAMES.get(kind, kind)} {name} lang {language}: {len(data)} bytes")
    for name in VERSION_TEXTS:
        print(f"version {name}: {texts.get(name, '(none)')}")
    with open(args.exe, "rb") as f:
        kind, problems = kind_of(texts, f.read())
    print(f"kind: {kind} program")
    if args.kind is not None and kind != args.kind:
        problems.append(f"a {kind} program where a {args.kind} program is wanted")

    if args.check:
        with open(args.check, "rb") as f:
            problems += problems_of(imported, found, f.read())
    if args.expect_description is not None:
        for name in ("FileDescription", "ProductName"):
            if args.expect_description not in texts.get(name, ""):
                problems.append(f"version {name} does not contain {args.expect_description!r}")
    for problem in problems:
        print("FAIL:", problem)
    if problems:
        sys.exit(1)
    if args.check or args.expect_description is not None or args.kind is not None:
        print("executable: all checks passed")


if __name__ == "__main__":
    main()

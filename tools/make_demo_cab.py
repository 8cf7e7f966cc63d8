#!/usr/bin/env python3
"""Builds the demo installer package: an uncompressed cabinet made with gcab,
exactly as long as the shipped package (11,309,905 bytes), so transfers,
progress steps and chunk counts behave as with the real one. The content is
a short note plus pseudo-random filler from a fixed seed, with fixed
timestamps: every build yields the same bytes.

usage: make_demo_cab.py <out.cab> [size]
"""
import os
import random
import subprocess
import sys
import tempfile

TARGET = 11_309_905
STAMP = 1_700_000_000  # fixed file times inside the cabinet
NOTE = (b"Demo package for RavoVup development and tests.\r\n"
        b"It is not an installer for the handheld.\r\n")


def build(out, work, filler_size):
    note = os.path.join(work, "readme.txt")
    filler = os.path.join(work, "payload.bin")
    with open(note, "wb") as f:
        f.write(NOTE)
    with open(filler, "wb") as f:
        f.write(random.Random(58).randbytes(filler_size))
    for path in (note, filler):
        os.utime(path, (STAMP, STAMP))
    if os.path.exists(out):
        os.remove(out)
    # Without -z gcab stores the data uncompressed, so the cabinet's size
    # follows the filler's size exactly.
    subprocess.run(["gcab", "--create", "--nopath", out, note, filler], check=True,
                   env=dict(os.environ, TZ="UTC"))
    return os.path.getsize(out)


def main():
    if len(sys.argv) not in (2, 3):
        sys.exit(__doc__)
    out = os.path.abspath(sys.argv[1])
    target = int(sys.argv[2]) if len(sys.argv) == 3 else TARGET
    with tempfile.TemporaryDirectory() as work:
        filler = max(target - 200, 0)
        # Each 32 KiB data block adds a header, so the size is solved by
        # stepping towards the target; it settles within a few rounds.
        for _ in range(8):
            size = build(out, work, filler)
            if size == target:
                break
            filler = max(filler + target - size, 0)
    with open(out, "rb") as f:
        magic = f.read(4)
    if size != target or magic != b"MSCF":
        os.remove(out)
        sys.exit(f"make_demo_cab: got {size} bytes starting {magic!r}, wanted {target} starting b'MSCF'")


if __name__ == "__main__":
    main()

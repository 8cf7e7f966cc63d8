#!/usr/bin/env python3
"""Draws the program's background picture (600x400, 24-bit BMP) and its icon
(32 and 16 px, 16 colours) from code, so the build needs no binary artwork
and every build produces the same bytes.

usage: make_artwork.py <picture.bmp> <icon.ico>
"""
import struct
import sys

WIDTH, HEIGHT = 600, 400


def mix(a, b, t):
    return tuple(round(x + (y - x) * t) for x, y in zip(a, b))


def smooth(t):
    t = min(max(t, 0.0), 1.0)
    return t * t * (3 - 2 * t)


def picture():
    """Rows of (r, g, b), top row first."""
    band_top, band_bottom = (22, 66, 104), (38, 104, 142)
    sky, paper = (214, 229, 240), (247, 250, 252)
    band = 74  # height of the title band
    rows = []
    for y in range(HEIGHT):
        row = []
        for x in range(WIDTH):
            if y < band:
                c = mix(band_top, band_bottom, smooth(x / WIDTH * 0.8 + y / band * 0.2))
            elif y < band + 3:
                c = (120, 186, 214)  # thin accent line under the band
            else:
                t = smooth((y - band) / (HEIGHT - band))
                c = mix(sky, paper, t)
                # a faint diagonal sheen keeps the large area from looking flat
                s = smooth(1 - abs((x - y * 0.9) - 160) / 260)
                c = mix(c, (255, 255, 255), 0.35 * s)
            row.append(c)
        rows.append(row)
    draw_handheld(rows, 52, 96)
    draw_waves(rows, 28, 20)
    return rows


def fill(rows, x0, y0, x1, y1, colour, radius=0):
    for y in range(max(y0, 0), min(y1, HEIGHT)):
        for x in range(max(x0, 0), min(x1, WIDTH)):
            if radius:
                dx = max(x0 + radius - x - 0.5, 0, x - (x1 - radius) + 0.5)
                dy = max(y0 + radius - y - 0.5, 0, y - (y1 - radius) + 0.5)
                d = (dx * dx + dy * dy) ** 0.5 - radius
                if d > 0.5:
                    continue
                if d > -0.5:  # anti-aliased edge
                    rows[y][x] = mix(rows[y][x], colour, 0.5 - d)
                    continue
            rows[y][x] = colour


def draw_handheld(rows, x, y):
    """A simple handheld outline on the left, below the title band."""
    fill(rows, x + 4, y + 6, x + 112, y + 196, (176, 196, 212), 16)  # shadow
    fill(rows, x, y, x + 108, y + 190, (58, 84, 108), 16)  # body
    fill(rows, x + 10, y + 14, x + 98, y + 120, (28, 40, 52), 4)  # bezel
    fill(rows, x + 14, y + 18, x + 94, y + 116, (142, 200, 226), 2)  # screen
    for i in range(4):  # lines of text on the screen
        fill(rows, x + 22, y + 30 + i * 18, x + 86 - (i % 2) * 20, y + 36 + i * 18, (92, 150, 184), 2)
    for i in range(3):  # keys
        fill(rows, x + 14 + i * 28, y + 134, x + 38 + i * 28, y + 148, (104, 132, 156), 5)
    fill(rows, x + 34, y + 158, x + 74, y + 176, (104, 132, 156), 8)


def draw_waves(rows, x, y):
    """A small mark in the title band: three arcs, as of a transfer."""
    for i, r in enumerate((10, 18, 26)):
        for yy in range(y, y + 34):
            for xx in range(x, x + 34):
                d = ((xx - x) ** 2 + (yy - y - 34) ** 2) ** 0.5
                a = 1 - abs(d - r) / 2.2
                if a > 0:
                    rows[yy][xx] = mix(rows[yy][xx], (200, 230, 244), min(a, 1))
    fill(rows, x - 2, y + 30, x + 6, y + 38, (200, 230, 244), 4)


def bmp(rows):
    width, height = len(rows[0]), len(rows)
    stride = (width * 3 + 3) & ~3
    pixels = bytearray()
    for row in reversed(rows):  # bottom-up
        line = bytearray()
        for r, g, b in row:
            line += bytes((b, g, r))
        line += b"\0" * (stride - len(line))
        pixels += line
    info = struct.pack("<IiiHHIIiiII", 40, width, height, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    head = struct.pack("<2sIHHI", b"BM", 14 + len(info) + len(pixels), 0, 0, 14 + len(info))
    return head + info + pixels


# The standard 16-colour palette, so the icon looks the same on any display.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]


def icon_image(size):
    """A handheld on a teal tile: (palette indices, transparency) per pixel."""
    s = size / 32
    idx = [[0] * size for _ in range(size)]
    clear = [[True] * size for _ in range(size)]

    def box(x0, y0, x1, y1, colour):
        for y in range(round(y0 * s), round(y1 * s)):
            for x in range(round(x0 * s), round(x1 * s)):
                idx[y][x] = colour
                clear[y][x] = False

    box(1, 3, 31, 29, 6)  # teal tile
    box(2, 2, 30, 3, 6)
    box(2, 29, 30, 30, 6)
    box(9, 4, 23, 28, 4)  # handheld body, dark blue
    box(11, 6, 21, 17, 15)  # screen
    box(12, 8, 20, 9, 8)
    box(12, 11, 18, 12, 8)
    box(12, 14, 19, 15, 8)
    box(11, 20, 14, 22, 7)  # keys
    box(15, 20, 18, 22, 7)
    box(19, 20, 22, 22, 7)
    box(13, 24, 19, 26, 14)
    return idx, clear


def ico(sizes):
    images = []
    for size in sizes:
        idx, clear = icon_image(size)
        xor = bytearray()
        and_mask = bytearray()
        xor_stride = (size // 2 + 3) & ~3
        and_stride = ((size + 31) // 32) * 4
        for y in reversed(range(size)):
            line = bytearray()
            for x in range(0, size, 2):
                line.append(idx[y][x] << 4 | idx[y][x + 1])
            xor += line + b"\0" * (xor_stride - len(line))
            bits = bytearray(and_stride)
            for x in range(size):
                if clear[y][x]:
                    bits[x // 8] |= 0x80 >> (x % 8)
            and_mask += bits
        palette = b"".join(bytes((b, g, r, 0)) for r, g, b in PALETTE)
        header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 4, 0, len(xor) + len(and_mask), 0, 0, 16, 0)
        images.append(header + palette + xor + and_mask)
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    return out + b"".join(images)


def main():
    if len(sys.argv) != 3:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as f:
        f.write(bmp(picture()))
    with open(sys.argv[2], "wb") as f:
        f.write(ico([32, 16]))


if __name__ == "__main__":
    main()

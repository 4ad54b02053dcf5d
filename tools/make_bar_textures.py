#!/usr/bin/env python3
"""Writes the three cell-bar pictures: resources/bar_green.bmp, bar_amber.bmp
and bar_red.bmp, 40 x 81 pixels, 24 bits per pixel.

Each is a rounded, rod-like bar: dark at both sides, a soft highlight left of
the middle, and faint horizontal lines that split the height into ten equal
segments (the cell panel stretches the picture over the scale 0..100, so each
segment is 10 %).

Python 3 standard library only. Run from anywhere:
    python3 tools/make_bar_textures.py [output-folder]
"""

import math
import os
import struct
import sys

WIDTH = 40
HEIGHT = 81
SEGMENT = 8  # a line every 8 rows: rows 0, 8, ..., 80

COLOURS = {
    "green": (46, 196, 62),
    "amber": (255, 170, 20),
    "red": (226, 48, 44),
}


def shade(x):
    """Brightness factor and highlight amount across the bar, x in 0..1."""
    # A lit rod: a cosine falloff towards the edges around a light axis at 0.38.
    d = (x - 0.38) / (0.62 if x > 0.38 else 0.38)
    body = 0.50 + 0.55 * math.cos(min(1.0, abs(d)) * math.pi / 2) ** 0.8
    highlight = 0.45 * math.exp(-(((x - 0.33) / 0.09) ** 2))
    return body, highlight


def pixel(colour, x, y):
    body, highlight = shade((x + 0.5) / WIDTH)
    if y % SEGMENT == 0:
        body *= 0.72  # segment line
        highlight *= 0.5
    out = []
    for c in colour:
        v = c * body
        v = v + (255 - v) * highlight
        out.append(max(0, min(255, int(round(v)))))
    return tuple(out)


def bmp_bytes(colour):
    row_size = (WIDTH * 3 + 3) // 4 * 4
    image_size = row_size * HEIGHT
    header = struct.pack("<2sIHHI", b"BM", 14 + 40 + image_size, 0, 0, 14 + 40)
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, image_size, 3780, 3780, 0, 0)
    rows = []
    for y in range(HEIGHT - 1, -1, -1):  # bottom row first
        row = bytearray()
        for x in range(WIDTH):
            r, g, b = pixel(colour, x, y)
            row += bytes((b, g, r))
        row += b"\0" * (row_size - len(row))
        rows.append(bytes(row))
    return header + info + b"".join(rows)


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    out_dir = sys.argv[1] if len(sys.argv) > 1 else os.path.normpath(os.path.join(here, "..", "resources"))
    for name, colour in COLOURS.items():
        path = os.path.join(out_dir, "bar_%s.bmp" % name)
        with open(path, "wb") as f:
            f.write(bmp_bytes(colour))
        print(path)


if __name__ == "__main__":
    main()

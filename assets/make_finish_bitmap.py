#!/usr/bin/env python3
"""Draws the picture on the left of the installer's finish page: the icon's clock, larger, in a
soft blue glow that fades to the page's white before the right and bottom edges, as a 164 x 314
24-bit BMP (the size NSIS's Modern UI shows there). Shown unstretched, it meets the page without
a seam however large the dialog's font makes the space for it, and the clock stays round.

Standard library only and no time stamp in the file, so every run gives the same bytes;
scripts/package draws it into the installer's staging folder.

    python3 assets/make_finish_bitmap.py output.bmp
"""

import math
import struct
import sys
from pathlib import Path

sys.dont_write_bytecode = True  # no __pycache__ left in the checkout being packaged
from make_icon import render  # noqa: E402

WIDTH, HEIGHT = 164, 314
CLOCK, CLOCK_TOP = 120, 54  # the clock's size and its top edge, centred across
SAMPLES = 4  # samples per pixel edge: plenty at this size, and quick in pure Python
PAGE, GLOW = (255, 255, 255), (190, 210, 240)  # (red, green, blue)
# The glow's half axes: white from there on, so before the left, right and bottom edges.
GLOW_ACROSS, GLOW_DOWN = WIDTH // 2 - 2, 150


def background(x, y):
    d = math.hypot((x + 0.5 - WIDTH / 2) / GLOW_ACROSS,
                   (y + 0.5 - (CLOCK_TOP + CLOCK / 2)) / GLOW_DOWN)
    t = max(0.0, 1 - d) ** 0.7
    return tuple(round(p + (g - p) * t) for p, g in zip(PAGE, GLOW))


def picture():
    """Rows of (r, g, b), top row first: the clock laid over the glow."""
    clock = render(CLOCK, SAMPLES)
    left = (WIDTH - CLOCK) // 2
    rows = [[background(x, y) for x in range(WIDTH)] for y in range(HEIGHT)]
    for y, line in enumerate(clock):
        row = rows[CLOCK_TOP + y]
        for x, (r, g, b, a) in enumerate(line):
            back = row[left + x]
            row[left + x] = tuple(round((c * a + k * (255 - a)) / 255)
                                  for c, k in zip((r, g, b), back))
    return rows


def bmp(rows):
    """BITMAPFILEHEADER, BITMAPINFOHEADER, BGR rows bottom-up (each a multiple of 4 bytes)."""
    stride = (WIDTH * 3 + 3) // 4 * 4
    pixels = b"".join(bytes(c for r, g, b in row for c in (b, g, r)).ljust(stride, b"\0")
                      for row in reversed(rows))
    info = struct.pack("<IiiHHIIiiII", 40, WIDTH, HEIGHT, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    offset = 14 + len(info)
    return struct.pack("<2sIHHI", b"BM", offset + len(pixels), 0, 0, offset) + info + pixels


def main():
    target = Path(sys.argv[1])
    target.write_bytes(bmp(picture()))
    print(target)


if __name__ == "__main__":
    main()

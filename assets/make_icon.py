#!/usr/bin/env python3
"""Draws the program's icon, a clock face, and writes it as varnel.ico.

Sizes 16, 32 and 48 pixels, each a 32-bit BGRA bitmap with an AND mask, as
Windows expects inside an .ico file. Standard library only; the output is the
same byte for byte on every run, so the committed icon can be checked against it.

    python3 assets/make_icon.py [output.ico]
"""

import math
import struct
import sys
from pathlib import Path

SIZES = (16, 32, 48)
SUPERSAMPLE = 8  # samples per pixel edge, for smooth edges

# Colours as (red, green, blue).
RIM = (28, 64, 120)
FACE = (250, 250, 245)
TICK = (40, 40, 48)
HAND = (24, 24, 32)
SECOND_HAND = (210, 40, 40)

# The hands show 10:08:36, the customary pose of a clock in a picture.
HOUR_ANGLE = (10 + 8 / 60) / 12 * 360
MINUTE_ANGLE = 8 / 60 * 360 + 36 / 60 * 6
SECOND_ANGLE = 36 / 60 * 360


def segment_distance(px, py, ax, ay, bx, by):
    """Distance from point p to the segment a-b."""
    dx, dy = bx - ax, by - ay
    t = ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)
    t = max(0.0, min(1.0, t))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def polar(angle_degrees, radius):
    """Point at a clock angle (0 = twelve o'clock, clockwise) in unit coordinates."""
    a = math.radians(angle_degrees)
    return math.sin(a) * radius, -math.cos(a) * radius


def hand(angle, length, half_width):
    tail = polar(angle + 180, length * 0.18)
    tip = polar(angle, length)
    return lambda x, y: segment_distance(x, y, *tail, *tip) <= half_width


def tick(hour, size):
    major = hour % 3 == 0
    inner = 0.62 if major else 0.70
    # Thin ticks vanish at 16 px; there only the four major ones are drawn, bolder.
    if size <= 16 and not major:
        return None
    half_width = 0.075 if size <= 16 else (0.055 if major else 0.03)
    a = polar(hour * 30, inner)
    b = polar(hour * 30, 0.80)
    return lambda x, y: segment_distance(x, y, *a, *b) <= half_width


def layers(size):
    """Shapes from back to front: (colour, test of a point in unit coordinates)."""
    rim_width = 0.16 if size <= 16 else 0.12
    shapes = [
        (RIM, lambda x, y: math.hypot(x, y) <= 1.0),
        (FACE, lambda x, y: math.hypot(x, y) <= 1.0 - rim_width),
    ]
    shapes += [(TICK, t) for t in (tick(h, size) for h in range(12)) if t]
    small = size <= 16
    shapes += [
        (HAND, hand(HOUR_ANGLE, 0.45, 0.09 if small else 0.065)),
        (HAND, hand(MINUTE_ANGLE, 0.68, 0.07 if small else 0.045)),
    ]
    if not small:
        shapes.append((SECOND_HAND, hand(SECOND_ANGLE, 0.74, 0.018)))
    shapes.append((SECOND_HAND if not small else HAND,
                   lambda x, y: math.hypot(x, y) <= (0.11 if small else 0.07)))
    return shapes


def render(size, n=SUPERSAMPLE):
    """Rows of (r, g, b, a) pixels with straight alpha, top row first; n samples per pixel edge."""
    shapes = layers(size)
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]  # colour sums weighted by coverage, coverage
            for sy in range(n):
                for sx in range(n):
                    # Unit coordinates: the face spans -1..1 with half a pixel of margin.
                    x = ((px + (sx + 0.5) / n) / size * 2 - 1) * (1 + 1 / size)
                    y = ((py + (sy + 0.5) / n) / size * 2 - 1) * (1 + 1 / size)
                    colour = None
                    for c, inside in shapes:
                        if inside(x, y):
                            colour = c
                    if colour:
                        acc[0] += colour[0]
                        acc[1] += colour[1]
                        acc[2] += colour[2]
                        acc[3] += 1
            covered = acc[3]
            if covered:
                r, g, b = (round(acc[i] / covered) for i in range(3))
                row.append((r, g, b, round(255 * covered / (n * n))))
            else:
                row.append((0, 0, 0, 0))
        rows.append(row)
    return rows


def bitmap(size):
    """One icon image: BITMAPINFOHEADER, BGRA rows bottom-up, AND mask."""
    rows = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = b"".join(bytes((b, g, r, a)) for row in reversed(rows) for r, g, b, a in row)
    mask_stride = (size + 31) // 32 * 4
    mask = bytearray()
    for row in reversed(rows):
        line = bytearray(mask_stride)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:  # transparent where nothing is drawn, for old consumers
                line[x // 8] |= 0x80 >> (x % 8)
        mask += line
    return header + pixels + bytes(mask)


def icon_file(sizes):
    images = [bitmap(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size % 256, size % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    return out + b"".join(images)


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name("varnel.ico")
    target.write_bytes(icon_file(SIZES))
    print(target)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the program's icon, resources/moxun.ico: a magnifying glass over a drop of ink.

Three images, 16 x 16, 32 x 32 and 48 x 48, 32 bits per pixel with alpha. Only the
standard library is used; run it again after changing the drawing:
    python3 resources/make_icon.py resources/moxun.ico
"""
import math
import struct
import sys

RING = (0x1F, 0x2A, 0x44)
LENS = (0xE4, 0xF0, 0xFA)
INK = (0x10, 0x14, 0x22)
HANDLE = (0x9A, 0x62, 0x2C)

LENS_CENTRE = (0.41, 0.41)
LENS_RADIUS = 0.33
RING_WIDTH = 0.075


def in_drop(x, y):
    # A round belly with a point above it.
    cx, cy, r = 0.41, 0.49, 0.135
    if (x - cx) ** 2 + (y - cy) ** 2 <= r * r:
        return True
    tip = 0.20
    if tip <= y <= cy:
        half = r * (y - tip) / (cy - tip) * 1.05
        return abs(x - cx) <= half
    return False


def in_handle(x, y):
    ax, ay, bx, by, w = 0.65, 0.65, 0.90, 0.90, 0.075
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((x - ax) * dx + (y - ay) * dy) / (dx * dx + dy * dy)))
    px, py = ax + t * dx, ay + t * dy
    return (x - px) ** 2 + (y - py) ** 2 <= w * w


def sample(x, y):
    """Colour and coverage of one point of the unit square, or None."""
    d = math.hypot(x - LENS_CENTRE[0], y - LENS_CENTRE[1])
    if d <= LENS_RADIUS - RING_WIDTH:
        return INK if in_drop(x, y) else LENS
    if d <= LENS_RADIUS:
        return RING
    if in_handle(x, y):
        return HANDLE
    return None


def render(size, grid=6):
    pixels = []
    for row in range(size):
        line = []
        for col in range(size):
            r = g = b = hits = 0
            for sy in range(grid):
                for sx in range(grid):
                    c = sample((col + (sx + 0.5) / grid) / size, (row + (sy + 0.5) / grid) / size)
                    if c is not None:
                        r += c[0]
                        g += c[1]
                        b += c[2]
                        hits += 1
            if hits:
                line.append((r // hits, g // hits, b // hits, hits * 255 // (grid * grid)))
            else:
                line.append((0, 0, 0, 0))
        pixels.append(line)
    return pixels


def icon_image(size):
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    rows = b""
    for line in reversed(pixels):  # bottom-up
        rows += b"".join(struct.pack("BBBB", b, g, r, a) for (r, g, b, a) in line)
    mask_row = ((size + 31) // 32) * 4
    mask = b"\0" * (mask_row * size)  # alpha decides; the AND mask keeps every pixel
    return header + rows + mask


def main(path):
    sizes = (16, 32, 48)
    images = [icon_image(s) for s in sizes]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, image in zip(sizes, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "moxun.ico")

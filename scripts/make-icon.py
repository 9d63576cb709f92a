#!/usr/bin/env python3
"""Draws the program icon (a list card under a magnifying glass) at every size Windows asks for
from 100 % to 200 % display scaling, 16 to 64 pixels, and writes ui/morvek.ico. Each size is
drawn on its own pixel grid: lines stay at least a pixel thick and the card's rows fall on
whole pixels, so the small sizes stay crisp. Run it again after changing the drawing; the
output is reproducible."""
import math
import struct
import sys

SAMPLES = 4  # supersampling per axis, for smooth edges


def inside_round_rect(x, y, left, top, right, bottom, radius):
    cx = min(max(x, left + radius), right - radius)
    cy = min(max(y, top + radius), bottom - radius)
    return (x - cx) ** 2 + (y - cy) ** 2 <= radius ** 2 and left <= x <= right and top <= y <= bottom


SIZES = (16, 20, 24, 32, 40, 48, 64)


def snap(value, size):
    """value (a fraction of the square) moved onto the nearest pixel edge of a size-pixel grid."""
    return round(value * size) / size


def shade(x, y, size):
    """Colour (r, g, b, a) of the point (x, y) in a 1.0 x 1.0 square drawn at size pixels, or None."""
    pixel = 1.0 / size
    # Magnifying glass: ring and handle, drawn over everything; the ring at least 1.2 pixels thick.
    gx, gy, ring_outer = 0.64, 0.62, 0.25
    ring_inner = min(0.17, ring_outer - 1.2 * pixel)
    d = math.hypot(x - gx, y - gy)
    if ring_inner <= d <= ring_outer:
        return (28, 54, 110, 255)
    if d < ring_inner:
        return (200, 225, 250, 200)
    hx, hy = x - (gx + 0.16), y - (gy + 0.16)
    along = (hx + hy) / math.sqrt(2)
    across = abs(hx - hy) / math.sqrt(2)
    if 0 <= along <= 0.26 and across <= max(0.065, 0.75 * pixel):
        return (28, 54, 110, 255)
    # The card: a blue title strip and three rows.
    if inside_round_rect(x, y, 0.06, 0.06, 0.80, 0.86, 0.08):
        if y < snap(0.24, size):
            return (40, 100, 200, 255)
        for row in (0.34, 0.50, 0.66):
            top = snap(row, size)
            if top <= y < top + max(snap(0.07, size), pixel) and 0.16 <= x <= 0.68:
                return (120, 130, 145, 255)
        return (250, 250, 252, 255)
    if inside_round_rect(x, y, 0.05, 0.05, 0.81, 0.87, 0.09):
        return (70, 80, 95, 255)
    return None


def render(size):
    pixels = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(SAMPLES):
                for sx in range(SAMPLES):
                    c = shade((px + (sx + 0.5) / SAMPLES) / size, (py + (sy + 0.5) / SAMPLES) / size, size)
                    if c:
                        a = c[3]
                        acc[0] += c[0] * a
                        acc[1] += c[1] * a
                        acc[2] += c[2] * a
                        acc[3] += a
            n = SAMPLES * SAMPLES
            alpha = acc[3] // n
            if acc[3]:
                row.append((acc[0] // acc[3], acc[1] // acc[3], acc[2] // acc[3], alpha))
            else:
                row.append((0, 0, 0, 0))
        pixels.append(row)
    return pixels


def icon_image(size):
    pixels = render(size)
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    xor = b"".join(struct.pack("<BBBB", b, g, r, a) for row in reversed(pixels) for (r, g, b, a) in row)
    mask_row_bytes = ((size + 31) // 32) * 4
    mask = b""
    for row in reversed(pixels):
        bits = 0
        line = bytearray(mask_row_bytes)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                line[x // 8] |= 0x80 >> (x % 8)
        mask += bytes(line)
    return header + xor + mask


def main(path):
    images = [icon_image(size) for size in SIZES]
    out = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, data in zip(SIZES, images):
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    out += b"".join(images)
    with open(path, "wb") as f:
        f.write(out)


if __name__ == "__main__":
    main(sys.argv[1] if len(sys.argv) > 1 else "ui/morvek.ico")

#!/usr/bin/env python3
"""Draws Kalv's icon, a grey shaded sea mine with spikes, as a 32 x 32 icon with
16 colours (4 bits a pixel) and a transparent background, and writes kalv.ico.

    python3 resources/make_icon.py [output.ico]
"""
import argparse
import math
import struct

SIZE = 32
# Palette: index 0 is the (masked) background, then a ramp of greys from dark to light.
GREYS = [0x00, 0x10, 0x20, 0x30, 0x40, 0x50, 0x60, 0x70, 0x80, 0x90, 0xA0, 0xB4, 0xC8, 0xDC, 0xF0]
PALETTE = [(0, 0, 0)] + [(g, g, g) for g in GREYS]
OUTLINE = 1  # darkest grey
LIGHT = (-0.55, -0.65, 0.52)  # from the upper left, towards the viewer


def shade(nx, ny, nz, lift=0.0):
    """Palette index for a surface normal, Lambert light plus a little ambient."""
    lx, ly, lz = LIGHT
    n = math.sqrt(lx * lx + ly * ly + lz * lz)
    d = max(0.0, (nx * lx + ny * ly + nz * lz) / n)
    shine = d ** 12 * 0.45
    v = 0.12 + 0.58 * d + shine + lift
    return 1 + max(0, min(len(GREYS) - 1, int(round(v * (len(GREYS) - 1)))))


def draw():
    px = [[None] * SIZE for _ in range(SIZE)]
    c = (SIZE - 1) / 2.0
    body_r = 9.2

    # Spikes: eight horns around the body, each a short stem and a round tip.
    for k in range(8):
        a = k * math.pi / 4
        dx, dy = math.cos(a), math.sin(a)
        for step in range(0, 60):
            t = body_r - 1 + step * 0.1
            if t > body_r + 4.6:
                break
            x, y = c + dx * t, c + dy * t
            width = 0.75 if t < body_r + 3.4 else 1.3
            for yy in range(SIZE):
                for xx in range(SIZE):
                    if (xx - x) ** 2 + (yy - y) ** 2 <= width * width:
                        # Horns face the light on their upper left side.
                        side = (xx - x) * -0.7 + (yy - y) * -0.7
                        px[yy][xx] = shade(dx, dy, 0.35, 0.15 * side - 0.1)

    # Body: a shaded sphere.
    for yy in range(SIZE):
        for xx in range(SIZE):
            x, y = (xx - c) / body_r, (yy - c) / body_r
            r2 = x * x + y * y
            if r2 <= 1.0:
                px[yy][xx] = shade(x, y, math.sqrt(1.0 - r2))

    # A dark outline around everything drawn, so it reads on any background.
    outline = [row[:] for row in px]
    for yy in range(SIZE):
        for xx in range(SIZE):
            if px[yy][xx] is not None:
                continue
            for ox, oy in ((1, 0), (-1, 0), (0, 1), (0, -1)):
                nx, ny = xx + ox, yy + oy
                if 0 <= nx < SIZE and 0 <= ny < SIZE and px[ny][nx] is not None:
                    outline[yy][xx] = OUTLINE
                    break
    return outline


def ico(pixels):
    rows_xor = []
    rows_and = []
    for row in reversed(pixels):  # bottom-up
        xor = bytearray()
        for i in range(0, SIZE, 2):
            hi = row[i] or 0
            lo = row[i + 1] or 0
            xor.append((hi << 4) | lo)
        mask = bytearray()
        for i in range(0, SIZE, 8):
            b = 0
            for j in range(8):
                if row[i + j] is None:
                    b |= 0x80 >> j
            mask.append(b)
        rows_xor.append(bytes(xor))
        rows_and.append(bytes(mask))
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0,
                         len(b"".join(rows_xor)) + len(b"".join(rows_and)), 0, 0, 16, 0)
    image = header + palette + b"".join(rows_xor) + b"".join(rows_and)
    icondir = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return icondir + entry + image


def main():
    # An unknown option is refused rather than taken for the name of the file to write.
    parser = argparse.ArgumentParser(
        description="Draws Kalv's icon and writes it as a 32 x 32 icon with 16 colours.")
    parser.add_argument("output", nargs="?", default="kalv.ico",
                        help="the icon file to write (default: kalv.ico)")
    args = parser.parse_args()
    with open(args.output, "wb") as f:
        f.write(ico(draw()))


if __name__ == "__main__":
    main()

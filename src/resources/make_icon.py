#!/usr/bin/env python3
"""Draw the Korvane Server icon and write it as korvane.ico.

The emblem is a steel-blue shield with a light rim and an orange "K". It is
drawn from a few geometric shapes, sampled several times per pixel for
smooth edges, at every size the icon carries: 16, 32 and 48 pixels as 32-bit
bitmaps with alpha (what the window title, the taskbar and Alt+Tab use) and
256 pixels as a PNG entry (large Explorer views).

Only the standard library is used, so the icon can be remade anywhere:

    python3 make_icon.py [output.ico]

The output is byte-for-byte reproducible; the build uses the committed .ico.
"""

import math
import struct
import sys
import zlib
from pathlib import Path

# Palette (R, G, B).
RIM = (150, 184, 219)         # light steel rim
FIELD_TOP = (62, 100, 140)    # shield field, upper left
FIELD_BOTTOM = (28, 46, 68)   # shield field, lower right
LETTER = (242, 140, 40)       # the "K"
LETTER_EDGE = (120, 60, 10)   # dark outline that keeps the K legible when small

# Shield outline in unit coordinates (0..1 across the icon, y downwards).
SHIELD_TOP = 0.05
SHIELD_HALF_WIDTH = 0.40
SHIELD_SHOULDER = 0.50        # where the straight sides turn into the point
SHIELD_TIP = 0.97
CORNER = 0.08                 # rounding of the two top corners


def inside_shield(x, y, inset):
    """True when (x, y) lies in the shield shrunk by `inset` on every side."""
    top = SHIELD_TOP + inset
    tip = SHIELD_TIP - inset * 1.8   # the point is sharp, so it recedes faster
    half = SHIELD_HALF_WIDTH - inset
    if y < top or y > tip or half <= 0:
        return False
    dx = abs(x - 0.5)
    if y <= SHIELD_SHOULDER:
        limit = half
        # Round the top corners with a quarter circle.
        corner = max(CORNER - inset, 0.0)
        if corner > 0 and y < top + corner and dx > half - corner:
            cx = half - corner
            cy = top + corner
            return (dx - cx) ** 2 + (y - cy) ** 2 <= corner ** 2
        return dx <= limit
    # Below the shoulder the sides curve in to meet at the tip; the parabola
    # keeps a finite slope at the tip, which reads as a point, not a bowl.
    t = (y - SHIELD_SHOULDER) / (tip - SHIELD_SHOULDER)
    return dx <= half * (1.0 - t * t)


def segment_distance(px, py, ax, ay, bx, by):
    """Distance from point p to the segment a-b."""
    vx, vy = bx - ax, by - ay
    wx, wy = px - ax, py - ay
    t = max(0.0, min(1.0, (wx * vx + wy * vy) / (vx * vx + vy * vy)))
    return math.hypot(px - (ax + t * vx), py - (ay + t * vy))


def letter_k(x, y, stroke):
    """How far (x, y) lies inside the K, in unit lengths; negative outside."""
    top, bottom = 0.23, 0.73
    left = 0.31
    # Flat ends at the top and bottom of every stroke.
    clip = min(y - top, bottom - y)
    # Upright stem.
    stem = min(x - left, left + stroke - x)
    # The two arms meet the stem a little above the middle and never reach
    # to its left.
    upper = stroke / 2 - segment_distance(x, y, left + stroke * 0.6, 0.53,
                                          0.69, top - 0.02)
    lower = stroke / 2 - segment_distance(x, y, left + stroke * 0.9, 0.44,
                                          0.67, bottom + 0.02)
    arms = min(max(upper, lower), x - left)
    return min(clip, max(stem, arms))


def colour_at(x, y, size):
    """Colour (r, g, b, a) of the unit point (x, y) for an icon of `size`."""
    # Rim and strokes are tuned per size: bolder at 32 so the letter holds up,
    # thinner at 16 so the gaps between the strokes stay open.
    rim = 0.055 if size > 32 else 0.075
    stroke = 0.15 if size > 32 else 0.17 if size > 16 else 0.13
    outline = 0.025 if size > 16 else 0.0

    if not inside_shield(x, y, 0.0):
        return None
    if not inside_shield(x, y, rim):
        return RIM + (255,)
    k = letter_k(x, y, stroke)
    if k >= 0:
        return LETTER + (255,)
    if k >= -outline:
        return LETTER_EDGE + (255,)
    # Diagonal gradient, light from the upper left.
    t = max(0.0, min(1.0, (x + y - 0.2) / 1.4))
    return tuple(round(a + (b - a) * t) for a, b in zip(FIELD_TOP, FIELD_BOTTOM)) + (255,)


def render(size, samples=4):
    """RGBA rows, top row first, each a list of (r, g, b, a)."""
    rows = []
    for py in range(size):
        row = []
        for px in range(size):
            acc = [0, 0, 0, 0]
            for sy in range(samples):
                for sx in range(samples):
                    x = (px + (sx + 0.5) / samples) / size
                    y = (py + (sy + 0.5) / samples) / size
                    c = colour_at(x, y, size)
                    if c is not None:
                        # Premultiply while accumulating so edge pixels do not
                        # pick up the colour of empty samples.
                        acc[0] += c[0] * c[3]
                        acc[1] += c[1] * c[3]
                        acc[2] += c[2] * c[3]
                        acc[3] += c[3]
            n = samples * samples
            alpha = acc[3] / n
            if alpha == 0:
                row.append((0, 0, 0, 0))
            else:
                row.append((round(acc[0] / acc[3]), round(acc[1] / acc[3]),
                            round(acc[2] / acc[3]), round(alpha)))
        rows.append(row)
    return rows


def bmp_entry(rows):
    """Icon image as the icon format stores bitmaps: BITMAPINFOHEADER with
    double height, BGRA pixels bottom-up, then the 1-bit AND mask."""
    size = len(rows)
    header = struct.pack('<IiiHHIIiiII', 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            pixels += bytes((b, g, r, a))
    # The mask matters only to systems that ignore alpha: mark fully
    # transparent pixels. Each mask row is padded to 32 bits.
    mask = bytearray()
    stride = ((size + 31) // 32) * 4
    for row in reversed(rows):
        bits = bytearray(stride)
        for i, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[i // 8] |= 0x80 >> (i % 8)
        mask += bits
    header = header[:20] + struct.pack('<I', len(pixels) + len(mask)) + header[24:]
    return header + bytes(pixels) + bytes(mask)


def png_entry(rows):
    """Icon image as a PNG (RGBA, 8 bits per channel, no filtering)."""
    size = len(rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack('>I', len(data)) + body + struct.pack('>I', zlib.crc32(body))

    raw = bytearray()
    for row in rows:
        raw.append(0)
        for pixel in row:
            raw += bytes(pixel)
    ihdr = struct.pack('>IIBBBBB', size, size, 8, 6, 0, 0, 0)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', ihdr)
            + chunk(b'IDAT', zlib.compress(bytes(raw), 9)) + chunk(b'IEND', b''))


def build_icon():
    images = []
    for size in (16, 32, 48):
        images.append((size, bmp_entry(render(size))))
    images.append((256, png_entry(render(256, samples=3))))

    out = bytearray(struct.pack('<HHH', 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, data in images:
        dim = 0 if size >= 256 else size   # 0 stands for 256 in the directory
        out += struct.pack('<BBBBHHII', dim, dim, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for _, data in images:
        out += data
    return bytes(out)


def main():
    target = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).with_name('korvane.ico')
    target.write_bytes(build_icon())
    print(f'wrote {target}')


if __name__ == '__main__':
    main()

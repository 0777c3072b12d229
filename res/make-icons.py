#!/usr/bin/env python3
"""Draws korvex's two icons (32x32 and 16x16, 16 colours each) into .ico files.

Run from anywhere: python3 res/make-icons.py.  The .ico files are committed;
run this again only when the drawings change.
"""
import os
import struct

# The standard 16-colour palette, as the system draws it.
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0),
    (0, 0, 128), (128, 0, 128), (0, 128, 128), (192, 192, 192),
    (128, 128, 128), (255, 0, 0), (0, 255, 0), (255, 255, 0),
    (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255),
]
BLACK, NAVY, TEAL, SILVER, WHITE, YELLOW, BLUE = 0, 4, 6, 7, 15, 11, 12
CLEAR = None


def program(x, y, n):
    """A bridge: a navy deck on two piers over an arch, on a teal tile."""
    u = n / 16.0
    if x < u or y < u or x >= n - u or y >= n - u:
        return BLACK
    if 5 * u <= y < 7 * u:
        return WHITE                     # the deck
    if y >= 7 * u:
        cx, r = n / 2.0, 5 * u           # the arch under the deck
        dx, dy = x + 0.5 - cx, y + 0.5 - 7 * u
        if dx * dx + dy * dy < r * r and y < 13 * u:
            return BLUE
        if 3 * u <= x < 5 * u or n - 5 * u <= x < n - 3 * u:
            return SILVER                # the piers
    return TEAL


def tray(x, y, n):
    """A yellow disc with a navy ring on a clear ground."""
    c = n / 2.0
    d = ((x + 0.5 - c) ** 2 + (y + 0.5 - c) ** 2) ** 0.5
    if d < c * 0.55:
        return YELLOW
    if d < c * 0.9:
        return NAVY
    return CLEAR


def image(draw, n):
    pixels = [[draw(x, y, n) for x in range(n)] for y in range(n)]
    header = struct.pack('<IiiHHIIiiII', 40, n, 2 * n, 1, 4, 0, 0, 0, 0, 16, 0)
    palette = b''.join(struct.pack('BBBB', b, g, r, 0) for r, g, b in PALETTE)
    xor_row = (n * 4 + 31) // 32 * 4
    and_row = (n + 31) // 32 * 4
    xor, mask = b'', b''
    for y in reversed(range(n)):          # bottom-up rows
        row = bytearray(xor_row)
        bits = bytearray(and_row)
        for x in range(n):
            p = pixels[y][x]
            if p is None:
                bits[x // 8] |= 0x80 >> (x % 8)
                p = 0
            row[x // 2] |= p << (4 if x % 2 == 0 else 0)
        xor += bytes(row)
        mask += bytes(bits)
    return header + palette + xor + mask


def icon(path, draw):
    images = [image(draw, n) for n in (32, 16)]
    out = struct.pack('<HHH', 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for n, data in zip((32, 16), images):
        out += struct.pack('<BBBBHHII', n, n, 16, 0, 1, 4, len(data), offset)
        offset += len(data)
    with open(path, 'wb') as f:
        f.write(out + b''.join(images))


here = os.path.dirname(os.path.abspath(__file__))
icon(os.path.join(here, 'program.ico'), program)
icon(os.path.join(here, 'tray.ico'), tray)

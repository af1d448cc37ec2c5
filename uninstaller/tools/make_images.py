#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the uninstaller's raster images: the page header background
(Background.png, 720 x 320) and the program icon (icon.ico, 32 x 32)."""
import math
import os
import struct
import sys
import zlib


def png(width, height, pixel):
    rows = bytearray()
    for y in range(height):
        rows.append(0)
        for x in range(width):
            rows.extend(bytes(pixel(x, y)))

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
            chunk(b"IDAT", zlib.compress(bytes(rows), 9)) + chunk(b"IEND", b""))


def mix(a, b, t):
    return tuple(int(round(a[i] + (b[i] - a[i]) * t)) for i in range(len(a)))


def background(x, y):
    # Diagonal blue gradient with two soft light bands.
    t = (x / 720.0) * 0.6 + (y / 320.0) * 0.4
    base = mix((18, 74, 196), (52, 140, 255), t)
    band = 0.0
    for cx, cy, r in ((560, 40, 260), (660, 300, 180)):
        d = math.hypot(x - cx, y - cy)
        band += max(0.0, 1.0 - abs(d - r) / 60.0) * 0.12
    light = mix(base, (255, 255, 255), min(band, 0.3))
    return light + (255,)


def icon(x, y):
    # Rounded blue square with a white ring.
    cx = cy = 15.5
    corner = 6.0
    dx = max(abs(x - cx) - (16 - corner), 0.0)
    dy = max(abs(y - cy) - (16 - corner), 0.0)
    inside = math.hypot(dx, dy) <= corner
    if not inside:
        return (0, 0, 0, 0)
    d = math.hypot(x - cx, y - cy)
    if 7.0 <= d <= 11.0:
        return (255, 255, 255, 255)
    return (30, 100, 230, 255)


def ico(png_bytes, size):
    header = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", size, size, 0, 0, 1, 32, len(png_bytes), 6 + 16)
    return header + entry + png_bytes


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "..", "resources", "Images")
    with open(os.path.join(out, "Background.png"), "wb") as f:
        f.write(png(720, 320, background))
    with open(os.path.join(out, "icon.ico"), "wb") as f:
        f.write(ico(png(32, 32, icon), 32))


if __name__ == "__main__":
    main()

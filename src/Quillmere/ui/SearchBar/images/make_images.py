#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the small pictures of the search panel and its legend as PNG files.

Run from this folder: python3 make_images.py. The busy animations
(dengdai.gif and loading/N.png) come from tools/icons/make_icons.py.
"""
import math
import struct
import sys
import zlib


def png(path, width, height, pixel):
    rows = b""
    for y in range(height):
        rows += b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    with open(path, "wb") as out:
        out.write(b"\x89PNG\r\n\x1a\n")
        out.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)))
        out.write(chunk(b"IDAT", zlib.compress(rows, 9)))
        out.write(chunk(b"IEND", b""))


CLEAR = (0, 0, 0, 0)
BLUE = (21, 164, 250, 255)
GREY = (102, 102, 102, 255)
LIGHT = (238, 238, 238, 255)
WHITE = (255, 255, 255, 255)


def device(x, y):
    if 2 <= x <= 13 and 2 <= y <= 10:
        return LIGHT if 3 <= x <= 12 and 3 <= y <= 9 else GREY
    if 7 <= x <= 8 and 11 <= y <= 12 or 4 <= x <= 11 and y == 13:
        return GREY
    return CLEAR


def channel(x, y):
    if 1 <= x <= 10 and 4 <= y <= 11:
        return BLUE
    if 11 <= x <= 14 and abs(y - 7.5) <= (x - 10):
        return BLUE
    return CLEAR


def triangle(down):
    def draw(x, y):
        a, b = (y, x) if down else (x, y)
        return GREY if 1 <= a <= 6 and abs(b - 3.5) <= (6 - a) * 0.6 else CLEAR
    return draw


def calendar(x, y):
    if 1 <= x <= 14 and 2 <= y <= 14:
        if y <= 4:
            return BLUE
        if x in (1, 14) or y == 14:
            return GREY
        return GREY if (x % 3 == 0 and y % 3 == 1) else WHITE
    return CLEAR


def default_picture(x, y):
    if x < 2 or y < 2 or x > 247 or y > 137:
        return (200, 200, 200, 255)
    if y > 100 - 0.5 * abs(x - 110) and y > 60:
        return (190, 200, 210, 255)
    if math.hypot(x - 180, y - 40) < 14:
        return (220, 220, 200, 255)
    return (245, 245, 245, 255)


def tip_big(x, y):
    d = math.hypot(x - 26, y - 26)
    if 16 <= d <= 21:
        return BLUE
    if x > 36 and y > 36 and abs(x - y) < 4 and x < 58:
        return BLUE
    return CLEAR


def tip_little(x, y):
    d = math.hypot(x - 7.5, y - 7.5)
    if d > 7:
        return CLEAR
    if x in (7, 8) and (y in (3, 4) or 6 <= y <= 12):
        return WHITE
    return BLUE


def tip_background(x, y):
    if x == 0 or y == 0 or x == 249 or y == 199:
        return (200, 200, 200, 255)
    return (255, 255, 255, 240)


def main():
    png("device.png", 16, 16, device)
    png("tongdao.png", 16, 16, channel)
    png("tree_item.png", 8, 8, triangle(False))
    png("tree_item_expand.png", 8, 8, triangle(True))
    png("date.png", 16, 16, calendar)
    png("DefaultPicture.png", 250, 140, default_picture)
    png("tip_big.png", 64, 64, tip_big)
    png("tip_little.png", 16, 16, tip_little)
    if len(sys.argv) > 1:
        png(sys.argv[1], 250, 200, tip_background)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the small button pictures of the playback cells and the play control
bar into PNG files (plain Python, no image library needed).

Run from anywhere: writes into this folder and ../../PlayControlBar/images.
"""
import math
import os
import struct
import zlib

HERE = os.path.dirname(os.path.abspath(__file__))
BAR = os.path.join(HERE, "..", "..", "PlayControlBar", "images")

WHITE = (255, 255, 255, 255)
GREY = (120, 120, 120, 255)
RED = (220, 40, 40, 255)
BLUE = (21, 164, 250, 255)
DARK = (40, 40, 40, 200)

# 3 x 5 pixel glyphs.
FONT = {
    "0": ["111", "101", "101", "101", "111"],
    "1": ["010", "110", "010", "010", "111"],
    "2": ["111", "001", "111", "100", "111"],
    "4": ["101", "101", "111", "001", "001"],
    "6": ["111", "100", "111", "101", "111"],
    "8": ["111", "101", "111", "101", "111"],
    "/": ["001", "001", "010", "100", "100"],
    "x": ["000", "101", "010", "101", "000"],
}


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0) for _ in range(w)] for _ in range(h)]

    def blend(self, x, y, colour, cover):
        if not (0 <= x < self.w and 0 <= y < self.h) or cover <= 0:
            return
        r, g, b, a = colour
        a = a * min(cover, 1.0) / 255.0
        R, G, B, A = self.px[y][x]
        A0 = A / 255.0
        out = a + A0 * (1 - a)
        if out <= 0:
            return
        mix = lambda c, C: int(round((c * a + C * A0 * (1 - a)) / out))
        self.px[y][x] = (mix(r, R), mix(g, G), mix(b, B), int(round(out * 255)))

    def shape(self, inside, colour, ss=4):
        """Fills every pixel by the share of its sub-samples for which inside(x, y) holds."""
        for y in range(self.h):
            for x in range(self.w):
                hits = 0
                for j in range(ss):
                    for i in range(ss):
                        if inside(x + (i + 0.5) / ss, y + (j + 0.5) / ss):
                            hits += 1
                self.blend(x, y, colour, hits / (ss * ss))

    def polygon(self, pts, colour):
        def inside(px, py):
            c = False
            n = len(pts)
            for k in range(n):
                (x1, y1), (x2, y2) = pts[k], pts[(k + 1) % n]
                if (y1 > py) != (y2 > py) and px < (x2 - x1) * (py - y1) / (y2 - y1) + x1:
                    c = not c
            return c
        self.shape(inside, colour)

    def rect(self, x0, y0, x1, y1, colour):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1, colour)

    def frame(self, x0, y0, x1, y1, t, colour):
        self.shape(lambda x, y: x0 <= x < x1 and y0 <= y < y1 and not (x0 + t <= x < x1 - t and y0 + t <= y < y1 - t),
                   colour)

    def circle(self, cx, cy, r, colour, ring=0.0):
        def inside(x, y):
            d = math.hypot(x - cx, y - cy)
            return d <= r and (ring <= 0 or d >= r - ring)
        self.shape(inside, colour)

    def line(self, x0, y0, x1, y1, width, colour):
        def inside(x, y):
            dx, dy = x1 - x0, y1 - y0
            t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / (dx * dx + dy * dy)))
            return math.hypot(x - (x0 + t * dx), y - (y0 + t * dy)) <= width / 2.0
        self.shape(inside, colour)

    def text(self, s, x, y, scale, colour):
        for ch in s:
            glyph = FONT[ch]
            for gy, row in enumerate(glyph):
                for gx, bit in enumerate(row):
                    if bit == "1":
                        self.rect(x + gx * scale, y + gy * scale, x + (gx + 1) * scale, y + (gy + 1) * scale, colour)
            x += 4 * scale

    def save(self, path):
        raw = b"".join(b"\x00" + b"".join(struct.pack("BBBB", *p) for p in row) for row in self.px)
        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
        png = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        png += chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")
        with open(path, "wb") as f:
            f.write(png)


def play(colour):
    c = Canvas(20, 20)
    c.polygon([(6, 4), (16, 10), (6, 16)], colour)
    return c


def pause(colour):
    c = Canvas(20, 20)
    c.rect(5, 4, 8.5, 16, colour)
    c.rect(11.5, 4, 15, 16, colour)
    return c


def speaker(colour, waves=True, cross=False):
    c = Canvas(20, 20)
    c.polygon([(3, 8), (7, 8), (11, 4), (11, 16), (7, 12), (3, 12)], colour)
    if waves:
        c.shape(lambda x, y: 13 <= x and 3.6 <= math.hypot(x - 11, y - 10) <= 5.0, colour)
        c.shape(lambda x, y: 13 <= x and 6.6 <= math.hypot(x - 11, y - 10) <= 8.0, colour)
    if cross:
        c.line(13, 7, 18, 13, 1.6, RED)
        c.line(18, 7, 13, 13, 1.6, RED)
    return c


def dot(colour, r=5.0, size=20):
    c = Canvas(size, size)
    c.circle(size / 2.0, size / 2.0, r, colour)
    return c


def magnifier(colour):
    c = Canvas(22, 22)
    c.circle(9, 9, 6.5, colour, ring=2.0)
    c.line(13.5, 13.5, 19, 19, 3, colour)
    c.line(6, 9, 12, 9, 1.5, colour)
    c.line(9, 6, 9, 12, 1.5, colour)
    return c


def camera(colour):
    c = Canvas(20, 20)
    c.frame(2, 6, 18, 16, 1.5, colour)
    c.rect(7, 4, 13, 6, colour)
    c.circle(10, 11, 2.5, colour)
    return c


def download(colour):
    c = Canvas(20, 20)
    c.rect(8.5, 3, 11.5, 10, colour)
    c.polygon([(5, 10), (15, 10), (10, 15)], colour)
    c.rect(4, 16, 16, 17.5, colour)
    return c


def corners(colour):
    c = Canvas(20, 20)
    for (x, y, dx, dy) in [(3, 3, 1, 1), (17, 3, -1, 1), (3, 17, 1, -1), (17, 17, -1, -1)]:
        c.line(x, y, x + 5 * dx, y, 1.8, colour)
        c.line(x, y, x, y + 5 * dy, 1.8, colour)
    return c


def close(background):
    c = Canvas(16, 16)
    c.rect(0, 0, 16, 16, background)
    c.line(4, 4, 12, 12, 1.8, WHITE)
    c.line(12, 4, 4, 12, 1.8, WHITE)
    return c


def split(n, colour):
    c = Canvas(64, 42)
    side = int(math.sqrt(n))
    x0, y0, w, h = 14, 5, 36, 32
    c.frame(x0, y0, x0 + w, y0 + h, 1.5, colour)
    for k in range(1, side):
        c.rect(x0 + k * w / side - 0.75, y0, x0 + k * w / side + 0.75, y0 + h, colour)
        c.rect(x0, y0 + k * h / side - 0.75, x0 + w, y0 + k * h / side + 0.75, colour)
    return c


def speed(text):
    width = 4 * 2 * len(text) + 2
    c = Canvas(max(width, 20), 14)
    c.text(text, (c.w - (4 * 2 * len(text) - 2)) // 2, 2, 2, WHITE)
    return c


def main():
    cell = os.path.join(HERE, "cell")
    bar = os.path.join(BAR)
    for d in (cell, bar):
        os.makedirs(d, exist_ok=True)
    out = {
        # control bar
        (bar, "bofang_nor .png"): play(WHITE),
        (bar, "bofang_dis.png"): play(GREY),
        (bar, "pause.png"): pause(WHITE),
        (bar, "sound.png"): speaker(WHITE),
        (bar, "sound_dis.png"): speaker(GREY),
        (bar, "jingyin_nor.png"): speaker(WHITE, waves=False, cross=True),
    }
    for step, text in zip(range(-4, 5), ["1/16x", "1/8x", "1/4x", "1/2x", "1x", "2x", "4x", "8x", "16x"]):
        name = {-4: "1_16", -3: "1_8", -2: "1_4", -1: "1_2", 0: "1", 1: "2", 2: "4", 3: "8", 4: "16"}[step]
        out[(bar, "beishu_%s.png" % name)] = speed(text)
    for n in (1, 4, 9, 16):
        out[(bar, "fenping%d_nor.png" % n)] = split(n, (200, 200, 200, 255))
        out[(bar, "fenping%d_hov.png" % n)] = split(n, BLUE)
    # cells
    out.update({
        (cell, "pause.png"): pause(WHITE),
        (cell, "record.png"): dot(RED),
        (cell, "record_proview_dis.png"): dot(GREY),
        (cell, "little_record_nor.png"): dot(RED, r=3.5),
        (cell, "eZoom.png"): magnifier(WHITE),
        (cell, "zoom_dis.png"): magnifier(GREY),
        (cell, "snapshot.png"): camera(WHITE),
        (cell, "capture_dis.png"): camera(GREY),
        (cell, "record_dis.png"): dot(GREY),
        (cell, "Recording.png"): dot(RED, r=7),
        (cell, "DownLoad.png"): download(WHITE),
        (cell, "download_dis.png"): download(GREY),
        (cell, "CloseSound.png"): speaker(WHITE, waves=False, cross=True),
        (cell, "OpenSound.png"): speaker(WHITE),
        (cell, "sound_dis.png"): speaker(GREY),
        (cell, "quanpin_nor.png"): corners(WHITE),
        (cell, "full_screen_dis.png"): corners(GREY),
        (cell, "CloseView.png"): close(DARK),
        (cell, "CloseViewHover.png"): close(RED),
    })
    for (folder, name), canvas in out.items():
        canvas.save(os.path.join(folder, name))


if __name__ == "__main__":
    main()

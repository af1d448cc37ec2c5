#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Draws the pictures of KEL's controls: the play control bar, the playback
cells, the time axis, the alarm page, the selectors, the message boxes and the
busy animations.

Every glyph is described once, on a 24 x 24 grid, by a few shapes (strokes
with round ends, filled polygons, circles, arcs, rectangles). The same
description is written as an SVG file or drawn into a PNG file (where the
program names a .png), so all pictures share one look: a 2-unit stroke, round
ends, and one colour per state:

    normal   #c9d1d9   on the dark surfaces (control bar, cells, time axis)
    hover    #15a4fa
    pressed  #0b7dc2
    disabled #5c636b
    light    #4a90e2   on the light surfaces (alarm table, selectors)

Plain Python, no image library: PNG and animated GIF are written by hand.

    python3 tools/icons/make_icons.py           # writes into the source tree
"""
import math
import os
import struct
import zlib

ROOT = os.path.abspath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
UI = os.path.join(ROOT, "src", "Quillmere", "ui")

NORMAL = "#c9d1d9"
HOVER = "#15a4fa"
PRESSED = "#0b7dc2"
DISABLED = "#5c636b"
LIGHT = "#4a90e2"
RED = "#e5484d"
GREEN = "#30a46c"
AMBER = "#f5a524"
WHITE = "#ffffff"
STATES = (("nor", NORMAL), ("hov", HOVER), ("pre", PRESSED), ("dis", DISABLED))
# The same states on the light surfaces (search panel, alarm page).
LIGHT_STATES = (("nor", LIGHT), ("hov", HOVER), ("pre", PRESSED), ("dis", "#a8b0b8"))
STROKE = 2.0


def rgba(colour, alpha=255):
    c = colour.lstrip("#")
    return (int(c[0:2], 16), int(c[2:4], 16), int(c[4:6], 16), alpha)


# ---------------------------------------------------------------- shapes
# Each shape is a tuple; coordinates are on the 24 x 24 grid.
#   ("line", [(x, y), ...], width)            stroke with round ends and joins
#   ("poly", [(x, y), ...])                   filled polygon
#   ("circle", cx, cy, r, width)              width 0: filled disc, else a ring
#   ("arc", cx, cy, r, a0, a1, width)         stroke along a circle, degrees,
#                                             0 = right, counter-clockwise
#   ("rect", x, y, w, h, radius, width)       width 0: filled, else a frame
# A shape may carry a colour of its own as a last element ("#rrggbb").


def line(*pts, w=STROKE, colour=None):
    return ("line", list(pts), w) + ((colour,) if colour else ())


def poly(*pts, colour=None):
    return ("poly", list(pts)) + ((colour,) if colour else ())


def circle(cx, cy, r, w=0.0, colour=None):
    return ("circle", cx, cy, r, w) + ((colour,) if colour else ())


def arc(cx, cy, r, a0, a1, w=STROKE, colour=None):
    return ("arc", cx, cy, r, a0, a1, w) + ((colour,) if colour else ())


def rect(x, y, w, h, radius=0.0, width=0.0, colour=None):
    return ("rect", x, y, w, h, radius, width) + ((colour,) if colour else ())


def shape_colour(shape, default):
    last = shape[-1]
    return last if isinstance(last, str) and last.startswith("#") else default


# ---------------------------------------------------------------- glyphs


def g_logo():
    """The program's own picture: a screen showing a play sign (window icon,
    title bar, desktop entries)."""
    return [rect(1, 4, 22, 15, radius=2.5, colour="#1e5aa8"),
            rect(2.8, 5.8, 18.4, 11.4, radius=1.2, colour="#0c2340"),
            poly((10, 8.5), (10, 15.5), (15.8, 12), colour=WHITE),
            rect(8, 20.2, 8, 1.8, radius=0.9, colour="#1e5aa8")]


def g_logo_uninstall():
    return g_logo()[:2] + [circle(17, 17, 5.5, colour=RED), rect(14, 16.1, 6, 1.8, radius=0.6, colour=WHITE)]


def g_play():
    return [poly((8, 5), (19, 12), (8, 19))]


def g_pause():
    return [rect(6, 5, 4, 14, 1), rect(14, 5, 4, 14, 1)]


def g_stop():
    return [rect(6, 6, 12, 12, 1.5)]


def g_frame_box():
    return [rect(2.5, 3.5, 19, 17, 2.5, STROKE)]


def g_play_all():
    return g_frame_box() + [poly((10, 8), (16.5, 12), (10, 16))]


def g_pause_all():
    return g_frame_box() + [rect(8.5, 8, 2.5, 8, 0.8), rect(13, 8, 2.5, 8, 0.8)]


def g_restore_all():
    return g_frame_box() + [rect(7.5, 8, 2.5, 8, 0.8), poly((12, 8), (17.5, 12), (12, 16))]


def g_close_all():
    return g_frame_box() + [line((9, 9), (15, 15)), line((15, 9), (9, 15))]


def g_reverse():
    return [poly((16, 5), (5, 12), (16, 19))]


def g_frame_step():
    return [poly((5, 6), (14, 12), (5, 18)), rect(16, 6, 2.5, 12, 0.8)]


def g_frame_back():
    return [poly((19, 6), (10, 12), (19, 18)), rect(5.5, 6, 2.5, 12, 0.8)]


def g_slow():
    return [poly((12, 6), (3, 12), (12, 18)), poly((21, 6), (12, 12), (21, 18))]


def g_fast():
    return [poly((3, 6), (12, 12), (3, 18)), poly((12, 6), (21, 12), (12, 18))]


def g_sync():
    return [rect(2, 8, 11, 8, 4, STROKE), rect(11, 8, 11, 8, 4, STROKE)]


def g_unsync():
    return [rect(1.5, 7.5, 9, 9, 4.5, 2.4), rect(13.5, 7.5, 9, 9, 4.5, 2.4),
            line((12, 3), (12, 5.5)), line((12, 18.5), (12, 21))]


def g_cut():
    return [circle(6.5, 17, 3, STROKE), circle(17.5, 17, 3, STROKE),
            line((8.5, 14.8), (17, 3.5)), line((15.5, 14.8), (7, 3.5))]


def g_win_info():
    return [rect(2.5, 4.5, 19, 15, 2.5, STROKE), rect(2.5, 4.5, 19, 5, 2.5),
            line((6, 14), (13, 14)), line((6, 17), (10, 17))]


def g_layout():
    return [rect(3, 3.5, 7.5, 7.5, 1.5, STROKE), rect(13.5, 3.5, 7.5, 7.5, 1.5, STROKE),
            rect(3, 13, 7.5, 7.5, 1.5, STROKE), rect(13.5, 13, 7.5, 7.5, 1.5, STROKE)]


def g_map():
    return [arc(12, 9.5, 6, -35, 215), line((7.1, 13), (12, 21), (16.9, 13)), circle(12, 9.5, 2.2)]


def g_full_screen():
    return [line((3.5, 9), (3.5, 3.5), (9, 3.5)), line((15, 3.5), (20.5, 3.5), (20.5, 9)),
            line((20.5, 15), (20.5, 20.5), (15, 20.5)), line((9, 20.5), (3.5, 20.5), (3.5, 15))]


def g_camera():
    return [rect(2.5, 7, 19, 13, 2.5, STROKE), line((8, 7), (9.5, 4), (14.5, 4), (16, 7)),
            circle(12, 13.5, 3.5, STROKE)]


def g_record(r=6.0, colour=None):
    return [circle(12, 12, r, 0, colour)]


def g_download():
    return [line((12, 3.5), (12, 15)), line((7, 10), (12, 15), (17, 10)), line((4, 20), (20, 20))]


def g_speaker():
    return [poly((3, 9), (7, 9), (12, 4.5), (12, 19.5), (7, 15), (3, 15))]


def g_sound():
    return g_speaker() + [arc(12, 12, 4, -45, 45), arc(12, 12, 8, -45, 45)]


def g_mute():
    return g_speaker() + [line((15, 9), (21, 15), colour=RED), line((21, 9), (15, 15), colour=RED)]


def g_magnifier(sign=None):
    out = [circle(10, 10, 6.5, STROKE), line((15, 15), (20.5, 20.5), w=2.6)]
    if sign in ("+", "-"):
        out.append(line((7, 10), (13, 10)))
    if sign == "+":
        out.append(line((10, 7), (10, 13)))
    return out


def g_close():
    return [line((6.5, 6.5), (17.5, 17.5)), line((17.5, 6.5), (6.5, 17.5))]


def g_chevron_left():
    return [line((15, 5), (8, 12), (15, 19), w=2.4)]


def g_chevron_right():
    return [line((9, 5), (16, 12), (9, 19), w=2.4)]


def g_chevron_down():
    return [line((6, 9), (12, 15), (18, 9))]


def g_folder():
    return [line((3, 18.5), (3, 6), (9, 6), (11, 8.5), (21, 8.5), (21, 18.5), (3, 18.5))]


def g_legend():
    return [rect(3, 4, 7, 7, 1.5), rect(14, 4, 7, 7, 1.5, STROKE), rect(3, 13, 7, 7, 1.5, STROKE), rect(14, 13, 7, 7, 1.5)]


def g_menu():
    return [line((5, 7), (19, 7)), line((5, 12), (19, 12)), line((5, 17), (19, 17))]


def g_picture():
    return [rect(2.5, 4.5, 19, 15, 2.5, STROKE), circle(8.5, 9.5, 1.8),
            line((3.5, 18), (9.5, 12), (13.5, 16), (16, 13.5), (20.5, 18))]


def g_video():
    return [rect(2.5, 6, 13, 12, 2.5, STROKE), line((15.5, 10.5), (21, 7.5), (21, 16.5), (15.5, 13.5))]


def g_cycle():
    return [arc(12, 12, 7, 30, 300), poly((16.5, 2.5), (20.5, 8.5), (13.5, 9.5))]


def g_alert_ok():
    return [circle(12, 12, 10, 0, GREEN), line((7.5, 12.5), (10.8, 15.5), (16.5, 8.8), w=2.4, colour=WHITE)]


def g_alert_info():
    return [circle(12, 12, 10, 0, LIGHT), line((12, 11), (12, 17), w=2.4, colour=WHITE),
            circle(12, 7.5, 1.5, 0, WHITE)]


def g_alert_error():
    return [circle(12, 12, 10, 0, RED), line((8.5, 8.5), (15.5, 15.5), w=2.4, colour=WHITE),
            line((15.5, 8.5), (8.5, 15.5), w=2.4, colour=WHITE)]


def g_confirm():
    return [circle(12, 12, 10, 0, LIGHT), arc(12, 9.5, 3, -90, 180, w=2.2, colour=WHITE),
            line((12, 12.5), (12, 14), w=2.2, colour=WHITE), circle(12, 17, 1.4, 0, WHITE)]


def g_warn():
    return [poly((12, 2.5), (22.5, 20.5), (1.5, 20.5), colour=AMBER),
            line((12, 9), (12, 14), w=2.4, colour=WHITE), circle(12, 17.3, 1.4, 0, WHITE)]


# ---------------------------------------------------------------- SVG


def fmt(v):
    return ("%.3f" % v).rstrip("0").rstrip(".")


def svg_text(shapes, colour, width=24, height=24, box=(0, 0, 24, 24)):
    parts = []
    for s in shapes:
        c = shape_colour(s, colour)
        kind = s[0]
        if kind == "line":
            pts = " ".join("%s,%s" % (fmt(x), fmt(y)) for x, y in s[1])
            parts.append('<polyline points="%s" fill="none" stroke="%s" stroke-width="%s" '
                         'stroke-linecap="round" stroke-linejoin="round"/>' % (pts, c, fmt(s[2])))
        elif kind == "poly":
            pts = " ".join("%s,%s" % (fmt(x), fmt(y)) for x, y in s[1])
            parts.append('<polygon points="%s" fill="%s" stroke="%s" stroke-width="0.6" '
                         'stroke-linejoin="round"/>' % (pts, c, c))
        elif kind == "circle":
            _, cx, cy, r, w = s[:5]
            if w:
                parts.append('<circle cx="%s" cy="%s" r="%s" fill="none" stroke="%s" stroke-width="%s"/>'
                             % (fmt(cx), fmt(cy), fmt(r), c, fmt(w)))
            else:
                parts.append('<circle cx="%s" cy="%s" r="%s" fill="%s"/>' % (fmt(cx), fmt(cy), fmt(r), c))
        elif kind == "arc":
            _, cx, cy, r, a0, a1, w = s[:7]
            x0, y0 = cx + r * math.cos(math.radians(a0)), cy - r * math.sin(math.radians(a0))
            x1, y1 = cx + r * math.cos(math.radians(a1)), cy - r * math.sin(math.radians(a1))
            large = 1 if (a1 - a0) % 360 > 180 else 0
            parts.append('<path d="M%s %sA%s %s 0 %d 0 %s %s" fill="none" stroke="%s" stroke-width="%s" '
                         'stroke-linecap="round"/>' % (fmt(x0), fmt(y0), fmt(r), fmt(r), large, fmt(x1), fmt(y1),
                                                        c, fmt(w)))
        elif kind == "rect":
            _, x, y, w, h, radius, pen = s[:7]
            if pen:
                parts.append('<rect x="%s" y="%s" width="%s" height="%s" rx="%s" fill="none" stroke="%s" '
                             'stroke-width="%s"/>' % (fmt(x), fmt(y), fmt(w), fmt(h), fmt(radius), c, fmt(pen)))
            else:
                parts.append('<rect x="%s" y="%s" width="%s" height="%s" rx="%s" fill="%s"/>'
                             % (fmt(x), fmt(y), fmt(w), fmt(h), fmt(radius), c))
    return ('<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d" viewBox="%s">%s</svg>\n'
            % (width, height, " ".join(fmt(v) for v in box), "".join(parts)))


# ---------------------------------------------------------------- raster


def seg_dist(px, py, x0, y0, x1, y1):
    dx, dy = x1 - x0, y1 - y0
    d2 = dx * dx + dy * dy
    t = 0.0 if d2 == 0 else max(0.0, min(1.0, ((px - x0) * dx + (py - y0) * dy) / d2))
    return math.hypot(px - (x0 + t * dx), py - (y0 + t * dy))


def in_poly(pts, px, py):
    inside = False
    n = len(pts)
    for k in range(n):
        (x1, y1), (x2, y2) = pts[k], pts[(k + 1) % n]
        if (y1 > py) != (y2 > py) and px < (x2 - x1) * (py - y1) / (y2 - y1) + x1:
            inside = not inside
    return inside


def in_round_rect(x, y, w, h, r, px, py):
    if not (x <= px <= x + w and y <= py <= y + h):
        return False
    r = min(r, w / 2.0, h / 2.0)
    cx = min(max(px, x + r), x + w - r)
    cy = min(max(py, y + r), y + h - r)
    return math.hypot(px - cx, py - cy) <= r + 1e-9


def arc_points(cx, cy, r, a0, a1, steps=48):
    span = (a1 - a0) % 360 or 360
    return [(cx + r * math.cos(math.radians(a0 + span * i / steps)),
             cy - r * math.sin(math.radians(a0 + span * i / steps))) for i in range(steps + 1)]


def inside_test(s):
    kind = s[0]
    if kind == "line" or kind == "arc":
        pts = s[1] if kind == "line" else arc_points(*s[1:6])
        half = (s[2] if kind == "line" else s[6]) / 2.0
        segs = list(zip(pts, pts[1:])) or [(pts[0], pts[0])]
        return lambda x, y: any(seg_dist(x, y, a[0], a[1], b[0], b[1]) <= half for a, b in segs)
    if kind == "poly":
        return lambda x, y: in_poly(s[1], x, y)
    if kind == "circle":
        _, cx, cy, r, w = s[:5]
        if w:
            return lambda x, y: abs(math.hypot(x - cx, y - cy) - r) <= w / 2.0
        return lambda x, y: math.hypot(x - cx, y - cy) <= r
    if kind == "rect":
        _, x0, y0, w, h, radius, width = s[:7]
        if width:
            hw = width / 2.0
            return lambda x, y: (in_round_rect(x0 - hw, y0 - hw, w + width, h + width, radius + hw, x, y)
                                 and not in_round_rect(x0 + hw, y0 + hw, w - width, h - width,
                                                       max(radius - hw, 0), x, y))
        return lambda x, y: in_round_rect(x0, y0, w, h, radius, x, y)
    raise ValueError(kind)


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[(0, 0, 0, 0)] * w for _ in range(h)]

    def blend(self, x, y, colour, cover):
        if cover <= 0:
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

    def fill(self, inside, colour, ss=4):
        for y in range(self.h):
            for x in range(self.w):
                hits = 0
                for j in range(ss):
                    for i in range(ss):
                        if inside(x + (i + 0.5) / ss, y + (j + 0.5) / ss):
                            hits += 1
                self.blend(x, y, colour, hits / float(ss * ss))

    def draw(self, shapes, colour, scale, dx=0.0, dy=0.0, alpha=255):
        for s in shapes:
            test = inside_test(s)
            self.fill(lambda x, y, t=test: t((x - dx) / scale, (y - dy) / scale),
                      rgba(shape_colour(s, colour), alpha))

    def png(self):
        raw = b"".join(b"\x00" + b"".join(struct.pack("BBBB", *p) for p in row) for row in self.px)

        def chunk(kind, data):
            return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)
        out = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", self.w, self.h, 8, 6, 0, 0, 0))
        return out + chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b"")


def raster(shapes, colour, size, w=None, h=None):
    """The glyph drawn `size` pixels high, centred on a w x h canvas."""
    w = w or size
    h = h or size
    c = Canvas(w, h)
    scale = size / 24.0
    c.draw(shapes, colour, scale, (w - size) / 2.0, (h - size) / 2.0)
    return c


# ---------------------------------------------------------------- GIF


def lzw_gif(indices, min_code=2):
    """LZW-compresses palette indices as a GIF image data block."""
    clear, end = 1 << min_code, (1 << min_code) + 1
    table = {bytes([i]): i for i in range(clear)}
    nxt, width = end + 1, min_code + 1
    bits, nbits, out = 0, 0, bytearray()

    def emit(code):
        nonlocal bits, nbits
        bits |= code << nbits
        nbits += width
        while nbits >= 8:
            out.append(bits & 0xFF)
            bits >>= 8
            nbits -= 8
    emit(clear)
    w = b""
    for i in indices:
        wc = w + bytes([i])
        if wc in table:
            w = wc
            continue
        emit(table[w])
        if nxt < 4096:
            table[wc] = nxt
            nxt += 1
            if nxt > (1 << width) and width < 12:
                width += 1
        else:
            emit(clear)
            table = {bytes([k]): k for k in range(clear)}
            nxt, width = end + 1, min_code + 1
        w = bytes([i])
    if w:
        emit(table[w])
    emit(end)
    if nbits:
        out.append(bits & 0xFF)
    blocks = bytearray([min_code])
    for k in range(0, len(out), 255):
        piece = out[k:k + 255]
        blocks += bytes([len(piece)]) + piece
    return bytes(blocks + b"\x00")


def spinner_frames(size, count=8):
    """`count` frames of a ring of dots, the bright dot one step further each frame."""
    frames = []
    for f in range(count):
        c = Canvas(size, size)
        for k in range(count):
            age = (f - k) % count
            shade = max(0.25, 1.0 - age * 0.14)
            a = math.radians(90 - k * 360.0 / count)
            r = size * 0.36
            cx, cy = size / 2.0 + r * math.cos(a), size / 2.0 - r * math.sin(a)
            c.fill(lambda x, y, cx=cx, cy=cy: math.hypot(x - cx, y - cy) <= size * 0.09,
                   rgba(HOVER, int(255 * shade)))
        frames.append(c)
    return frames


def gif(frames, delay_cs=10):
    """An endlessly looping GIF; transparent where a frame's alpha is under half."""
    palette = [(0, 0, 0)]  # index 0: transparent
    lookup = {}
    images = []
    for c in frames:
        idx = []
        for row in c.px:
            for r, g, b, a in row:
                if a < 128:
                    idx.append(0)
                    continue
                key = (r >> 3, g >> 3, b >> 3)
                if key not in lookup:
                    if len(palette) >= 256:
                        key = min(lookup, key=lambda k: sum((k[i] - key[i]) ** 2 for i in range(3)))
                    else:
                        lookup[key] = len(palette)
                        palette.append((r, g, b))
                idx.append(lookup[key])
        images.append(idx)
    bits = max(1, (len(palette) - 1).bit_length())
    palette += [(0, 0, 0)] * ((1 << bits) - len(palette))
    w, h = frames[0].w, frames[0].h
    out = bytearray(b"GIF89a" + struct.pack("<HHBBB", w, h, 0x80 | (bits - 1), 0, 0))
    out += b"".join(bytes(p) for p in palette)
    out += b"\x21\xff\x0bNETSCAPE2.0\x03\x01\x00\x00\x00"  # loop forever
    for idx in images:
        out += b"\x21\xf9\x04\x09" + struct.pack("<H", delay_cs) + b"\x00\x00"  # dispose: clear; index 0 clear
        out += b"\x2c" + struct.pack("<HHHHB", 0, 0, w, h, 0)
        out += lzw_gif(idx, max(2, bits))
    out += b"\x3b"
    return bytes(out)


# ---------------------------------------------------------------- speed labels

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


def speed_label(text):
    width = 4 * 2 * len(text) + 2
    c = Canvas(max(width, 20), 14)
    x = (c.w - (4 * 2 * len(text) - 2)) // 2
    for ch in text:
        for gy, row in enumerate(FONT[ch]):
            for gx, bit in enumerate(row):
                if bit == "1":
                    x0, y0 = x + gx * 2, 2 + gy * 2
                    c.fill(lambda px, py, x0=x0, y0=y0: x0 <= px < x0 + 2 and y0 <= py < y0 + 2, rgba(NORMAL), 1)
        x += 8
    return c


def split_button(n, colour):
    """The layout menu's picture of an n-cell grid, 64 x 42."""
    c = Canvas(64, 42)
    side = int(math.sqrt(n))
    x0, y0, w, h = 14.0, 5.0, 36.0, 32.0
    shapes = [rect(x0, y0, w, h, 2, 1.6)]
    for k in range(1, side):
        shapes.append(line((x0 + k * w / side, y0), (x0 + k * w / side, y0 + h), w=1.4))
        shapes.append(line((x0, y0 + k * h / side), (x0 + w, y0 + k * h / side), w=1.4))
    c.draw(shapes, colour, 1.0)
    return c


def solid(w, h, colour, alpha=255, radius=0.0, border=None):
    c = Canvas(w, h)
    c.fill(lambda x, y: in_round_rect(0, 0, w, h, radius, x, y), rgba(colour, alpha), 2)
    if border:
        c.fill(lambda x, y: in_round_rect(0, 0, w, h, radius, x, y) and
               not in_round_rect(1, 1, w - 2, h - 2, max(radius - 1, 0), x, y), rgba(border), 2)
    return c


# ---------------------------------------------------------------- output

# Skinned buttons: (file stem, glyph). Each gets <stem>_nor/_hov/_pre/_dis.svg.
# Skinned buttons: (file stem, glyph, object name). Each gets
# <stem>_nor/_hov/_pre/_dis.svg and a rule of the style sheet skin.qss.
BAR_BUTTONS = [
    ("playall", g_play_all, "playAllBtn"), ("pauseall", g_pause_all, "pauseAllBtn"),
    ("restoreall", g_restore_all, "restoreAllBtn"), ("closeall", g_close_all, "closeAllBtn"),
    ("reverseplay", g_reverse, "reversePlayBtn"), ("stop", g_stop, "btnStop"),
    ("reframe", g_frame_back, "reSingleFrameBtn"), ("frame", g_frame_step, "singleFrameBtn"),
    ("slow", g_slow, "btnSlow"), ("fast", g_fast, "btnFast"), ("sync", g_sync, "btnSync"),
    ("unsync", g_unsync, "btnUnSync"), ("cut", g_cut, "cutBtn"), ("wininfo", g_win_info, "winInfoBtn"),
    ("layout", g_layout, "layoutBtn"), ("map", g_map, "mapBtn"), ("fullscreen", g_full_screen, "fullScreenBtn"),
]
CELL_BUTTONS = [("capture", g_camera, "PlayBottom_CaptureBtn"), ("stop", g_stop, "PlayBottom_StopBtn"),
                ("slow", g_slow, "PlayBottom_SlowBtn"), ("fast", g_fast, "PlayBottom_FastBtn"),
                ("frame", g_frame_step, "PlayBottom_FrameBtn")]
# The time axis's "TimeSlider_ZoomIn" lowers the zoom level and so shows a
# longer span (less detail): it carries the "-" magnifier, and
# "TimeSlider_ZoomOut", which shows a shorter span, the "+" one.
AXIS_BUTTONS = [("moveleft", g_chevron_left, "TimeSlider_MoveLeft"),
                ("moveright", g_chevron_right, "TimeSlider_MoveRight"),
                ("zoomout", lambda: g_magnifier("-"), "TimeSlider_ZoomIn"),
                ("zoomin", lambda: g_magnifier("+"), "TimeSlider_ZoomOut")]
PANEL_BUTTONS = [("folder", g_folder, "btnPath"), ("legend", g_legend, "pictureHintBtn")]
# The Setting page's folder and file choosers show the search panel's folder.
SETTING_CHOOSERS = [("folder", g_folder, name) for name in (
    "evidenceVideoSaveBtn", "evidencePicSavePahtBtn", "savePicBtn", "clipFileSaveBtn", "downLoadFileSaveBtn",
    "voiceSaveBtn")]
BAR_PREFIX = ":/Quillmere/Images/PlayBack/Buttons/skin/"
PANEL_PREFIX = ":/Quillmere/Images/PlayBack/Search/skin/"
CELL_PREFIX = ":/Quillmere/Images/PlayBack/Windows/skin/"
AXIS_PREFIX = ":/images/public/Timeslider/"


def skin_rules(buttons, prefix, scope="", kind="QToolButton"):
    """Style sheet rules giving each button its picture in every state."""
    out = []
    for stem, _, name in buttons:
        sel = "%s%s#%s" % (scope, kind, name)
        out.append("%s { border: none; background: transparent; image: url(%s%s_nor.svg); }" % (sel, prefix, stem))
        for state, pseudo in (("hov", "hover"), ("pre", "pressed"), ("dis", "disabled")):
            out.append("%s:%s { image: url(%s%s_%s.svg); }" % (sel, pseudo, prefix, stem, state))
    return out


def write(path, data):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    mode = "w" if isinstance(data, str) else "wb"
    with open(path, mode) as f:
        f.write(data)
    return path


def state_svgs(folder, buttons, size, states=STATES):
    for stem, glyph, _ in buttons:
        for state, colour in states:
            write(os.path.join(folder, "%s_%s.svg" % (stem, state)), svg_text(glyph(), colour, size, size))


def main():
    bar = os.path.join(UI, "PlayControlBar", "images")
    cell = os.path.join(UI, "PlaybackWindow", "images", "cell")
    skin = os.path.join(UI, "common", "skin")
    alarm = os.path.join(UI, "AlarmPage", "images")
    search = os.path.join(UI, "SearchBar", "images")

    # Control bar: the pictures the bar sets itself, and the skinned buttons.
    pngs = {
        (bar, "bofang_nor .png"): raster(g_play(), NORMAL, 20),
        (bar, "bofang_dis.png"): raster(g_play(), DISABLED, 20),
        (bar, "pause.png"): raster(g_pause(), NORMAL, 20),
        (bar, "sound.png"): raster(g_sound(), NORMAL, 20),
        (bar, "sound_dis.png"): raster(g_sound(), DISABLED, 20),
        (bar, "jingyin_nor.png"): raster(g_mute(), NORMAL, 20),
    }
    for name, text in [("1_16", "1/16x"), ("1_8", "1/8x"), ("1_4", "1/4x"), ("1_2", "1/2x"), ("1", "1x"),
                       ("2", "2x"), ("4", "4x"), ("8", "8x"), ("16", "16x")]:
        pngs[(bar, "beishu_%s.png" % name)] = speed_label(text)
    for n in (1, 4, 9, 16):
        pngs[(bar, "fenping%d_nor.png" % n)] = split_button(n, NORMAL)
        pngs[(bar, "fenping%d_hov.png" % n)] = split_button(n, HOVER)
    state_svgs(os.path.join(bar, "skin"), BAR_BUTTONS, 20)

    # Playback cells.
    pngs.update({
        (cell, "pause.png"): raster(g_pause(), NORMAL, 20),
        (cell, "record.png"): raster(g_record(6, RED), NORMAL, 20),
        (cell, "record_proview_dis.png"): raster(g_record(6), DISABLED, 20),
        (cell, "little_record_nor.png"): raster(g_record(4.5, RED), NORMAL, 20),
        (cell, "eZoom.png"): raster(g_magnifier("+"), NORMAL, 22),
        (cell, "zoom_dis.png"): raster(g_magnifier("+"), DISABLED, 22),
        (cell, "snapshot.png"): raster(g_camera(), NORMAL, 20),
        (cell, "capture_dis.png"): raster(g_camera(), DISABLED, 20),
        (cell, "record_dis.png"): raster(g_record(6), DISABLED, 20),
        (cell, "Recording.png"): raster(g_record(8, RED), NORMAL, 20),
        (cell, "DownLoad.png"): raster(g_download(), NORMAL, 20),
        (cell, "download_dis.png"): raster(g_download(), DISABLED, 20),
        (cell, "CloseSound.png"): raster(g_mute(), NORMAL, 20),
        (cell, "OpenSound.png"): raster(g_sound(), NORMAL, 20),
        (cell, "sound_dis.png"): raster(g_sound(), DISABLED, 20),
        (cell, "quanpin_nor.png"): raster(g_full_screen(), NORMAL, 20),
        (cell, "full_screen_dis.png"): raster(g_full_screen(), DISABLED, 20),
    })
    close_bg = solid(16, 16, "#282828", 200, 3)
    close_bg.draw(g_close(), WHITE, 16 / 24.0)
    close_hover = solid(16, 16, RED, 255, 3)
    close_hover.draw(g_close(), WHITE, 16 / 24.0)
    pngs[(cell, "CloseView.png")] = close_bg
    pngs[(cell, "CloseViewHover.png")] = close_hover
    state_svgs(os.path.join(cell, "skin"), CELL_BUTTONS, 20)

    # Shared skin: time axis, cell hover, bottom bar, message boxes.
    pngs.update({
        (skin, "Timeslider/move-left.png"): raster(g_chevron_left(), NORMAL, 19),
        (skin, "Timeslider/move-right.png"): raster(g_chevron_right(), NORMAL, 19),
        (skin, "Timeslider/zoomin.png"): raster(g_magnifier("+"), NORMAL, 22, 32, 26),
        (skin, "Timeslider/zoomout.png"): raster(g_magnifier("-"), NORMAL, 22, 32, 26),
        (skin, "Timeslider/zoom_hover.png"): solid(32, 26, HOVER, 70, 4, HOVER),
        (skin, "Timeslider/timeslider_Background.png"): solid(8, 8, "#26212b"),
        (skin, "Timeslider/slider-left-bar.png"): solid(4, 11, "#5a5a5a", 255, 1.5),
        (skin, "Timeslider/slider-bar.png"): solid(4, 11, "#464646"),
        (skin, "Timeslider/slider-right-bar.png"): solid(4, 11, "#5a5a5a", 255, 1.5),
        (skin, "Timeslider/Menu.png"): raster(g_menu(), NORMAL, 16),
        (skin, "MainView/Preview/hover.png"): solid(20, 20, HOVER, 60, 3),
        (skin, "MainView/bottom_background.png"): solid(8, 8, "#141619", 220),
        (skin, "MainView/ButtonIcon/cycle_ctrl.png"): raster(g_cycle(), NORMAL, 20),
        (skin, "Dialog/icon_alert_ok_large.png"): raster(g_alert_ok(), None, 40),
        (skin, "Dialog/icon_alert_info_large.png"): raster(g_alert_info(), None, 40),
        (skin, "Dialog/icon_alert_error_large.png"): raster(g_alert_error(), None, 40),
        (skin, "Dialog/confirmicon.png"): raster(g_confirm(), None, 40),
        (skin, "Dialog/warn.png"): raster(g_warn(), None, 40),
    })
    state_svgs(os.path.join(skin, "Timeslider"), AXIS_BUTTONS, 19)

    rules = ["/* Written by tools/icons/make_icons.py: the pictures of the buttons that",
             "   carry none of their own, by object name, in each state. */"]
    # The bar and its layout menu sit on the dark of the player, like the cells.
    rules.append("#Quillmere_PlayControlBar, #PlayControlBar_LayoutMenu, #LayoutMenu_Widget "
                 "{ background-color: #21262b; }")
    rules.append("#Quillmere_PlayControlBar QToolButton { border: none; background: transparent; }")
    rules += skin_rules(BAR_BUTTONS, BAR_PREFIX, "#Quillmere_PlayControlBar ")
    rules += skin_rules(CELL_BUTTONS, CELL_PREFIX)
    rules += skin_rules(AXIS_BUTTONS, AXIS_PREFIX)
    rules += skin_rules(PANEL_BUTTONS[:1], PANEL_PREFIX, "", "QToolButton")
    rules += skin_rules(PANEL_BUTTONS[1:], PANEL_PREFIX, "", "QPushButton")
    rules += skin_rules(SETTING_CHOOSERS, PANEL_PREFIX)
    write(os.path.join(skin, "skin.qss"), "\n".join(rules) + "\n")

    # Alarm page and selectors (light surfaces).
    svgs = {
        (alarm, "common_download.svg"): svg_text(g_download(), LIGHT),
        (alarm, "common_video_play.svg"): svg_text(g_play(), LIGHT),
        (alarm, "common_video_pause.svg"): svg_text(g_pause(), LIGHT),
        (alarm, "common_picture.svg"): svg_text(g_picture(), LIGHT),
        (alarm, "common_liveview.svg"): svg_text(g_video(), LIGHT),
        (alarm, "spread.svg"): svg_text(g_chevron_down(), LIGHT, 16, 16),
    }
    for (folder, name), text in svgs.items():
        write(os.path.join(folder, name), text)

    state_svgs(os.path.join(search, "skin"), PANEL_BUTTONS, 20, LIGHT_STATES)

    # Busy animations: the alarm page's wait dialog and the search panel's.
    write(os.path.join(alarm, "Loading.gif"), gif(spinner_frames(48)))
    write(os.path.join(search, "dengdai.gif"), gif(spinner_frames(32)))
    for k, frame in enumerate(spinner_frames(48), start=1):
        pngs[(search, "loading/%d.png" % k)] = frame

    # The program's own picture, in the resources and as the desktop icons.
    pngs[(os.path.join(UI, "Quillmere", "images"), "logo_256.png")] = raster(g_logo(), NORMAL, 256)
    icons = os.path.join(ROOT, "resources", "icons")
    write(os.path.join(icons, "kel.svg"), svg_text(g_logo(), NORMAL, 64, 64))
    write(os.path.join(icons, "kel-uninstall.svg"), svg_text(g_logo_uninstall(), NORMAL, 64, 64))

    for (folder, name), canvas in pngs.items():
        write(os.path.join(folder, name), canvas.png())


if __name__ == "__main__":
    main()

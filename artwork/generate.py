#!/usr/bin/env python3
"""Draws Norvane's own artwork: the 17 built-in tab images in three sizes (PNG)
and the theme images (TGA) named by the launcher, with supersampled
anti-aliasing and real alpha. Standard library only.

    python3 artwork/generate.py            # writes artwork/out/{builtin,theme,resources}

One style throughout: glyphs with a soft top-to-bottom gradient and a thin
darker rim; command, new-item and task-manager icons sit on a rounded badge in
their category's colour with a white glyph.
"""
import math
import os
import struct
import sys
import zlib

SS = 4  # samples per pixel along each axis

# ---------------------------------------------------------------- writers


def write_png(path, w, h, rgba):
    raw = bytearray()
    for y in range(h):
        raw.append(0)
        raw += rgba[y * w * 4:(y + 1) * w * 4]

    def chunk(kind, data):
        c = struct.pack(">I", len(data)) + kind + data
        return c + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    data = b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 6, 0, 0, 0))
    data += chunk(b"IDAT", zlib.compress(bytes(raw), 9)) + chunk(b"IEND", b"")
    with open(path, "wb") as f:
        f.write(data)


def write_tga(path, w, h, rgba):
    """32-bit run-length TGA, first row in the file is the top row (descriptor
    bit 16, as the launcher reads it; alpha depth 8). Packets stop at row ends."""
    out = bytearray(struct.pack("<BBBHHBHHHHBB", 0, 0, 10, 0, 0, 0, 0, 0, w, h, 32, 0x18))
    for y in range(h):
        row = [bytes((rgba[i + 2], rgba[i + 1], rgba[i], rgba[i + 3]))
               for i in range((y * w) * 4, (y + 1) * w * 4, 4)]
        x = 0
        while x < w:
            run = 1
            while x + run < w and run < 128 and row[x + run] == row[x]:
                run += 1
            if run > 1:
                out.append(0x80 | (run - 1))
                out += row[x]
                x += run
                continue
            start = x
            x += 1
            while x < w and x - start < 128 and not (x + 1 < w and row[x + 1] == row[x]):
                x += 1
            out.append(x - start - 1)
            for p in row[start:x]:
                out += p
    with open(path, "wb") as f:
        f.write(out)


# ---------------------------------------------------------------- shapes
# A shape is a predicate inside(x, y) on unit coordinates (0..1 across the
# image) plus a bounding box, so rendering only samples where it matters.


class Shape:
    def __init__(self, inside, box):
        self.inside = inside
        self.box = box

    def __or__(self, other):
        a, b = self, other
        return Shape(lambda x, y: a.inside(x, y) or b.inside(x, y),
                     (min(a.box[0], b.box[0]), min(a.box[1], b.box[1]),
                      max(a.box[2], b.box[2]), max(a.box[3], b.box[3])))

    def __sub__(self, other):
        a, b = self, other
        return Shape(lambda x, y: a.inside(x, y) and not b.inside(x, y), a.box)

    def __and__(self, other):
        a, b = self, other
        return Shape(lambda x, y: a.inside(x, y) and b.inside(x, y), a.box)

    def moved(self, dx, dy):
        a = self
        return Shape(lambda x, y: a.inside(x - dx, y - dy),
                     (a.box[0] + dx, a.box[1] + dy, a.box[2] + dx, a.box[3] + dy))

    def grown(self, d):
        """Dilated by d (approximately, by sampling around the point)."""
        a = self
        offsets = [(d * math.cos(k * math.pi / 6), d * math.sin(k * math.pi / 6)) for k in range(12)]
        return Shape(lambda x, y: a.inside(x, y) or any(a.inside(x + ox, y + oy) for ox, oy in offsets),
                     (a.box[0] - d, a.box[1] - d, a.box[2] + d, a.box[3] + d))


def union(*shapes):
    s = shapes[0]
    for t in shapes[1:]:
        s = s | t
    return s


def circle(cx, cy, r):
    r2 = r * r
    return Shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r2, (cx - r, cy - r, cx + r, cy + r))


def ring(cx, cy, r, w):
    return circle(cx, cy, r + w / 2) - circle(cx, cy, r - w / 2)


def rect(x0, y0, x1, y1):
    return Shape(lambda x, y: x0 <= x <= x1 and y0 <= y <= y1, (x0, y0, x1, y1))


def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return Shape(inside, (x0, y0, x1, y1))


def rrect_outline(x0, y0, x1, y1, r, w):
    return rrect(x0 - w / 2, y0 - w / 2, x1 + w / 2, y1 + w / 2, r + w / 2) - \
        rrect(x0 + w / 2, y0 + w / 2, x1 - w / 2, y1 - w / 2, max(r - w / 2, 0.001))


def line(x0, y0, x1, y1, w):
    dx, dy = x1 - x0, y1 - y0
    ll = dx * dx + dy * dy or 1e-9
    h2 = (w / 2) ** 2

    def inside(x, y):
        t = max(0.0, min(1.0, ((x - x0) * dx + (y - y0) * dy) / ll))
        return (x - x0 - t * dx) ** 2 + (y - y0 - t * dy) ** 2 <= h2
    return Shape(inside, (min(x0, x1) - w, min(y0, y1) - w, max(x0, x1) + w, max(y0, y1) + w))


def polyline(points, w):
    return union(*[line(*points[i], *points[i + 1], w) for i in range(len(points) - 1)])


def polygon(points):
    n = len(points)

    def inside(x, y):
        c = False
        j = n - 1
        for i in range(n):
            xi, yi = points[i]
            xj, yj = points[j]
            if (yi > y) != (yj > y) and x < (xj - xi) * (y - yi) / (yj - yi) + xi:
                c = not c
            j = i
        return c
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]
    return Shape(inside, (min(xs), min(ys), max(xs), max(ys)))


def arc(cx, cy, r, w, a0, a1):
    """Ring segment from angle a0 to a1 (degrees, 0 = right, clockwise on screen)."""
    base = ring(cx, cy, r, w)

    def inside(x, y):
        if not base.inside(x, y):
            return False
        a = math.degrees(math.atan2(y - cy, x - cx)) % 360
        lo = a0 % 360
        span = (a1 - a0) % 360 if a1 - a0 != 360 else 360
        return (a - lo) % 360 <= span
    ends = [circle(cx + r * math.cos(math.radians(a)), cy + r * math.sin(math.radians(a)), w / 2) for a in (a0, a1)]
    return Shape(inside, base.box) | ends[0] | ends[1]


def arrow_head(x, y, angle, size):
    """A triangle pointing in direction angle (degrees) with its tip at (x, y)."""
    a = math.radians(angle)
    bx, by = x - size * math.cos(a), y - size * math.sin(a)
    px, py = -math.sin(a) * size * 0.62, math.cos(a) * size * 0.62
    return polygon([(x, y), (bx + px, by + py), (bx - px, by - py)])


# ---------------------------------------------------------------- rendering


def mix(c0, c1, t):
    return tuple(c0[i] + (c1[i] - c0[i]) * t for i in range(len(c0)))


class Canvas:
    def __init__(self, w, h):
        self.w, self.h = w, h
        self.px = [[0.0, 0.0, 0.0, 0.0] for _ in range(w * h)]  # premultiplied floats

    def paint(self, shape, colour, opacity=1.0):
        """colour: (r, g, b) 0..255, or a function of the unit y giving one."""
        w, h = self.w, self.h
        x0 = max(0, int(math.floor(shape.box[0] * w)) - 1)
        y0 = max(0, int(math.floor(shape.box[1] * h)) - 1)
        x1 = min(w, int(math.ceil(shape.box[2] * w)) + 1)
        y1 = min(h, int(math.ceil(shape.box[3] * h)) + 1)
        inside = shape.inside
        n = SS * SS
        for py in range(y0, y1):
            for px in range(x0, x1):
                hits = 0
                for sy in range(SS):
                    uy = (py + (sy + 0.5) / SS) / h
                    for sx in range(SS):
                        if inside((px + (sx + 0.5) / SS) / w, uy):
                            hits += 1
                if not hits:
                    continue
                a = hits / n * opacity
                c = colour((py + 0.5) / h) if callable(colour) else colour
                p = self.px[py * w + px]
                for i in range(3):
                    p[i] = c[i] / 255.0 * a + p[i] * (1 - a)
                p[3] = a + p[3] * (1 - a)

    def rgba(self):
        out = bytearray()
        for p in self.px:
            a = p[3]
            if a <= 0:
                out += b"\0\0\0\0"
                continue
            out += bytes(min(255, int(round(p[i] / a * 255))) for i in range(3))
            out.append(min(255, int(round(a * 255))))
        return out


def gradient(top, bottom, y0=0.0, y1=1.0):
    return lambda y: mix(top, bottom, min(1.0, max(0.0, (y - y0) / (y1 - y0))))


def lighter(c, t):
    return mix(c, (255, 255, 255), t)


def darker(c, t):
    return mix(c, (0, 0, 0), t)


# ---------------------------------------------------------------- styles


def px_w(size, pixels):
    """A width of the given number of device pixels, in unit coordinates."""
    return pixels / size


def glyph_icon(size, glyph, colour):
    """A coloured glyph with a gradient and a darker rim (tab images, arrows,
    settings button)."""
    c = Canvas(size, size)
    rim = max(1.0, size / 16.0)
    shape = glyph(size)
    c.paint(shape.grown(px_w(size, rim)), darker(colour, 0.55), 0.9)
    c.paint(shape, gradient(lighter(colour, 0.35), darker(colour, 0.12), 0.15, 0.85))
    # A soft highlight on the upper part.
    c.paint(shape & rect(0, 0, 1, 0.45), (255, 255, 255), 0.18)
    return c


def badge_icon(size, glyph, colour, pad=0.06):
    """A white glyph on a rounded badge of the given colour."""
    c = Canvas(size, size)
    one = px_w(size, 1)
    body = rrect(pad, pad, 1 - pad, 1 - pad, 0.2)
    c.paint(body.moved(0, one * 0.8), (0, 0, 0), 0.25)  # drop shadow
    c.paint(body, darker(colour, 0.45))
    inner = rrect(pad + one, pad + one, 1 - pad - one, 1 - pad - one, 0.2 - one)
    c.paint(inner, gradient(lighter(colour, 0.28), darker(colour, 0.15), pad, 1 - pad))
    c.paint(inner & rect(0, 0, 1, 0.5), (255, 255, 255), 0.12)
    g = glyph(size)
    c.paint(g.moved(0, one), darker(colour, 0.6), 0.45)
    c.paint(g, (255, 255, 255))
    return c


def stroke(size, units=0.085, min_px=1.5):
    return max(units, min_px / size)


# ---------------------------------------------------------------- glyphs
# Each glyph is a function of the pixel size (so strokes keep at least about
# 1.5 pixels) returning a shape within the unit square.


def g_home(s):
    w = stroke(s, 0.1)
    roof = polyline([(0.12, 0.52), (0.5, 0.16), (0.88, 0.52)], w)
    house = rect(0.24, 0.46, 0.76, 0.86) - rect(0.43, 0.62, 0.57, 0.87)
    return roof | house


def g_star(s):
    pts = []
    for k in range(10):
        r = 0.42 if k % 2 == 0 else 0.18
        a = math.radians(-90 + 36 * k)
        pts.append((0.5 + r * math.cos(a), 0.54 + r * math.sin(a)))
    return polygon(pts)


def g_grid(s):
    g = 0.08
    cells = []
    for i in range(2):
        for j in range(2):
            x = 0.14 + i * (0.36 + g)
            y = 0.14 + j * (0.36 + g)
            cells.append(rrect(x, y, x + 0.32, y + 0.32, 0.07))
    return union(*cells)


def g_folder(s):
    tab = rrect(0.1, 0.2, 0.45, 0.4, 0.06)
    return tab | rrect(0.1, 0.3, 0.9, 0.82, 0.07)


def g_gear(s):
    teeth = []
    for k in range(8):
        a = math.radians(k * 45)
        teeth.append(line(0.5 + 0.27 * math.cos(a), 0.5 + 0.27 * math.sin(a),
                          0.5 + 0.38 * math.cos(a), 0.5 + 0.38 * math.sin(a), 0.15))
    return (circle(0.5, 0.5, 0.3) | union(*teeth)) - circle(0.5, 0.5, max(0.12, 1.2 / s))


def g_phone(s):
    w = max(0.17, 2.2 / s)
    body = arc(0.5, 0.5, 0.3, w, 110, 250)
    ear = circle(0.5 + 0.3 * math.cos(math.radians(110)) + 0.02, 0.5 + 0.3 * math.sin(math.radians(110)), w * 0.85)
    mouth = circle(0.5 + 0.3 * math.cos(math.radians(250)) + 0.02, 0.5 + 0.3 * math.sin(math.radians(250)), w * 0.85)
    return body | ear | mouth


def g_phone_handset(s):
    # Rotated so it reads as a handset: ear top-right... keep it simple and bold.
    return g_phone(s).moved(0.04, 0)


def g_mail(s):
    w = stroke(s, 0.07)
    body = rrect(0.12, 0.24, 0.88, 0.76, 0.06)
    flap = polyline([(0.15, 0.28), (0.5, 0.55), (0.85, 0.28)], w)
    return body - flap


def g_music(s):
    w = stroke(s, 0.09)
    stem1 = line(0.38, 0.25, 0.38, 0.7, w)
    stem2 = line(0.78, 0.2, 0.78, 0.62, w)
    beam = polygon([(0.38 - w / 2, 0.22), (0.78 + w / 2, 0.12), (0.78 + w / 2, 0.26), (0.38 - w / 2, 0.36)])
    return stem1 | stem2 | beam | circle(0.29, 0.72, 0.13) | circle(0.69, 0.64, 0.13)


def g_picture(s):
    frame = rrect(0.1, 0.2, 0.9, 0.8, 0.07)
    inner = rrect(0.1 + stroke(s, 0.08), 0.2 + stroke(s, 0.08), 0.9 - stroke(s, 0.08), 0.8 - stroke(s, 0.08), 0.03)
    mountains = polygon([(0.16, 0.74), (0.4, 0.45), (0.55, 0.62), (0.66, 0.52), (0.84, 0.74)])
    return (frame - inner) | mountains | circle(0.68, 0.36, 0.07)


def g_globe(s):
    w = stroke(s, 0.07)
    return (ring(0.5, 0.5, 0.36, w) | line(0.14, 0.5, 0.86, 0.5, w) | line(0.5, 0.14, 0.5, 0.86, w)
            | (ring(0.5, 0.5, 0.36, w).moved(0, 0) & rect(0, 0, 1, 1) & Shape(
                lambda x, y: abs(((x - 0.5) / 0.17) ** 2 + ((y - 0.5) / 0.36) ** 2 - 1) < w * 3.2, (0.1, 0.1, 0.9, 0.9))))


def g_game(s):
    body = rrect(0.1, 0.3, 0.9, 0.72, 0.2)
    w = stroke(s, 0.07)
    cross = line(0.22, 0.51, 0.4, 0.51, w) | line(0.31, 0.42, 0.31, 0.6, w)
    buttons = circle(0.64, 0.46, 0.05) | circle(0.74, 0.56, 0.05)
    return body - cross - buttons


def g_tools(s):
    w = max(0.15, 2.0 / s)
    handle = line(0.25, 0.77, 0.6, 0.42, w)
    head = circle(0.66, 0.34, 0.2) - (circle(0.66, 0.34, 0.09) | rect(0.6, 0.1, 0.95, 0.3).moved(0.04, -0.02))
    return handle | head


def g_calendar(s):
    body = rrect(0.14, 0.2, 0.86, 0.86, 0.07)
    header = rect(0.14, 0.2, 0.86, 0.38)
    inner = rect(0.14 + stroke(s, 0.07), 0.38, 0.86 - stroke(s, 0.07), 0.86 - stroke(s, 0.07))
    dots = union(*[rect(0.24 + i * 0.18, 0.47 + j * 0.17, 0.34 + i * 0.18, 0.57 + j * 0.17)
                   for i in range(3) for j in range(2)])
    rings = line(0.33, 0.12, 0.33, 0.26, stroke(s, 0.08)) | line(0.67, 0.12, 0.67, 0.26, stroke(s, 0.08))
    return ((body - inner) | header | dots | rings)


def g_person(s):
    return circle(0.5, 0.34, 0.17) | (rrect(0.18, 0.56, 0.82, 1.1, 0.3) & rect(0, 0, 1, 0.88))


def g_heart(s):
    return circle(0.34, 0.38, 0.19) | circle(0.66, 0.38, 0.19) | polygon(
        [(0.155, 0.44), (0.5, 0.86), (0.845, 0.44), (0.5, 0.36)])


def g_document(s):
    w = stroke(s, 0.07)
    page = polygon([(0.2, 0.1), (0.62, 0.1), (0.8, 0.28), (0.8, 0.9), (0.2, 0.9)])
    lines = union(*[line(0.32, 0.42 + i * 0.14, 0.68, 0.42 + i * 0.14, w) for i in range(3)])
    return page - lines - polygon([(0.6, 0.1), (0.8, 0.3), (0.6, 0.3)])


def g_clock(s):
    w = stroke(s, 0.08)
    face = circle(0.5, 0.5, 0.4)
    hands = line(0.5, 0.5, 0.5, 0.24, w) | line(0.5, 0.5, 0.68, 0.6, w)
    return face - hands


# The order is the numbering of "builtin:N". The installer's first settings
# file names its tabs' pictures by these numbers: Tools 0, Games 1, Documents 2,
# Home 6, Settings 10; a tab without a picture of its own takes 0, 1, 2, ... in
# turn.
TAB_GLYPHS = [
    ("tools", g_tools, (110, 120, 135)),
    ("games", g_game, (142, 85, 200)),
    ("documents", g_document, (70, 110, 200)),
    ("folder", g_folder, (240, 170, 40)),
    ("star", g_star, (251, 188, 5)),
    ("phone", lambda s: g_handset(s), (52, 168, 83)),
    ("home", g_home, (66, 133, 244)),
    ("music", g_music, (233, 84, 120)),
    ("pictures", g_picture, (0, 160, 170)),
    ("internet", g_globe, (30, 136, 229)),
    ("settings", g_gear, (120, 134, 150)),
    ("apps", g_grid, (94, 110, 220)),
    ("calendar", g_calendar, (220, 70, 60)),
    ("people", g_person, (0, 150, 136)),
    ("favourites", g_heart, (229, 57, 53)),
    ("mail", g_mail, (66, 133, 244)),
    ("clock", g_clock, (255, 140, 0)),
]

# --- glyphs drawn white on badges (proportions for the badge's inner area)


def g_power(s):
    w = stroke(s, 0.095, 1.6)
    return arc(0.5, 0.53, 0.24, w, 300, 600 - 360 + 240 + 0 if False else 240) | line(0.5, 0.22, 0.5, 0.5, w)


def g_power_fixed(s):
    w = stroke(s, 0.095, 1.6)
    return arc(0.5, 0.54, 0.23, w, -60, 240) | line(0.5, 0.2, 0.5, 0.5, w)


def g_reset(s):
    w = stroke(s, 0.095, 1.6)
    return arc(0.5, 0.52, 0.24, w, -50, 230) | arrow_head(0.5 + 0.24 * math.cos(math.radians(-50)) + 0.05,
                                                         0.52 + 0.24 * math.sin(math.radians(-50)) + 0.07, 95, 0.2)


def g_rotate(s):
    w = stroke(s, 0.085, 1.5)
    device = rrect_outline(0.36, 0.24, 0.64, 0.76, 0.05, w)
    a = arc(0.5, 0.5, 0.33, w, 200, 320)
    tip = (0.5 + 0.33 * math.cos(math.radians(320)), 0.5 + 0.33 * math.sin(math.radians(320)))
    return device | a | arrow_head(tip[0] + 0.04, tip[1] + 0.06, 60, 0.16)


def g_camera(s):
    body = rrect(0.18, 0.32, 0.82, 0.74, 0.07) | rrect(0.38, 0.24, 0.62, 0.36, 0.04)
    return body - circle(0.5, 0.53, 0.14) | circle(0.5, 0.53, 0.07)


def g_sms(s):
    bubble = rrect(0.18, 0.22, 0.82, 0.66, 0.12) | polygon([(0.3, 0.6), (0.28, 0.82), (0.48, 0.62)])
    dots = union(*[circle(0.34 + i * 0.16, 0.44, max(0.045, 0.8 / s)) for i in range(3)])
    return bubble - dots


def g_handset(s):
    """A handset seen from the side: a curved grip with the earpiece and the
    mouthpiece as rounded pads at its ends."""
    w = max(0.16, 2.2 / s)
    a = arc(0.5, 0.5, 0.26, w, 115, 245)
    p0 = (0.5 + 0.26 * math.cos(math.radians(115)), 0.5 + 0.26 * math.sin(math.radians(115)))
    p1 = (0.5 + 0.26 * math.cos(math.radians(245)), 0.5 + 0.26 * math.sin(math.radians(245)))
    ear = rrect(p0[0] - 0.04, p0[1] - 0.06, p0[0] + 0.16, p0[1] + 0.07, 0.05)
    mouth = rrect(p1[0] - 0.04, p1[1] - 0.07, p1[0] + 0.16, p1[1] + 0.06, 0.05)
    return (a | ear | mouth).moved(0.04, 0)


def g_menu(s):
    w = stroke(s, 0.1, 1.6)
    return union(*[line(0.3, 0.32 + i * 0.18, 0.74, 0.32 + i * 0.18, w) | circle(0.22, 0.32 + i * 0.18, w * 0.6)
                   for i in range(3)])


def g_jump(s):
    w = stroke(s, 0.085, 1.5)
    tab = polyline([(0.18, 0.72), (0.18, 0.3), (0.46, 0.3), (0.52, 0.4), (0.82, 0.4), (0.82, 0.72), (0.18, 0.72)], w)
    return tab | line(0.32, 0.57, 0.6, 0.57, w) | arrow_head(0.72, 0.57, 0, 0.16)


def g_minmax(s):
    w = stroke(s, 0.085, 1.5)
    window = rrect_outline(0.38, 0.2, 0.8, 0.58, 0.04, w) | rect(0.38, 0.2, 0.8, 0.3)
    bar = rect(0.2, 0.7, 0.56, 0.7 + max(0.1, 1.6 / s))
    return window | bar


def g_close(s):
    w = stroke(s, 0.11, 1.8)
    return line(0.31, 0.31, 0.69, 0.69, w) | line(0.69, 0.31, 0.31, 0.69, w)


def g_close_all(s):
    w = stroke(s, 0.09, 1.6)
    back = rrect_outline(0.3, 0.18, 0.82, 0.7, 0.05, w) & rect(0, 0, 1, 0.3) | \
        (rrect_outline(0.3, 0.18, 0.82, 0.7, 0.05, w) & rect(0.7, 0, 1, 1))
    x = line(0.24, 0.42, 0.56, 0.74, w) | line(0.56, 0.42, 0.24, 0.74, w)
    return back | x


def g_close_all_but(s):
    w = stroke(s, 0.09, 1.6)
    keep = rrect(0.18, 0.2, 0.5, 0.52, 0.05)
    x = line(0.56, 0.5, 0.8, 0.74, w) | line(0.8, 0.5, 0.56, 0.74, w)
    return keep | x


def g_minimize(s):
    return rrect(0.26, 0.62, 0.74, 0.62 + max(0.12, 2 / s), 0.03)


def g_desktop(s):
    w = stroke(s, 0.085, 1.5)
    screen = rrect_outline(0.18, 0.22, 0.82, 0.64, 0.04, w)
    return screen | rect(0.45, 0.64, 0.55, 0.76) | rrect(0.32, 0.74, 0.68, 0.74 + max(0.08, 1.4 / s), 0.02)


def g_table(s):
    w = stroke(s, 0.07, 1.2)
    frame = rrect_outline(0.2, 0.22, 0.8, 0.78, 0.03, w)
    grid = line(0.2, 0.4, 0.8, 0.4, w) | line(0.2, 0.59, 0.8, 0.59, w) | line(0.42, 0.22, 0.42, 0.78, w)
    return frame | grid | rect(0.2, 0.22, 0.8, 0.4)


def g_envelope(s):
    return g_mail(s)


def g_contact(s):
    return (circle(0.5, 0.37, 0.14) | (rrect(0.24, 0.56, 0.76, 0.95, 0.22) & rect(0, 0, 1, 0.78)))


def g_task(s):
    w = stroke(s, 0.1, 1.7)
    box = rrect_outline(0.22, 0.26, 0.7, 0.74, 0.06, stroke(s, 0.075, 1.3))
    return box | polyline([(0.34, 0.48), (0.47, 0.62), (0.8, 0.24)], w)


def g_appointment(s):
    return g_calendar(s)


def g_note(s):
    w = stroke(s, 0.065, 1.2)
    page = polygon([(0.24, 0.18), (0.76, 0.18), (0.76, 0.62), (0.6, 0.82), (0.24, 0.82)])
    fold = polygon([(0.6, 0.82), (0.6, 0.64), (0.78, 0.64)])
    lines = union(*[line(0.34, 0.34 + i * 0.13, 0.66, 0.34 + i * 0.13, w) for i in range(3)])
    return page - lines - fold.grown(w * 0.6) | fold


def g_word(s):
    w = stroke(s, 0.085, 1.5)
    return polyline([(0.22, 0.28), (0.35, 0.72), (0.5, 0.38), (0.65, 0.72), (0.78, 0.28)], w)


def g_plus(s):
    w = stroke(s, 0.12, 2)
    return line(0.5, 0.24, 0.5, 0.76, w) | line(0.24, 0.5, 0.76, 0.5, w)


def g_app(s):
    w = stroke(s, 0.085, 1.5)
    return rrect_outline(0.22, 0.24, 0.78, 0.76, 0.05, w) | rect(0.22, 0.24, 0.78, 0.38)


def g_arrow_up(s):
    return polygon([(0.5, 0.24), (0.84, 0.7), (0.16, 0.7)])


def g_arrow_down(s):
    return polygon([(0.16, 0.3), (0.84, 0.3), (0.5, 0.76)])


def g_arrow_left(s):
    return polygon([(0.24, 0.5), (0.7, 0.16), (0.7, 0.84)])


def g_arrow_right(s):
    return polygon([(0.76, 0.5), (0.3, 0.16), (0.3, 0.84)])


BLUE = (45, 120, 215)
GREEN = (60, 160, 70)
RED = (215, 55, 50)
ORANGE = (240, 140, 30)
PURPLE = (125, 80, 190)
TEAL = (0, 150, 150)
SLATE = (90, 105, 125)

COMMANDS = [  # theme base name (written lower case) and glyph
    ("SoftReset", g_reset, ORANGE),
    ("Rotate", g_rotate, TEAL),
    ("ScreenCapture", g_camera, PURPLE),
    ("PowerOff", g_power_fixed, RED),
    ("SendSMS", g_sms, GREEN),
    ("SpeedDial", g_handset, GREEN),
    ("TabItemsMenu", g_menu, SLATE),
    ("JumpToTab", g_jump, BLUE),
    ("MinMax", g_minmax, SLATE),
]

NEW_ITEMS = [
    ("excel", g_table, (30, 130, 70)),
    ("message", g_envelope, BLUE),
    ("contact", g_contact, TEAL),
    ("task", g_task, (70, 150, 60)),
    ("appointment", g_appointment, RED),
    ("note", g_note, (235, 170, 30)),
    ("word", g_word, (40, 90, 180)),
    ("menu", g_plus, SLATE),
]

TASK_MANAGER = [
    ("close", g_close, RED),
    ("close_all", g_close_all, RED),
    ("close_all_but", g_close_all_but, ORANGE),
    ("minimize", g_minimize, BLUE),
    ("desktop", g_desktop, TEAL),
]


def strip(width, height, top, bottom, opacity):
    c = Canvas(width, height)
    one = 1.0 / height
    c.paint(rect(0, 0, 1, 1), gradient(top, bottom), opacity)
    c.paint(rect(0, 0, 1, one), (255, 255, 255), 0.35)
    c.paint(rect(0, 1 - one, 1, 1), (0, 0, 0), 0.3)
    return c


def main():
    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "out")
    builtin = os.path.join(root, "builtin")
    theme = os.path.join(root, "theme")
    resources = os.path.join(root, "resources")
    for d in (builtin, theme, resources):
        os.makedirs(d, exist_ok=True)
    only = sys.argv[1] if len(sys.argv) > 1 else None

    def save_png(folder, name, canvas):
        write_png(os.path.join(folder, name), canvas.w, canvas.h, canvas.rgba())

    def save_tga(name, canvas):
        write_tga(os.path.join(theme, name.lower()), canvas.w, canvas.h, canvas.rgba())

    if only in (None, "builtin"):
        # Built-in tab images: n = 0..16 in small, medium and large; resource
        # 4300 + 3n + variant. Medium is for 96 dpi, large for 192 dpi.
        for n, (label, glyph, colour) in enumerate(TAB_GLYPHS):
            for variant, size in enumerate((12, 16, 32)):
                save_png(builtin, "tab%02d_%s_%d.png" % (n, "sml"[variant], 4300 + 3 * n + variant),
                         glyph_icon(size, glyph, colour))

    if only in (None, "theme"):
        for base, glyph, colour in COMMANDS:
            for size in (16, 32, 64):
                save_tga("%s%d.tga" % (base, size), badge_icon(size, glyph, colour))
        for base, glyph, colour in NEW_ITEMS:
            for size in (16, 32, 64):
                save_tga("new_%s%d.tga" % (base, size), badge_icon(size, glyph, colour))
        for base, glyph, colour in TASK_MANAGER:
            for size in (16, 32):
                save_tga("%s%d.tga" % (base, size), badge_icon(size, glyph, colour))
        for suffix, scale in (("", 1), ("_vga", 2)):
            save_tga("settings%s.tga" % suffix, glyph_icon(16 * scale, g_gear, SLATE))
            save_tga("up_scroll%s.tga" % suffix, glyph_icon(12 * scale, g_arrow_up, SLATE))
            save_tga("down_scroll%s.tga" % suffix, glyph_icon(12 * scale, g_arrow_down, SLATE))
            for ls, width in (("", 240), ("_ls", 320)):
                save_tga("top_indicator_background%s%s.tga" % (suffix, ls),
                         strip(width * scale, 4 * scale, (70, 76, 86), (30, 34, 40), 0.85))
                save_tga("top_indicator_reveal%s%s.tga" % (suffix, ls),
                         strip(width * scale, 4 * scale, (120, 220, 90), (40, 150, 50), 1.0))

    if only in (None, "resources"):
        # Pictures the plug-in carries as PNG resources, named by their IDs:
        # settings button 145 (96 dpi) / 149 (192 dpi); scroll arrows down 171,
        # up 172 (96 dpi) and down 173, up 174 (192 dpi); 125 the fallback
        # shortcut picture.
        save_png(resources, "145_settings.png", glyph_icon(16, g_gear, SLATE))
        save_png(resources, "149_settings_vga.png", glyph_icon(32, g_gear, SLATE))
        save_png(resources, "171_down_scroll.png", glyph_icon(12, g_arrow_down, SLATE))
        save_png(resources, "172_up_scroll.png", glyph_icon(12, g_arrow_up, SLATE))
        save_png(resources, "173_down_scroll_vga.png", glyph_icon(24, g_arrow_down, SLATE))
        save_png(resources, "174_up_scroll_vga.png", glyph_icon(24, g_arrow_up, SLATE))
        save_png(resources, "125_shortcut.png", badge_icon(64, g_app, SLATE))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Draws the device programs' icons (ICO files with 16, 32 and 64 pixel images)
from simple shapes, so that no image is taken from anywhere."""
import struct
import sys
import os


def blank(size):
    return [[(0, 0, 0, 0) for _ in range(size)] for _ in range(size)]


def rect(img, x0, y0, x1, y1, colour):
    n = len(img)
    for y in range(max(0, int(y0 * n)), min(n, int(y1 * n + 0.5))):
        for x in range(max(0, int(x0 * n)), min(n, int(x1 * n + 0.5))):
            img[y][x] = colour


def circle(img, cx, cy, r, colour):
    n = len(img)
    for y in range(n):
        for x in range(n):
            if ((x + 0.5) / n - cx) ** 2 + ((y + 0.5) / n - cy) ** 2 <= r * r:
                img[y][x] = colour


def battery(n):
    img = blank(n)
    rect(img, 0.12, 0.28, 0.82, 0.76, (30, 30, 30, 255))
    rect(img, 0.82, 0.42, 0.92, 0.62, (30, 30, 30, 255))
    rect(img, 0.18, 0.34, 0.76, 0.70, (240, 240, 240, 255))
    rect(img, 0.18, 0.34, 0.58, 0.70, (60, 190, 60, 255))
    return img


def memory(n):
    img = blank(n)
    rect(img, 0.15, 0.25, 0.85, 0.70, (20, 110, 40, 255))
    for i in range(5):
        rect(img, 0.2 + i * 0.13, 0.70, 0.27 + i * 0.13, 0.82, (210, 170, 40, 255))
        rect(img, 0.2 + i * 0.13, 0.35, 0.29 + i * 0.13, 0.58, (30, 30, 30, 255))
    return img


def gear(n):
    img = blank(n)
    circle(img, 0.5, 0.5, 0.40, (90, 100, 120, 255))
    for dx, dy in ((0, -0.4), (0, 0.4), (-0.4, 0), (0.4, 0)):
        rect(img, 0.42 + dx, 0.42 + dy, 0.58 + dx, 0.58 + dy, (90, 100, 120, 255))
    circle(img, 0.5, 0.5, 0.26, (160, 170, 190, 255))
    circle(img, 0.5, 0.5, 0.12, (0, 0, 0, 0))
    return img


def note(n):
    img = blank(n)
    rect(img, 0.2, 0.1, 0.8, 0.9, (250, 230, 120, 255))
    for i in range(4):
        rect(img, 0.28, 0.28 + i * 0.15, 0.72, 0.32 + i * 0.15, (120, 100, 40, 255))
    return img


def people(n):
    img = blank(n)
    circle(img, 0.5, 0.32, 0.18, (220, 170, 120, 255))
    circle(img, 0.5, 0.85, 0.35, (40, 90, 190, 255))
    return img


def calculator(n):
    img = blank(n)
    rect(img, 0.2, 0.08, 0.8, 0.92, (60, 60, 70, 255))
    rect(img, 0.27, 0.15, 0.73, 0.33, (180, 220, 180, 255))
    for r in range(3):
        for c in range(3):
            rect(img, 0.27 + c * 0.16, 0.42 + r * 0.16, 0.38 + c * 0.16, 0.53 + r * 0.16, (230, 230, 230, 255))
    return img


def game(n):
    img = blank(n)
    colours = [(230, 60, 60, 255), (60, 160, 230, 255), (250, 200, 40, 255), (90, 200, 90, 255)]
    for i, (cx, cy) in enumerate(((0.3, 0.3), (0.7, 0.3), (0.3, 0.7), (0.7, 0.7))):
        circle(img, cx, cy, 0.19, colours[i])
    return img


def folder(n):
    img = blank(n)
    rect(img, 0.1, 0.22, 0.45, 0.35, (220, 170, 50, 255))
    rect(img, 0.1, 0.32, 0.9, 0.82, (245, 200, 80, 255))
    return img


def tool(n):
    img = blank(n)
    rect(img, 0.15, 0.15, 0.85, 0.85, (70, 120, 200, 255))
    rect(img, 0.25, 0.25, 0.75, 0.75, (230, 240, 255, 255))
    rect(img, 0.25, 0.45, 0.75, 0.55, (70, 120, 200, 255))
    return img


def mail(n):
    img = blank(n)
    rect(img, 0.12, 0.25, 0.88, 0.75, (240, 240, 240, 255))
    for i in range(10):
        t = i / 10.0
        rect(img, 0.12 + t * 0.38, 0.25 + t * 0.25, 0.17 + t * 0.38, 0.30 + t * 0.25, (80, 80, 160, 255))
        rect(img, 0.83 - t * 0.38, 0.25 + t * 0.25, 0.88 - t * 0.38, 0.30 + t * 0.25, (80, 80, 160, 255))
    return img


def box(n):
    img = blank(n)
    rect(img, 0.15, 0.3, 0.85, 0.85, (180, 130, 70, 255))
    rect(img, 0.1, 0.22, 0.9, 0.36, (200, 150, 90, 255))
    rect(img, 0.45, 0.22, 0.55, 0.85, (120, 80, 40, 255))
    return img


def handset(n):
    img = blank(n)
    circle(img, 0.5, 0.5, 0.44, (40, 150, 70, 255))
    # A telephone handset: two ear pieces joined by a curved grip.
    for i in range(12):
        t = i / 11.0
        x = 0.30 + t * 0.40
        y = 0.62 - 0.22 * (1 - (2 * t - 1) ** 2)
        circle(img, x, y, 0.07, (245, 245, 245, 255))
    circle(img, 0.27, 0.64, 0.11, (245, 245, 245, 255))
    circle(img, 0.73, 0.64, 0.11, (245, 245, 245, 255))
    return img


# ---- the control-panel applets' icons (cplmain.cpl), drawn at four times the
# size and averaged down, so that their edges are smooth at every size.

def supersampled(draw, factor=4):
    def render(n):
        big = draw(n * factor)
        img = blank(n)
        for y in range(n):
            for x in range(n):
                r = g = b = a = 0
                for yy in range(y * factor, (y + 1) * factor):
                    for (pr, pg, pb, pa) in big[yy][x * factor:(x + 1) * factor]:
                        r += pr * pa
                        g += pg * pa
                        b += pb * pa
                        a += pa
                if a:
                    img[y][x] = (r // a, g // a, b // a, a // (factor * factor))
        return img
    return render


def fill(img, inside, box, colour):
    """Paints the pixels whose centres satisfy inside(u, v), u and v from 0 to 1,
    within box = (u0, v0, u1, v1)."""
    n = len(img)
    for y in range(max(0, int(box[1] * n)), min(n, int(box[3] * n) + 1)):
        v = (y + 0.5) / n
        for x in range(max(0, int(box[0] * n)), min(n, int(box[2] * n) + 1)):
            if inside((x + 0.5) / n, v):
                img[y][x] = colour


def disc(img, cx, cy, r, colour):
    fill(img, lambda u, v: (u - cx) ** 2 + (v - cy) ** 2 <= r * r, (cx - r, cy - r, cx + r, cy + r), colour)


def ring(img, cx, cy, r, width, colour):
    inner = (r - width) ** 2
    fill(img, lambda u, v: inner <= (u - cx) ** 2 + (v - cy) ** 2 <= r * r, (cx - r, cy - r, cx + r, cy + r),
         colour)


def box_(img, x0, y0, x1, y1, colour, radius=0.0):
    def inside(u, v):
        dx = max(x0 + radius - u, 0, u - (x1 - radius))
        dy = max(y0 + radius - v, 0, v - (y1 - radius))
        return dx * dx + dy * dy <= radius * radius
    fill(img, inside, (x0, y0, x1, y1), colour)


def polygon(img, points, colour):
    xs = [p[0] for p in points]
    ys = [p[1] for p in points]

    def inside(u, v):
        hit = False
        j = len(points) - 1
        for i in range(len(points)):
            (xi, yi), (xj, yj) = points[i], points[j]
            if (yi > v) != (yj > v) and u < (xj - xi) * (v - yi) / (yj - yi) + xi:
                hit = not hit
            j = i
        return hit
    fill(img, inside, (min(xs), min(ys), max(xs), max(ys)), colour)


def stroke(img, x0, y0, x1, y1, width, colour):
    dx, dy = x1 - x0, y1 - y0
    length2 = dx * dx + dy * dy or 1e-9
    h = width / 2

    def inside(u, v):
        t = max(0.0, min(1.0, ((u - x0) * dx + (v - y0) * dy) / length2))
        px, py = x0 + t * dx - u, y0 + t * dy - v
        return px * px + py * py <= h * h
    fill(img, inside, (min(x0, x1) - h, min(y0, y1) - h, max(x0, x1) + h, max(y0, y1) + h), colour)


INK = (45, 55, 75, 255)
WHITE = (250, 250, 250, 255)


def cpl_owner(n):
    img = blank(n)
    box_(img, 0.08, 0.2, 0.92, 0.8, (70, 130, 200, 255), 0.08)
    box_(img, 0.13, 0.25, 0.87, 0.75, WHITE, 0.05)
    disc(img, 0.32, 0.43, 0.09, (70, 130, 200, 255))
    fill(img, lambda u, v: (u - 0.32) ** 2 + (v - 0.72) ** 2 <= 0.17 ** 2 and v <= 0.7, (0.15, 0.55, 0.5, 0.7),
         (70, 130, 200, 255))
    for i in range(3):
        box_(img, 0.5, 0.36 + i * 0.11, 0.8, 0.41 + i * 0.11, (150, 160, 175, 255))
    return img


def cpl_password(n):
    img = blank(n)
    ring(img, 0.5, 0.38, 0.2, 0.08, (140, 145, 155, 255))
    box_(img, 0.2, 0.42, 0.8, 0.9, (235, 175, 40, 255), 0.07)
    disc(img, 0.5, 0.6, 0.07, INK)
    box_(img, 0.47, 0.6, 0.53, 0.78, INK)
    return img


def cpl_sounds(n):
    img = blank(n)
    box_(img, 0.1, 0.38, 0.3, 0.62, INK)
    polygon(img, [(0.22, 0.38), (0.5, 0.15), (0.5, 0.85), (0.22, 0.62)], INK)
    for r in (0.2, 0.33):
        fill(img, lambda u, v, r=r: r - 0.06 <= ((u - 0.5) ** 2 + (v - 0.5) ** 2) ** 0.5 <= r and u > 0.58
             and abs(v - 0.5) < (u - 0.5) * 1.3, (0.5, 0.1, 0.9, 0.9), (60, 140, 220, 255))
    return img


def cpl_power(n):
    img = blank(n)
    box_(img, 0.12, 0.28, 0.82, 0.72, INK, 0.05)
    box_(img, 0.82, 0.4, 0.9, 0.6, INK, 0.02)
    box_(img, 0.17, 0.33, 0.77, 0.67, WHITE, 0.03)
    box_(img, 0.2, 0.36, 0.58, 0.64, (60, 190, 60, 255), 0.02)
    return img


def cpl_memory(n):
    img = blank(n)
    box_(img, 0.1, 0.25, 0.9, 0.68, (20, 110, 40, 255), 0.03)
    for i in range(4):
        box_(img, 0.18 + i * 0.18, 0.33, 0.3 + i * 0.18, 0.58, INK, 0.02)
    for i in range(7):
        box_(img, 0.15 + i * 0.1, 0.68, 0.2 + i * 0.1, 0.8, (215, 175, 45, 255))
    return img


def cpl_about(n):
    img = blank(n)
    disc(img, 0.5, 0.5, 0.42, (60, 120, 210, 255))
    disc(img, 0.5, 0.3, 0.07, WHITE)
    box_(img, 0.43, 0.42, 0.57, 0.76, WHITE, 0.03)
    return img


def cpl_backlight(n):
    img = blank(n)
    sun = (245, 185, 30, 255)
    for i in range(8):
        import math
        a = i * math.pi / 4
        stroke(img, 0.5 + 0.28 * math.cos(a), 0.5 + 0.28 * math.sin(a), 0.5 + 0.43 * math.cos(a),
               0.5 + 0.43 * math.sin(a), 0.08, sun)
    disc(img, 0.5, 0.5, 0.2, sun)
    return img


def cpl_clock(n):
    img = blank(n)
    disc(img, 0.5, 0.5, 0.42, INK)
    disc(img, 0.5, 0.5, 0.35, WHITE)
    stroke(img, 0.5, 0.5, 0.5, 0.24, 0.07, INK)
    stroke(img, 0.5, 0.5, 0.7, 0.58, 0.07, (220, 60, 50, 255))
    return img


def cpl_regional(n):
    img = blank(n)
    blue, green = (50, 130, 220, 255), (70, 170, 80, 255)
    disc(img, 0.5, 0.5, 0.42, blue)
    fill(img, lambda u, v: (u - 0.38) ** 2 / 0.05 + (v - 0.4) ** 2 / 0.03 <= 1 and (u - 0.5) ** 2 + (v - 0.5) ** 2
         <= 0.42 ** 2, (0.1, 0.1, 0.7, 0.7), green)
    fill(img, lambda u, v: (u - 0.66) ** 2 / 0.02 + (v - 0.7) ** 2 / 0.03 <= 1 and (u - 0.5) ** 2 + (v - 0.5) ** 2
         <= 0.42 ** 2, (0.4, 0.4, 0.95, 0.95), green)
    return img


def cpl_remove(n):
    img = blank(n)
    box_(img, 0.12, 0.35, 0.78, 0.88, (180, 130, 70, 255), 0.03)
    box_(img, 0.08, 0.27, 0.82, 0.4, (205, 155, 90, 255), 0.03)
    disc(img, 0.72, 0.3, 0.2, (215, 55, 50, 255))
    box_(img, 0.62, 0.27, 0.82, 0.33, WHITE)
    return img


def cpl_screen(n):
    img = blank(n)
    box_(img, 0.22, 0.08, 0.78, 0.92, INK, 0.08)
    box_(img, 0.27, 0.15, 0.73, 0.78, (110, 180, 240, 255))
    disc(img, 0.5, 0.85, 0.04, (150, 160, 175, 255))
    stroke(img, 0.58, 0.62, 0.9, 0.3, 0.06, (210, 60, 60, 255))
    return img


def cpl_buttons(n):
    img = blank(n)
    box_(img, 0.1, 0.25, 0.9, 0.75, (150, 160, 175, 255), 0.12)
    for cx in (0.27, 0.73):
        disc(img, cx, 0.5, 0.12, INK)
    disc(img, 0.5, 0.5, 0.14, (60, 120, 210, 255))
    return img


def cpl_input(n):
    img = blank(n)
    box_(img, 0.06, 0.25, 0.94, 0.75, INK, 0.06)
    for r in range(3):
        for c in range(6 - (r == 2) * 4):
            x = 0.12 + c * 0.13 + (r == 2) * 0.26
            w = 0.09 if r < 2 else 0.35
            box_(img, x, 0.32 + r * 0.13, x + w, 0.41 + r * 0.13, WHITE, 0.015)
    return img


def cpl_menus(n):
    img = blank(n)
    box_(img, 0.15, 0.1, 0.85, 0.9, (150, 160, 175, 255), 0.05)
    box_(img, 0.19, 0.14, 0.81, 0.86, WHITE, 0.03)
    for i in range(4):
        colour = (60, 120, 210, 255) if i == 1 else INK
        if i == 1:
            box_(img, 0.19, 0.34, 0.81, 0.5, (200, 220, 250, 255))
        box_(img, 0.27, 0.22 + i * 0.17, 0.73, 0.27 + i * 0.17, colour)
    return img


def cpl_today(n):
    img = blank(n)
    box_(img, 0.12, 0.15, 0.88, 0.88, (215, 60, 50, 255), 0.06)
    box_(img, 0.17, 0.32, 0.83, 0.83, WHITE, 0.03)
    for x in (0.3, 0.7):
        box_(img, x - 0.04, 0.08, x + 0.04, 0.24, INK, 0.02)
    box_(img, 0.38, 0.45, 0.62, 0.7, (215, 60, 50, 255), 0.02)
    return img


def cpl_certificates(n):
    img = blank(n)
    ribbon = (215, 60, 50, 255)
    polygon(img, [(0.36, 0.55), (0.46, 0.6), (0.4, 0.92), (0.33, 0.82), (0.26, 0.88)], ribbon)
    polygon(img, [(0.64, 0.55), (0.54, 0.6), (0.6, 0.92), (0.67, 0.82), (0.74, 0.88)], ribbon)
    disc(img, 0.5, 0.42, 0.3, (235, 175, 40, 255))
    ring(img, 0.5, 0.42, 0.22, 0.04, (190, 130, 20, 255))
    return img


def cpl_errors(n):
    img = blank(n)
    polygon(img, [(0.5, 0.08), (0.94, 0.88), (0.06, 0.88)], (235, 175, 40, 255))
    box_(img, 0.45, 0.33, 0.55, 0.64, INK, 0.03)
    disc(img, 0.5, 0.75, 0.055, INK)
    return img


# The applets in cplmain.cpl's order; their icons are its resources 100 to 116.
CPL_ICONS = [cpl_owner, cpl_password, cpl_sounds, cpl_power, cpl_memory, cpl_about, cpl_backlight, cpl_clock,
             cpl_regional, cpl_remove, cpl_screen, cpl_buttons, cpl_input, cpl_menus, cpl_today, cpl_certificates,
             cpl_errors]


def icon_image(img):
    n = len(img)
    header = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    pixels = bytearray()
    for row in reversed(img):
        for (r, g, b, a) in row:
            pixels += bytes((b, g, r, a))
    mask_row = ((n + 31) // 32) * 4
    mask = bytearray()
    for row in reversed(img):
        bits = bytearray(mask_row)
        for x, (_, _, _, a) in enumerate(row):
            if a == 0:
                bits[x // 8] |= 0x80 >> (x % 8)
        mask += bits
    return header + bytes(pixels) + bytes(mask)


def write_ico(path, draw):
    sizes = (16, 32, 64)
    images = [icon_image(draw(n)) for n in sizes]
    out = struct.pack('<HHH', 0, 1, len(sizes))
    offset = 6 + 16 * len(sizes)
    for n, data in zip(sizes, images):
        out += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(data), offset)
        offset += len(data)
    for data in images:
        out += data
    with open(path, 'wb') as f:
        f.write(out)


ICONS = {
    'battery': battery, 'memory': memory, 'gear': gear, 'note': note, 'people': people,
    'calculator': calculator, 'game': game, 'folder': folder, 'tool': tool, 'mail': mail, 'box': box,
    'handset': handset,
}
ICONS.update({f'cpl{i:02d}': supersampled(draw) for i, draw in enumerate(CPL_ICONS)})

if __name__ == '__main__':
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for name, draw in ICONS.items():
        write_ico(os.path.join(out_dir, name + '.ico'), draw)

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

if __name__ == '__main__':
    out_dir = sys.argv[1]
    os.makedirs(out_dir, exist_ok=True)
    for name, draw in ICONS.items():
        write_ico(os.path.join(out_dir, name + '.ico'), draw)

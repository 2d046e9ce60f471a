#!/usr/bin/env python3
"""Draws the options program's pictures: the Norvane logo in three sizes (JPEG
resources 261, 213 and 251), the colour picker's palette in two sizes (JPEG
resources 247 and 248) and the program's icon. The pictures are drawn here
with the standard library; ImageMagick's convert turns them into JPEG and ICO.

    python3 artwork/options_art.py     # writes artwork/out/options/
"""
import colorsys
import math
import os
import subprocess
import sys
import tempfile

SS = 4  # samples per pixel along each axis
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'out', 'options')


def write_ppm(path, w, h, rgb):
    with open(path, 'wb') as f:
        f.write(b'P6 %d %d 255\n' % (w, h))
        f.write(bytes(rgb))


def write_pam(path, w, h, rgba):
    with open(path, 'wb') as f:
        f.write(b'P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n' % (w, h))
        f.write(bytes(rgba))


def convert(*args):
    subprocess.run(['convert'] + list(args), check=True)


def inside_rounded(x, y, r):
    """Unit square with rounded corners of radius r."""
    cx = min(max(x, r), 1 - r)
    cy = min(max(y, r), 1 - r)
    return (x - cx) ** 2 + (y - cy) ** 2 <= r * r


def seg_dist(px, py, ax, ay, bx, by):
    dx, dy = bx - ax, by - ay
    t = max(0.0, min(1.0, ((px - ax) * dx + (py - ay) * dy) / (dx * dx + dy * dy)))
    return math.hypot(px - (ax + t * dx), py - (ay + t * dy))


def logo_sample(x, y):
    """The logo at unit coordinates: RGBA floats. A blue rounded tile; on it a
    white "N" whose strokes run into three small tab bars along the top."""
    if not inside_rounded(x, y, 0.2):
        return (0.0, 0.0, 0.0, 0.0)
    # Background: a vertical gradient from sky blue to deep blue.
    top, bottom = (0.30, 0.62, 0.95), (0.06, 0.22, 0.55)
    t = y
    colour = [top[i] * (1 - t) + bottom[i] * t for i in range(3)]
    # A soft light from the upper left.
    glow = max(0.0, 0.18 - 0.25 * math.hypot(x - 0.25, y - 0.2))
    colour = [min(1.0, c + glow) for c in colour]
    # Three tab bars along the top edge; the middle one is the current tab.
    for i, (x0, x1) in enumerate(((0.14, 0.36), (0.39, 0.61), (0.64, 0.86))):
        if x0 <= x <= x1 and 0.12 <= y <= 0.22:
            shade = (1.0, 0.80, 0.25) if i == 1 else (0.85, 0.92, 1.0)
            return (shade[0], shade[1], shade[2], 1.0)
    # The "N".
    w = 0.085
    strokes = ((0.30, 0.36, 0.30, 0.84), (0.30, 0.36, 0.70, 0.84), (0.70, 0.36, 0.70, 0.84))
    if min(seg_dist(x, y, *s) for s in strokes) <= w:
        return (1.0, 1.0, 1.0, 1.0)
    # A thin darker rim.
    if not inside_rounded((x - 0.03) / 0.94, (y - 0.03) / 0.94, 0.2):
        colour = [c * 0.75 for c in colour]
    return (colour[0], colour[1], colour[2], 1.0)


def render(size, sample, background=None):
    """Supersampled RGBA bytes; with a background colour, flattened onto it."""
    out = bytearray()
    for py in range(size):
        for px in range(size):
            acc = [0.0, 0.0, 0.0, 0.0]
            for sy in range(SS):
                for sx in range(SS):
                    r, g, b, a = sample((px + (sx + 0.5) / SS) / size, (py + (sy + 0.5) / SS) / size)
                    acc[0] += r * a
                    acc[1] += g * a
                    acc[2] += b * a
                    acc[3] += a
            n = SS * SS
            a = acc[3] / n
            if background is not None:
                rgb = [acc[i] / n + background[i] * (1 - a) for i in range(3)]
                out += bytes(int(round(min(1.0, c) * 255)) for c in rgb)
            else:
                rgb = [acc[i] / acc[3] if acc[3] else 0.0 for i in range(3)]
                out += bytes(int(round(min(1.0, c) * 255)) for c in rgb) + bytes([int(round(a * 255))])
    return out


def palette(w, h):
    """Hue across; from white at the top through the pure colour to black at the
    bottom; a grey ramp in the last twelfth."""
    out = bytearray()
    grey_from = w - w // 12
    for py in range(h):
        v = (py + 0.5) / h
        for px in range(w):
            if px >= grey_from:
                c = 1.0 - v
                rgb = (c, c, c)
            else:
                hue = (px + 0.5) / grey_from
                r, g, b = colorsys.hsv_to_rgb(hue, 1.0, 1.0)
                if v < 0.5:
                    t = v * 2
                    rgb = tuple(1.0 * (1 - t) + c * t for c in (r, g, b))
                else:
                    t = (v - 0.5) * 2
                    rgb = tuple(c * (1 - t) for c in (r, g, b))
            out += bytes(int(round(c * 255)) for c in rgb)
    return out


def main():
    os.makedirs(OUT, exist_ok=True)
    page = (1.0, 1.0, 1.0)  # the white of the pages the logo stands on
    with tempfile.TemporaryDirectory() as tmp:
        for rid, size in ((261, 24), (213, 56), (251, 112)):
            rgb = render(size, logo_sample, page)
            ppm = os.path.join(tmp, f'logo{size}.ppm')
            write_ppm(ppm, size, size, rgb)
            convert(ppm, '-quality', '95', '-sampling-factor', '1x1', os.path.join(OUT, f'{rid}_logo_{size}.jpg'))
        for rid, (w, h) in ((247, (184, 42)), (248, (368, 84))):
            ppm = os.path.join(tmp, f'palette{w}.ppm')
            write_ppm(ppm, w, h, palette(w, h))
            convert(ppm, '-quality', '95', '-sampling-factor', '1x1', os.path.join(OUT, f'{rid}_palette_{w}.jpg'))
        icons = []
        for size in (16, 32, 48):
            pam = os.path.join(tmp, f'icon{size}.pam')
            write_pam(pam, size, size, render(size, logo_sample))
            png = os.path.join(tmp, f'icon{size}.png')
            convert(pam, png)
            icons.append(png)
        convert(*icons, os.path.join(OUT, 'NorvaneOptions.ico'))
    print('wrote', OUT)


if __name__ == '__main__':
    sys.exit(main())

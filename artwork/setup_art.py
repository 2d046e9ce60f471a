#!/usr/bin/env python3
"""Draws the installer's product picture (JPEG resource 102 of NorvaneSetup.dll):
a compass-star badge beside a small Today screen with tabs, icons and a battery
meter, on a deep blue ground. Drawn with the shapes of generate.py; ImageMagick's
convert turns it into a JPEG.

    python3 artwork/setup_art.py     # writes artwork/out/setup/product.jpg
"""
import math
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import generate as g  # noqa: E402

W, H = 480, 200
OUT = os.path.join(os.path.dirname(os.path.abspath(__file__)), 'out', 'setup')


def px_shape(inside, box):
    """A shape given in pixels of the picture."""
    return g.Shape(lambda x, y: inside(x * W, y * H), (box[0] / W, box[1] / H, box[2] / W, box[3] / H))


def circle(cx, cy, r):
    return px_shape(lambda x, y: (x - cx) ** 2 + (y - cy) ** 2 <= r * r, (cx - r, cy - r, cx + r, cy + r))


def rrect(x0, y0, x1, y1, r):
    def inside(x, y):
        if not (x0 <= x <= x1 and y0 <= y <= y1):
            return False
        cx = min(max(x, x0 + r), x1 - r)
        cy = min(max(y, y0 + r), y1 - r)
        return (x - cx) ** 2 + (y - cy) ** 2 <= r * r
    return px_shape(inside, (x0, y0, x1, y1))


def polygon(points):
    unit = [(x / W, y / H) for x, y in points]
    return g.polygon(unit)


def star(cx, cy, outer, inner, points=4, turn=0.0):
    corners = []
    for k in range(points * 2):
        a = math.pi * k / points + turn - math.pi / 2
        r = outer if k % 2 == 0 else inner
        corners.append((cx + r * math.cos(a), cy + r * math.sin(a)))
    return polygon(corners)


def ygrad(top, bottom, y0, y1):
    """A vertical gradient between picture rows y0 and y1."""
    return g.gradient(top, bottom, y0 / H, y1 / H)


def draw():
    c = g.Canvas(W, H)
    c.paint(px_shape(lambda x, y: True, (0, 0, W, H)), ygrad((18, 44, 92), (38, 96, 160), 0, H))
    # Soft light behind the badge and a faint horizon band.
    for r, a in ((150, 0.06), (110, 0.07), (75, 0.08)):
        c.paint(circle(120, 96, r), (150, 200, 255), a)
    c.paint(px_shape(lambda x, y: y > 150, (0, 150, W, H)), (0, 0, 0), 0.12)

    # The badge: a rounded tile with the compass star.
    c.paint(rrect(56, 34, 184, 162, 28).moved(0, 4 / H), (0, 0, 0), 0.3)
    c.paint(rrect(56, 34, 184, 162, 28), (20, 58, 120))
    c.paint(rrect(59, 37, 181, 159, 25), ygrad((74, 140, 222), (28, 78, 160), 37, 159))
    c.paint(rrect(59, 37, 181, 98, 25), (255, 255, 255), 0.10)
    c.paint(star(120, 98, 52, 12, 4, math.pi / 4), (255, 255, 255), 0.35)
    c.paint(star(120, 98, 54, 14).moved(0, 2 / H), (10, 30, 70), 0.35)
    c.paint(star(120, 98, 54, 14), ygrad((255, 236, 170), (240, 176, 60), 44, 152))
    c.paint(circle(120, 98, 7), (255, 255, 255))

    # The Today screen: a card with a tab strip, icon rows and a battery meter.
    x0, y0, x1, y1 = 232, 26, 444, 174
    c.paint(rrect(x0, y0 + 5, x1, y1 + 5, 14), (0, 0, 0), 0.3)
    c.paint(rrect(x0, y0, x1, y1, 14), (228, 236, 248))
    c.paint(rrect(x0 + 3, y0 + 3, x1 - 3, y0 + 26, 11), ygrad((60, 110, 190), (36, 80, 160), y0, y0 + 26))
    tab_colours = [(255, 196, 64), (96, 200, 120), (120, 170, 255), (200, 120, 230), (255, 120, 96)]
    for i, colour in enumerate(tab_colours):
        tx = x0 + 12 + i * 40
        current = i == 0
        c.paint(rrect(tx - 4, y0 + 6, tx + 30, y0 + 24, 6), (255, 255, 255), 0.35 if current else 0.0)
        c.paint(circle(tx + 13, y0 + 15, 7), colour)
    icon_colours = [(66, 133, 244), (52, 168, 83), (251, 188, 5), (234, 67, 53), (0, 172, 193), (171, 71, 188),
                    (255, 112, 67), (124, 179, 66)]
    for i, colour in enumerate(icon_colours):
        ix = x0 + 14 + (i % 4) * 49
        iy = y0 + 36 + (i // 4) * 44
        c.paint(rrect(ix, iy + 2, ix + 34, iy + 36, 8), (0, 0, 0), 0.15)
        c.paint(rrect(ix, iy, ix + 34, iy + 34, 8), ygrad(g.lighter(colour, 0.25), g.darker(colour, 0.15), iy,
                                                            iy + 34))
        c.paint(rrect(ix + 2, iy + 2, ix + 32, iy + 16, 6), (255, 255, 255), 0.18)
    # Battery meter across the foot of the card.
    mx, my = x0 + 14, y1 - 28
    c.paint(rrect(mx, my, x1 - 22, my + 16, 5), (70, 86, 110))
    c.paint(rrect(x1 - 22, my + 4, x1 - 16, my + 12, 2), (70, 86, 110))
    c.paint(rrect(mx + 3, my + 3, mx + 3 + (x1 - 22 - mx - 6) * 0.72, my + 13, 3),
            ygrad((150, 230, 120), (60, 170, 70), my, my + 16))
    return c


def main():
    os.makedirs(OUT, exist_ok=True)
    canvas = draw()
    rgba = canvas.rgba()
    rgb = bytearray()
    for i in range(0, len(rgba), 4):
        rgb += rgba[i:i + 3]
    with tempfile.TemporaryDirectory() as tmp:
        ppm = os.path.join(tmp, 'product.ppm')
        with open(ppm, 'wb') as f:
            f.write(b'P6 %d %d 255\n' % (W, H))
            f.write(bytes(rgb))
        subprocess.run(['convert', ppm, '-quality', '92', '-sampling-factor', '1x1',
                        os.path.join(OUT, 'product.jpg')], check=True)
    print('wrote', os.path.join(OUT, 'product.jpg'))


if __name__ == '__main__':
    main()

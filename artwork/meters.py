#!/usr/bin/env python3
"""Draws the meters Norvane ships and writes their definition files: one
folder per meter under meters/ at the top of the source tree, each with a
meter.ini and its pictures at the three icon sizes (16, 32 and 64 pixels).

    python3 artwork/meters.py            # writes meters/<name>/...

The meters between them use every drawing type: reveal (battery-default,
storage-card), colour fill (memory-default, main-storage) and pie
(backup-battery). Pictures of reveal and pie meters and every meter's own
picture are 32-bit TGA; colour-fill masks are 24-bit BMP files (white where
the colour goes), as the shell's bitmap loader reads them. Standard library
only; the shapes and the renderer are generate.py's.
"""
import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from generate import (Canvas, circle, darker, gradient, lighter, polygon, px_w, rect, ring,  # noqa: E402
                      rrect, rrect_outline, write_tga)

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "meters")
SIZES = (16, 32, 64)

WHITE = (255, 255, 255)
BLACK = (0, 0, 0)
RIM = (40, 44, 52)
GREEN = (70, 190, 80)
TEAL = (40, 170, 200)
ORANGE = (245, 150, 40)
YELLOW = (255, 214, 40)
SLATE = (112, 124, 140)


# ---------------------------------------------------------------- writers


def write_bmp(path, w, h, lit):
    """24-bit bottom-up BMP: white where lit(x, y), black elsewhere."""
    row = (w * 3 + 3) & ~3
    pixels = bytearray()
    for y in range(h - 1, -1, -1):
        line = bytearray()
        for x in range(w):
            line += b"\xff\xff\xff" if lit(x, y) else b"\x00\x00\x00"
        line += b"\x00" * (row - w * 3)
        pixels += line
    header = struct.pack("<2sIHHI", b"BM", 54 + len(pixels), 0, 0, 54)
    info = struct.pack("<IiiHHIIiiII", 40, w, h, 1, 24, 0, len(pixels), 2835, 2835, 0, 0)
    with open(path, "wb") as f:
        f.write(header + info + pixels)


def write_ini(path, sections):
    """A definition file as the launcher's settings files are: UTF-16LE with a
    byte-order mark, CR LF line ends. sections: list of (name, [(key, value)])."""
    lines = []
    for name, entries in sections:
        lines.append("[%s]" % name)
        lines += ["%s=%s" % (k, v) for k, v in entries]
        lines.append("")
    text = "\r\n".join(lines)
    with open(path, "wb") as f:
        f.write(b"\xff\xfe" + text.encode("utf-16-le"))


def save(folder, name, canvas):
    write_tga(os.path.join(folder, name), canvas.w, canvas.h, canvas.rgba())


def stroke(size, px):
    return max(px, 1.0) / size


# ---------------------------------------------------------------- shared bits


def bolt(x0, y0, x1, y1):
    """A lightning bolt inside the box (unit coordinates)."""
    w, h = x1 - x0, y1 - y0
    pts = [(0.62, 0.0), (0.12, 0.56), (0.45, 0.56), (0.32, 1.0), (0.88, 0.40), (0.55, 0.40), (0.72, 0.0)]
    return polygon([(x0 + px * w, y0 + py * h) for px, py in pts])


def charging_overlay(size, box):
    c = Canvas(size, size)
    shape = bolt(*box)
    c.paint(shape.grown(stroke(size, size / 22.0)), RIM, 0.95)
    c.paint(shape, gradient(lighter(YELLOW, 0.4), darker(YELLOW, 0.1), box[1], box[3]))
    return c


def text_section(kind, size, rect_px, font, colour="default", shadow="glow", shadow_colour="default",
                 align=None, bold=False):
    """The value text in the Today screen's own text colour (theme colour 4),
    with a glow that stands out against it (white behind dark text, black
    behind light text), so it reads on light and dark themes alike."""
    entries = [("rect", ",".join(str(v) for v in rect_px)), ("color", colour), ("shadow", shadow),
               ("shadow-color", shadow_colour), ("size", str(font))]
    if align:
        entries.append(("align", align))
    if bold:
        entries.append(("bold", "true"))
    return ("%s-%d-text" % (kind, size), entries)


# Value texts: none at 16 (the picture is too small to carry one). At 32 a
# font size of 4 gives 10-pixel text on both screens; at 64 (only on a
# high-resolution screen) 7 gives 18 pixels.
FONT = {32: 4, 64: 7}


# ---------------------------------------------------------------- battery (reveal, horizontal)


def shifted(box, dy):
    return (box[0], box[1] + dy, box[2], box[3] + dy)


def battery_default(folder):
    sections = [("general", [("type", "reveal"), ("dir", "horizontal")])]
    for size in SIZES:
        # With a value text the battery takes the upper half; without (16) the middle.
        dy = 0.0 if size in FONT else 0.22
        body = shifted((0.05, 0.06, 0.86, 0.50), dy)
        inner = shifted((0.11, 0.13, 0.80, 0.43), dy)
        nub = shifted((0.86, 0.18, 0.95, 0.38), dy)
        line = stroke(size, size / 16.0)
        meter = Canvas(size, size)
        meter.paint(rrect(*body, 0.07).moved(0, px_w(size, 1)), BLACK, 0.3)
        meter.paint(rrect(*body, 0.07), (30, 34, 40), 0.55)  # the empty battery
        meter.paint(rrect_outline(*body, 0.07, line), gradient((236, 240, 245), (170, 178, 190), body[1], body[3]))
        meter.paint(rrect(*nub, 0.03), gradient((220, 224, 230), (150, 158, 170), nub[1], nub[3]))
        save(folder, "meter%d.tga" % size, meter)

        fill = Canvas(size, size)
        fill.paint(rrect(*inner, 0.03), gradient(lighter(GREEN, 0.45), darker(GREEN, 0.2), inner[1], inner[3]))
        fill.paint(rect(inner[0], inner[1], inner[2], (inner[1] + inner[3]) / 2) & rrect(*inner, 0.03),
                   WHITE, 0.2)
        save(folder, "battery%d.tga" % size, fill)

        # Charging: a bolt across the middle of the battery.
        save(folder, "charging%d.tga" % size, charging_overlay(size, shifted((0.30, 0.0, 0.62, 0.56), dy)))
        sections.append(("%d" % size, [("meter", "meter%d.tga" % size), ("battery", "battery%d.tga" % size),
                                       ("battery-charging", "charging%d.tga" % size)]))
        if size in FONT:
            s = size / 32.0
            sections.append(text_section("battery", size, [0, int(17 * s), size, int(31 * s)], FONT[size]))
    write_ini(os.path.join(folder, "meter.ini"), sections)


# ---------------------------------------------------------------- memory (colour fill, vertical)


def memory_default(folder):
    chip = (0.16, 0.04, 0.84, 0.64)
    window = (0.36, 0.10, 0.64, 0.58)
    sections = [("general", [])]
    for size in SIZES:
        meter = Canvas(size, size)
        one = px_w(size, 1)
        pins = []
        for k in range(4):
            y = chip[1] + 0.08 + k * 0.13
            pins.append(rect(0.07, y, chip[0] + 0.02, y + 0.06))
            pins.append(rect(chip[2] - 0.02, y, 0.93, y + 0.06))
        for p in pins:
            meter.paint(p, gradient((240, 210, 120), (190, 150, 60), 0, 1))
        meter.paint(rrect(*chip, 0.06).moved(0, one), BLACK, 0.3)
        meter.paint(rrect(*chip, 0.06), gradient((60, 72, 88), (30, 36, 46), chip[1], chip[3]))
        meter.paint(rrect_outline(*chip, 0.06, stroke(size, size / 24.0)), (120, 132, 150))
        meter.paint(rect(*window), (14, 16, 20))  # the empty gauge
        save(folder, "meter%d.tga" % size, meter)

        # The gauge window, in whole pixels.
        x0, x1 = int(round(window[0] * size)), int(round(window[2] * size))
        y0, y1 = int(round(window[1] * size)), int(round(window[3] * size))
        write_bmp(os.path.join(folder, "gauge%d.bmp" % size), size, size,
                  lambda x, y: x0 <= x < x1 and y0 <= y < y1)
        sections.append(("%d" % size, [("meter", "meter%d.tga" % size), ("memory", "gauge%d.bmp" % size)]))
        if size in FONT:
            s = size / 32.0
            sections.append(text_section("memory", size, [0, int(20 * s), size, size], FONT[size]))
    sections.append(("colors-memory", [("color1", "15,225,60,45"), ("color2", "35,245,170,35"),
                                       ("color3", "100,80,205,95")]))
    write_ini(os.path.join(folder, "meter.ini"), sections)


# ---------------------------------------------------------------- backup battery (pie)


def backup_battery(folder):
    sections = [("general", [("type", "pie")])]
    for size in SIZES:
        r = 0.40
        meter = Canvas(size, size)
        meter.paint(circle(0.5, 0.5 + px_w(size, 1), r + 0.04), BLACK, 0.3)
        meter.paint(circle(0.5, 0.5, r), (26, 30, 36), 0.65)
        meter.paint(ring(0.5, 0.5, r, stroke(size, size / 14.0)), gradient((236, 240, 245), (160, 168, 180), 0.1, 0.9))
        save(folder, "meter%d.tga" % size, meter)

        pie = Canvas(size, size)
        disc = circle(0.5, 0.5, r - stroke(size, size / 28.0))
        pie.paint(disc, gradient(lighter(TEAL, 0.4), darker(TEAL, 0.25), 0.1, 0.9))
        pie.paint(disc & rect(0, 0, 1, 0.45), WHITE, 0.18)
        save(folder, "pie%d.tga" % size, pie)

        save(folder, "charging%d.tga" % size, charging_overlay(size, (0.64, 0.0, 1.0, 0.40)))
        half = size // 2
        sections.append(("%d" % size, [("meter", "meter%d.tga" % size), ("backup-battery", "pie%d.tga" % size),
                                       ("piecenter", "%d,%d" % (half, half)),
                                       ("backup-battery-charging", "charging%d.tga" % size)]))
        if size in FONT:
            s = size / 32.0
            # On the teal disc, not on the Today background: white with a dark shadow.
            sections.append(text_section("backup-battery", size, [0, int(10 * s), size, int(22 * s)], FONT[size],
                                         colour="255,255,255", shadow="shadow"))
    write_ini(os.path.join(folder, "meter.ini"), sections)


# ---------------------------------------------------------------- main storage (colour fill, horizontal)


def main_storage(folder):
    body = (0.06, 0.14, 0.94, 0.86)
    bar = (0.14, 0.62, 0.86, 0.76)
    sections = [("general", [("dir", "horizontal")])]
    for size in SIZES:
        meter = Canvas(size, size)
        meter.paint(rrect(*body, 0.1).moved(0, px_w(size, 1)), BLACK, 0.3)
        meter.paint(rrect(*body, 0.1), gradient((150, 160, 174), (82, 92, 108), body[1], body[3]))
        meter.paint(rrect_outline(*body, 0.1, stroke(size, size / 24.0)), (52, 58, 68))
        meter.paint(rect(*bar), (14, 16, 20))
        save(folder, "meter%d.tga" % size, meter)

        x0, x1 = int(round(bar[0] * size)), int(round(bar[2] * size))
        y0, y1 = int(round(bar[1] * size)), int(round(bar[3] * size))
        write_bmp(os.path.join(folder, "bar%d.bmp" % size), size, size, lambda x, y: x0 <= x < x1 and y0 <= y < y1)
        sections.append(("%d" % size, [("meter", "meter%d.tga" % size), ("storage-main", "bar%d.bmp" % size)]))
        if size in FONT:
            s = size / 32.0
            # On the dark body, not on the Today background: white with a dark glow.
            sections.append(text_section("storage-main", size, [0, int(3 * s), size, int(19 * s)], FONT[size],
                                         colour="255,255,255"))
    sections.append(("colors-storage-main", [("color1", "10,225,60,45"), ("color2", "25,245,170,35"),
                                             ("color3", "100,70,150,235")]))
    write_ini(os.path.join(folder, "meter.ini"), sections)


# ---------------------------------------------------------------- storage card (reveal, vertical)


def storage_card(folder):
    sections = [("general", [("type", "reveal")])]
    for size in SIZES:
        # With a value text the card takes the upper part; without (16) the middle.
        dy = 0.0 if size in FONT else 0.17
        outline = [(x, y + dy) for x, y in [(0.26, 0.03), (0.62, 0.03), (0.76, 0.15), (0.76, 0.62), (0.26, 0.62)]]
        inner = [(x, y + dy) for x, y in [(0.31, 0.08), (0.60, 0.08), (0.71, 0.18), (0.71, 0.57), (0.31, 0.57)]]
        meter = Canvas(size, size)
        shape = polygon(outline)
        meter.paint(shape.moved(0, px_w(size, 1)), BLACK, 0.3)
        meter.paint(shape.grown(stroke(size, size / 28.0)), (210, 216, 226))
        meter.paint(shape, (32, 36, 44), 0.85)
        for k in range(4):
            x = 0.33 + k * 0.09
            meter.paint(rect(x, 0.07 + dy, x + 0.045, 0.15 + dy), (230, 200, 110))
        save(folder, "meter%d.tga" % size, meter)

        fill = Canvas(size, size)
        fill.paint(polygon(inner) & rect(0, 0.18 + dy, 1, 1),
                   gradient(lighter(ORANGE, 0.35), darker(ORANGE, 0.2), 0.18 + dy, 0.57 + dy))
        save(folder, "card%d.tga" % size, fill)
        sections.append(("%d" % size, [("meter", "meter%d.tga" % size), ("storage-card", "card%d.tga" % size)]))
        if size in FONT:
            s = size / 32.0
            sections.append(text_section("storage-card", size, [0, int(19 * s), size, int(32 * s)], FONT[size]))
    write_ini(os.path.join(folder, "meter.ini"), sections)


METERS = [
    ("battery-default", battery_default),
    ("memory-default", memory_default),
    ("backup-battery", backup_battery),
    ("main-storage", main_storage),
    ("storage-card", storage_card),
]


def main():
    only = sys.argv[1] if len(sys.argv) > 1 else None
    for name, draw in METERS:
        if only and only != name:
            continue
        folder = os.path.join(ROOT, name)
        os.makedirs(folder, exist_ok=True)
        draw(folder)
        print("meters/%s" % name)


if __name__ == "__main__":
    main()

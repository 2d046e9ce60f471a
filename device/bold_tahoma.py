"""The device's bold Tahoma.

Wine's own Tahoma Bold draws bold only up to 12 pixels, from its bitmap strikes:
its outlines, used at every larger size, are the regular ones, and its strikes of
13, 15 and 16 pixels are regular bitmaps. So bold text drew regular at every VGA
size and at 10 points in QVGA. The device gets a Tahoma Bold whose outlines are
thickened, with the same advance widths, without the strikes from 13 pixels on,
and with a newer revision, so that Wine takes it in place of its own.

Reads only the font file Wine ships; glyph outlines and tables are rewritten,
everything else is copied as it stands."""
import math
import struct

# How much thicker the outlines get, in font units (2048 to the em): the stems
# of a bold face are about 0.07 em wider than the regular ones, the bars less.
THICKEN_X, THICKEN_Y = 140, 60
# Strikes from this size on are dropped: the thickened outlines draw them.
FIRST_OUTLINE_PPEM = 13


def _checksum(data):
    data = data + b'\0' * (-len(data) % 4)
    return sum(struct.unpack(f'>{len(data) // 4}I', data)) & 0xFFFFFFFF


def _read_tables(font):
    count = struct.unpack('>H', font[4:6])[0]
    tables = {}
    for i in range(count):
        tag, _, offset, length = struct.unpack('>4sIII', font[12 + 16 * i:28 + 16 * i])
        if offset + length > len(font):
            raise ValueError(f'table {tag!r} lies outside the file')
        tables[tag.decode('latin-1')] = font[offset:offset + length]
    return tables


def _write_font(version, tables):
    tags = sorted(tables)
    count = len(tags)
    selector = int(math.log2(count))
    search = (2 ** selector) * 16
    header = struct.pack('>4sHHHH', version, count, search, selector, count * 16 - search)
    offset = 12 + 16 * count
    directory, body = b'', b''
    for tag in tags:
        data = tables[tag]
        directory += struct.pack('>4sIII', tag.encode('latin-1'), _checksum(data), offset + len(body), len(data))
        body += data + b'\0' * (-len(data) % 4)
    font = bytearray(header + directory + body)
    head = offset + sum(len(tables[t]) + (-len(tables[t]) % 4) for t in tags[:tags.index('head')])
    struct.pack_into('>I', font, head + 8, (0xB1B0AFBA - _checksum(bytes(font))) & 0xFFFFFFFF)
    return bytes(font)


def _parse_simple_glyph(glyph, contours):
    ends = list(struct.unpack(f'>{contours}H', glyph[10:10 + 2 * contours]))
    points = ends[-1] + 1
    pos = 10 + 2 * contours
    length = struct.unpack('>H', glyph[pos:pos + 2])[0]
    instructions = glyph[pos + 2:pos + 2 + length]
    pos += 2 + length
    flags = []
    while len(flags) < points:
        flag = glyph[pos]
        pos += 1
        flags.append(flag)
        if flag & 8:
            flags += [flag] * glyph[pos]
            pos += 1
    del flags[points:]
    axes = []
    for short, same in ((2, 16), (4, 32)):
        value, values = 0, []
        for flag in flags:
            if flag & short:
                value += glyph[pos] if flag & same else -glyph[pos]
                pos += 1
            elif not flag & same:
                value += struct.unpack('>h', glyph[pos:pos + 2])[0]
                pos += 2
            values.append(value)
        axes.append(values)
    return ends, [flag & 1 for flag in flags], list(zip(*axes)), instructions


def _unit(a, b):
    dx, dy = b[0] - a[0], b[1] - a[1]
    length = math.hypot(dx, dy)
    return (dx / length, dy / length) if length else None


def _area(contour):
    return sum(x0 * y1 - x1 * y0 for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]))


def _winding(point, contours):
    x, y = point
    winding = 0
    for contour in contours:
        for (x0, y0), (x1, y1) in zip(contour, contour[1:] + contour[:1]):
            cross = (x1 - x0) * (y - y0) - (x - x0) * (y1 - y0)
            if y0 <= y < y1 and cross > 0:
                winding += 1
            elif y1 <= y < y0 and cross < 0:
                winding -= 1
    return winding


def _ink_on_left(contour, contours):
    """Whether the ink lies to the left of the contour's direction: found at the
    first edge, longest first, with ink on one side only (an edge inside another
    contour has ink on both); by the contour's direction when there is none."""
    edges = sorted(zip(contour, contour[1:] + contour[:1]),
                   key=lambda e: -((e[1][0] - e[0][0]) ** 2 + (e[1][1] - e[0][1]) ** 2))
    for a, b in edges:
        direction = _unit(a, b)
        if direction is None:
            break
        middle = ((a[0] + b[0]) / 2, (a[1] + b[1]) / 2)
        left = (middle[0] - direction[1] * 3, middle[1] + direction[0] * 3)
        right = (middle[0] + direction[1] * 3, middle[1] - direction[0] * 3)
        ink_left, ink_right = _winding(left, contours) != 0, _winding(right, contours) != 0
        if ink_left != ink_right:
            return ink_left
    return _area(contour) > 0


def thicken(ends, points, half_x, half_y):
    """Every point moves along the bisector of its two edges' normals, away from
    the ink, so that each edge moves half_x/half_y: outlines grow, holes shrink.
    The ink's side is looked up for each contour (fonts do not always draw every
    contour the same way round, and some contours overlap)."""
    contours, start = [], 0
    for end in ends:
        contours.append(points[start:end + 1])
        start = end + 1
    moved = []
    for contour in contours:
        # The normal used below is the left-hand one; with the ink on the left it points the other way.
        sign = -1.0 if _ink_on_left(contour, contours) else 1.0
        for i, here in enumerate(contour):
            before, after = contour[i - 1], contour[(i + 1) % len(contour)]
            incoming, outgoing = _unit(before, here), _unit(here, after)
            incoming, outgoing = incoming or outgoing, outgoing or incoming
            if incoming is None:
                moved.append(here)
                continue
            n_in = (-incoming[1] * sign, incoming[0] * sign)
            n_out = (-outgoing[1] * sign, outgoing[0] * sign)
            # A sharp corner would throw its point far out: limited to twice the offset.
            scale = max(1 + n_in[0] * n_out[0] + n_in[1] * n_out[1], 0.5)
            moved.append((round(here[0] + (n_in[0] + n_out[0]) / scale * half_x),
                          round(here[1] + (n_in[1] + n_out[1]) / scale * half_y)))
    return moved


def _simple_glyph(ends, on_curve, points, instructions):
    xs, ys = [p[0] for p in points], [p[1] for p in points]
    glyph = struct.pack('>hhhhh', len(ends), min(xs), min(ys), max(xs), max(ys))
    glyph += struct.pack(f'>{len(ends)}H', *ends) + struct.pack('>H', len(instructions)) + instructions
    glyph += bytes(on_curve)
    for axis in (xs, ys):
        previous = 0
        for value in axis:
            glyph += struct.pack('>h', value - previous)
            previous = value
    return glyph


def make_bold_tahoma(source, target):
    """Writes the thickened Tahoma Bold made from Wine's tahomabd.ttf at source."""
    font = open(source, 'rb').read()
    tables = _read_tables(font)
    head = bytearray(tables['head'])
    long_offsets = struct.unpack('>h', head[50:52])[0] == 1
    glyph_count = struct.unpack('>H', tables['maxp'][4:6])[0]
    if long_offsets:
        offsets = struct.unpack(f'>{glyph_count + 1}I', tables['loca'][:4 * (glyph_count + 1)])
    else:
        offsets = [2 * v for v in struct.unpack(f'>{glyph_count + 1}H', tables['loca'][:2 * (glyph_count + 1)])]
    metric_count = struct.unpack('>H', tables['hhea'][34:36])[0]
    hmtx = bytearray(tables['hmtx'])
    glyf, new_offsets = b'', []
    for index in range(glyph_count):
        glyph = tables['glyf'][offsets[index]:offsets[index + 1]]
        contours = struct.unpack('>h', glyph[:2])[0] if len(glyph) >= 10 else 0
        if contours > 0:
            ends, on_curve, points, instructions = _parse_simple_glyph(glyph, contours)
            points = thicken(ends, points, THICKEN_X / 2, THICKEN_Y / 2)
            glyph = _simple_glyph(ends, on_curve, points, instructions)
            # The left side bearing follows the glyph's new left edge, so the origin stays.
            lsb = 4 * index + 2 if index < metric_count else 4 * metric_count + 2 * (index - metric_count)
            struct.pack_into('>h', hmtx, lsb, min(p[0] for p in points))
        new_offsets.append(len(glyf))
        glyf += glyph + b'\0' * (-len(glyph) % 4)
    new_offsets.append(len(glyf))
    tables['glyf'] = glyf
    tables['loca'] = struct.pack(f'>{len(new_offsets)}I', *new_offsets)
    tables['hmtx'] = bytes(hmtx)
    struct.pack_into('>h', head, 50, 1)
    # A newer revision: Wine keeps the newest of two faces with the same name.
    struct.pack_into('>I', head, 4, struct.unpack('>I', head[4:8])[0] + 0x10000)
    struct.pack_into('>I', head, 8, 0)
    tables['head'] = bytes(head)
    if 'EBLC' in tables:
        # The size records are rewritten in place; the index arrays they point to stay where they are.
        eblc = bytearray(tables['EBLC'])
        records = [bytes(eblc[8 + 48 * i:56 + 48 * i]) for i in range(struct.unpack('>I', eblc[4:8])[0])]
        kept = [r for r in records if r[45] < FIRST_OUTLINE_PPEM]
        for i, record in enumerate(kept):
            eblc[8 + 48 * i:56 + 48 * i] = record
        struct.pack_into('>I', eblc, 4, len(kept))
        tables['EBLC'] = bytes(eblc)
    with open(target, 'wb') as out:
        out.write(_write_font(font[:4], tables))

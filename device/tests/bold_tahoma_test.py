#!/usr/bin/env python3
"""The device's bold Tahoma, made from Wine's: every glyph reads back with its
points, drawn thicker by the set amount on both sides; the advance widths, the
composite glyphs and the small bitmap strikes stay as they were; the revision is
newer than Wine's, so that Wine takes our face."""
import struct
import sys
import tempfile
from pathlib import Path

sys.path.insert(0, str(Path(__file__).resolve().parents[1]))
import bold_tahoma as bt  # noqa: E402

WINE_BOLD = Path('/usr/share/wine/fonts/tahomabd.ttf')


def glyphs(font):
    tables = bt._read_tables(font)
    count = struct.unpack('>H', tables['maxp'][4:6])[0]
    if struct.unpack('>h', tables['head'][50:52])[0] == 1:
        loca = struct.unpack(f'>{count + 1}I', tables['loca'][:4 * (count + 1)])
    else:
        loca = [2 * v for v in struct.unpack(f'>{count + 1}H', tables['loca'][:2 * (count + 1)])]
    result = []
    for i in range(count):
        glyph = tables['glyf'][loca[i]:loca[i + 1]]
        contours = struct.unpack('>h', glyph[:2])[0] if len(glyph) >= 10 else 0
        if contours > 0:
            ends, on_curve, points, instructions = bt._parse_simple_glyph(glyph, contours)
            box = struct.unpack('>hhhh', glyph[2:10])
            result.append(('simple', ends, on_curve, points, instructions, box))
        else:
            result.append(('other', glyph))
    return tables, result


def advances(tables):
    count = struct.unpack('>H', tables['hhea'][34:36])[0]
    return [struct.unpack('>H', tables['hmtx'][4 * i:4 * i + 2])[0] for i in range(count)]


def strikes(tables):
    eblc = tables['EBLC']
    return sorted(eblc[8 + 48 * i + 45] for i in range(struct.unpack('>I', eblc[4:8])[0]))


def fail(text):
    print('FAIL ' + text)
    sys.exit(1)


def main():
    if not WINE_BOLD.exists():
        fail(f'no {WINE_BOLD} (the fonts-wine package)')
    with tempfile.TemporaryDirectory() as folder:
        made = Path(folder) / 'tahomabd.ttf'
        bt.make_bold_tahoma(WINE_BOLD, made)
        before_tables, before = glyphs(WINE_BOLD.read_bytes())
        after_bytes = made.read_bytes()
        after_tables, after = glyphs(after_bytes)
    if bt._checksum(after_bytes) != 0xB1B0AFBA:
        fail('the file checksum does not add up')
    if len(before) != len(after):
        fail(f'{len(after)} glyphs instead of {len(before)}')
    grown, simple = 0, 0
    for index, (old, new) in enumerate(zip(before, after)):
        if old[0] != new[0] or (old[0] == 'other' and old[1] != new[1]):
            fail(f'glyph {index} changed its kind or its composite data')
        if old[0] != 'simple':
            continue
        simple += 1
        _, ends, on_curve, points, instructions, box = old
        _, new_ends, new_on, new_points, new_instructions, new_box = new
        if (ends, on_curve, instructions) != (new_ends, new_on, new_instructions) or len(points) != len(new_points):
            fail(f'glyph {index} lost its contours, curve flags or instructions')
        if new_box != (min(p[0] for p in new_points), min(p[1] for p in new_points),
                       max(p[0] for p in new_points), max(p[1] for p in new_points)):
            fail(f'glyph {index}: its box {new_box} is not the box of its points')
        wider = (new_box[2] - new_box[0]) - (box[2] - box[0])
        taller = (new_box[3] - new_box[1]) - (box[3] - box[1])
        # Thicker on the filled side's outer edges: never thinner, and at least by
        # the set amount wherever the glyph's extreme is a flat edge.
        if wider < bt.THICKEN_X - 2 or taller < bt.THICKEN_Y - 2:
            fail(f'glyph {index} grew by {wider} x {taller} units only')
        if wider <= 2 * bt.THICKEN_X and taller <= 2 * bt.THICKEN_Y:
            grown += 1
    if simple < 200 or grown < simple * 0.9:
        fail(f'only {grown} of {simple} outline glyphs grew by about the set amount')
    if advances(before_tables) != advances(after_tables):
        fail('advance widths changed')
    old_revision = struct.unpack('>I', before_tables['head'][4:8])[0]
    new_revision = struct.unpack('>I', after_tables['head'][4:8])[0]
    if new_revision <= old_revision:
        fail(f'revision {new_revision:#x} is not newer than {old_revision:#x}')
    kept = [s for s in strikes(before_tables) if s < bt.FIRST_OUTLINE_PPEM]
    if strikes(after_tables) != kept or not kept:
        fail(f'strikes {strikes(after_tables)} instead of {kept}')
    print(f'ok bold_tahoma: {simple} outline glyphs thickened, strikes {kept}')
    return 0


if __name__ == '__main__':
    sys.exit(main())

#!/usr/bin/env bash
# Regenerates the image fixtures: a test picture drawn here, written as TGA and
# PNG by ImageMagick, and ImageMagick's own reading of each file as raw RGBA
# (straight alpha), which the decoder tests compare against.
set -euo pipefail
cd "$(dirname "$0")"
python3 - <<'PY'
import random
random.seed(20240607)
w, h = 150, 9
rows = []
for y in range(h):
    row = []
    for x in range(w):
        if y == 2 and x < 140:          # one long run: run-length packets of 128 and more
            px = (10, 200, 30, 255)
        elif y == 4:                    # transparent row with a colour that must survive
            px = (x % 256, 255 - x % 256, 77, 0)
        elif y == 6:                    # alpha ramp
            px = (255, 128, 0, (x * 255) // (w - 1))
        else:
            px = tuple(random.randrange(256) for _ in range(3)) + (random.choice([0, 1, 128, 254, 255]),)
        row.append(px)
    rows.append(row)
with open("source.pam", "wb") as f:
    f.write(b"P7\nWIDTH %d\nHEIGHT %d\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n" % (w, h))
    for row in rows:
        for px in row:
            f.write(bytes(px))
PY
convert source.pam -depth 8 im32.tga
convert source.pam -depth 8 -compress RLE im32rle.tga
convert source.pam -depth 8 -alpha off im24.tga
convert source.pam -depth 8 -alpha off -compress RLE im24rle.tga
convert source.pam -depth 8 PNG32:im32.png
for f in im32.tga im32rle.tga im24.tga im24rle.tga im32.png; do
    convert "$f" -depth 8 "rgba:${f%.*}_${f##*.}.rgba"
done
rm -f source.pam

#!/usr/bin/env bash
# Builds artwork/out/contact_sheet.png: every picture decoded as the launcher
# decodes it (norvane-image), at 1x and 2x, over a dark and a light background.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
tool="${NORVANE_IMAGE:-$here/../build/native/tools/norvane-image/norvane-image}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
for f in "$here"/out/theme/*.tga; do
    case "$f" in *top_indicator*) continue ;; esac
    "$tool" decode "$f" "$work/$(basename "${f%.tga}").pam"
    convert "$work/$(basename "${f%.tga}").pam" "$work/$(basename "${f%.tga}").png"
    rm "$work/$(basename "${f%.tga}").pam"
done
cp "$here"/out/builtin/*.png "$work/"
sheet() { # background colour, output
    montage "$work"/*.png -background "$1" -fill "$3" -pointsize 8 -label '%t' -geometry '64x64+6+6>' \
        -gravity center -tile 14x "$2"
}
sheets="$(mktemp -d)"
sheet '#20252c' "$sheets/dark.png" '#c0c8d0'
sheet '#f4f6f8' "$sheets/light.png" '#303840'
convert "$sheets/dark.png" "$sheets/light.png" -append "$here/out/contact_sheet.png"
rm -rf "$sheets"
# The same at 2x without labels, nearest neighbour, to judge the pixels.
montage "$work"/*.png -background '#20252c' -filter point -resize 200% -geometry '+4+4' -tile 20x \
    "$here/out/contact_sheet_zoom.png"

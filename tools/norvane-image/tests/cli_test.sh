#!/usr/bin/env bash
# Runs the norvane-image program itself: the PAM it writes for ImageMagick's own
# TGA files, and the exit status and message for each kind of file it refuses.
set -u
tool="$1"
data="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
fail=0
expect() { # expected-code description command...
    local want="$1" what="$2"
    shift 2
    "$@" >"$dir/out" 2>"$dir/err"
    local got=$?
    if [ "$got" != "$want" ]; then
        echo "FAIL: $what: exit $got, expected $want"
        cat "$dir/out" "$dir/err"
        fail=1
    fi
}
refused() { # description message file
    expect 1 "$1" "$tool" decode "$3" "$dir/out.pam"
    grep -qF "refused: $2" "$dir/err" || { echo "FAIL: $1: said $(cat "$dir/err")"; fail=1; }
}
header() { # type width height depth [colour-map type]: an 18-byte TGA header
    printf "\\000\\$(printf %03o "${5:-0}")\\$(printf %03o "$1")\\000\\000\\000\\000\\000\\000\\000\\000\\000"
    printf "\\$(printf %03o $(($2 & 255)))\\$(printf %03o $(($2 >> 8)))"
    printf "\\$(printf %03o $(($3 & 255)))\\$(printf %03o $(($3 >> 8)))\\$(printf %03o "$4")\\000"
}

# The launcher's reading of ImageMagick's files, as PAM with the top row first:
# these files store the bottom row first, as ImageMagick's raw RGBA keeps them.
for name in im32 im32rle im24 im24rle; do
    expect 0 "decode $name" "$tool" decode "$data/$name.tga" "$dir/$name.pam"
    python3 - "$dir/$name.pam" "$data/${name}_tga.rgba" <<'PY' || { echo "FAIL: $name.pam"; fail=1; }
import sys
pam, rgba = open(sys.argv[1], "rb").read(), open(sys.argv[2], "rb").read()
head = b"P7\nWIDTH 150\nHEIGHT 9\nDEPTH 4\nMAXVAL 255\nTUPLTYPE RGB_ALPHA\nENDHDR\n"
rows = [rgba[i:i + 600] for i in range(0, len(rgba), 600)]
sys.exit(pam != head + b"".join(reversed(rows)))
PY
done

expect 2 "no arguments" "$tool"
grep -q "usage: norvane-image" "$dir/err" || { echo "FAIL: usage text missing"; fail=1; }
expect 2 "unknown command" "$tool" encode "$data/im32.tga" "$dir/x.pam"
refused "missing file" "the file cannot be read" "$dir/none.tga"
head -c 17 "$data/im32.tga" >"$dir/short.tga"
refused "short file" "the file is shorter than a TGA header" "$dir/short.tga"
header 1 2 2 32 1 >"$dir/mapped.tga"
refused "colour map" "colour-mapped TGA files are not supported" "$dir/mapped.tga"
header 3 2 2 32 >"$dir/grey.tga"
refused "grey image" "only true-colour TGA images (types 2 and 10) are supported" "$dir/grey.tga"
header 2 2 2 16 >"$dir/16bit.tga"
refused "16-bit pixels" "only 24- and 32-bit pixels are supported" "$dir/16bit.tga"
header 2 0 2 32 >"$dir/empty.tga"
refused "no pixels" "the image has no pixels" "$dir/empty.tga"
head -c 5000 "$data/im32.tga" >"$dir/cut.tga"
refused "cut raw pixels" "the pixel data is incomplete" "$dir/cut.tga"
{ header 10 65535 257 32; head -c 700000 /dev/zero; } >"$dir/huge.tga"
refused "too many pixels" "the image is too large" "$dir/huge.tga"
refused "other extension" "theme images end in .tga or .png" "$data/im32_tga.rgba"
refused "PNG without the imaging service" "PNG files need the imaging service" "$data/im32.png"
expect 1 "unwritable output" "$tool" decode "$data/im32.tga" "$dir/no/such/folder.pam"
grep -q "cannot write" "$dir/err" || { echo "FAIL: unwritable output: said $(cat "$dir/err")"; fail=1; }
exit $fail

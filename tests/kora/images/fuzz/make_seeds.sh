#!/usr/bin/env bash
# Writes the fuzzers' seed corpus: small valid files of every kind the readers load, some
# written by ImageMagick, some built byte by byte (RLE8 deltas and absolute runs, PCX pads).
# Run from anywhere; the files go to corpus/bmp and corpus/pcx next to this script.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
convert=$(command -v convert-im6.q16 || command -v convert)
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
mkdir -p "$here/corpus/bmp" "$here/corpus/pcx"

# Source pictures: 5 x 3 true colour, 7 x 5 with 35 colours, 9 x 4 mostly flat (for runs).
python3 - "$tmp" <<'PY'
import sys
d = sys.argv[1]
def ppm(name, w, h, f):
    with open(f"{d}/{name}", "wb") as out:
        out.write(b"P6 %d %d 255\n" % (w, h))
        out.write(bytes(c for y in range(h) for x in range(w) for c in f(x, y)))
ppm("tc.ppm", 5, 3, lambda x, y: ((x * 37 + y * 11) & 255, (x * y * 3 + 17) & 255, (x * 5 + y * 71) & 255))
ppm("pal.ppm", 7, 5, lambda x, y: ((x + 7 * y) * 13 & 255, (x + 7 * y) * 101 & 255, 50))
ppm("flat.ppm", 9, 4, lambda x, y: (200, 10, 10) if x < 6 else ((x * 40) & 255, y * 60, 0))
PY
"$convert" "$tmp/tc.ppm" -type TrueColor "BMP3:$here/corpus/bmp/im_24bit_5x3.bmp"
"$convert" "$tmp/pal.ppm" -type Palette -compress None "BMP3:$here/corpus/bmp/im_8bit_raw_7x5.bmp"
"$convert" "$tmp/pal.ppm" -type Palette -compress RLE "BMP3:$here/corpus/bmp/im_rle8_7x5.bmp"
"$convert" "$tmp/flat.ppm" -type Palette -compress RLE "BMP3:$here/corpus/bmp/im_rle8_runs_9x4.bmp"
"$convert" "$tmp/pal.ppm" -type Palette "PCX:$here/corpus/pcx/im_palette_7x5.pcx"
"$convert" "$tmp/flat.ppm" -type Palette "PCX:$here/corpus/pcx/im_palette_runs_9x4.pcx"
"$convert" "$tmp/tc.ppm" -type TrueColor "PCX:$here/corpus/pcx/im_planes_5x3.pcx"

python3 - "$here/corpus" <<'PY'
import struct, sys
d = sys.argv[1]
def bmp(w, h, bits, comp, body):
    pal = b"".join(bytes((i, 255 - i, i // 2, 0)) for i in range(256)) if bits == 8 else b""
    head = struct.pack("<2sIHHIIiiHHIIiiII", b"BM", 54 + len(pal) + len(body), 0, 0,
                       54 + len(pal), 40, w, h, 1, bits, comp, len(body), 2835, 2835,
                       256 if bits == 8 else 0, 0)
    return head + pal + body
# RLE8 with every code: run, absolute run (odd, with pad), delta, end of line, end of bitmap.
rle = bytes([3, 5, 0, 3, 1, 2, 3, 0, 0, 0,  0, 2, 1, 0, 2, 9, 0, 0,  0, 4, 7, 8, 9, 10, 0, 1])
open(f"{d}/bmp/rle8_codes_6x3.bmp", "wb").write(bmp(6, 3, 8, 1, rle))
open(f"{d}/bmp/raw8_pad_3x2.bmp", "wb").write(bmp(3, 2, 8, 0, bytes([1, 2, 3, 0, 4, 5, 6, 0])))
open(f"{d}/bmp/raw24_1x1.bmp", "wb").write(bmp(1, 1, 24, 0, bytes([1, 2, 3, 0])))
def pcx(w, h, planes, bpl, data, palette=True):
    head = struct.pack("<BBBBHHHHHH48sBBHHHH54s", 10, 5, 1, 8, 0, 0, w - 1, h - 1, 72, 72,
                       b"", 0, planes, bpl, 1, 0, 0, b"")
    tail = bytes([12]) + b"".join(bytes((255 - i, i, i // 3)) for i in range(256)) if palette else b""
    return head + data + tail
open(f"{d}/pcx/palette_pad_3x2.pcx", "wb").write(pcx(3, 2, 1, 4, bytes([1, 0xC2, 2, 0, 0xC4, 7])))
open(f"{d}/pcx/planes_pad_3x1.pcx", "wb").write(
    pcx(3, 1, 3, 4, bytes([0xC3, 9, 0, 1, 2, 3, 0xEE, 0xC0, 5, 0xC4, 0xC1]), palette=False))
PY
ls -l "$here/corpus/bmp" "$here/corpus/pcx"

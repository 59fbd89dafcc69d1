#!/usr/bin/env bash
# Regenerates notifier_skin.bmp (the popup's skin, resource bitmap 130) from notifier_skin.svg.
#
#   tray/art/make_skin.sh
#
# Needs rsvg-convert (librsvg2-bin) and ImageMagick. ImageMagick is called as /usr/bin/convert on
# purpose: other programs named convert may come first on the PATH.
#
# The result is a 150 x 105 Windows bitmap with a 40-byte information header, 24 bits per pixel,
# uncompressed, rows bottom-up, followed by two zero bytes, so that the resource holds 47,502 bytes
# as the skin always has.
set -euo pipefail
cd "$(dirname "$0")"
convert=/usr/bin/convert
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

rsvg-convert --width 150 --height 105 notifier_skin.svg -o "$tmp/skin.png"
"$convert" "$tmp/skin.png" -background 'rgb(221,224,224)' -alpha remove -alpha off \
    -type TrueColor -define bmp:format=bmp3 BMP3:"$tmp/skin.bmp"

python3 - "$tmp/skin.bmp" notifier_skin.bmp <<'PY'
import struct, sys
data = bytearray(open(sys.argv[1], "rb").read())
assert data[:2] == b"BM", "not a bitmap"
header, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
assert (header, width, height, planes, bits, compression) == (40, 150, 105, 1, 24, 0), \
    (header, width, height, planes, bits, compression)
offset = struct.unpack_from("<I", data, 10)[0]
row = (width * 3 + 3) & ~3
pixels = data[offset:offset + row * height]
assert len(pixels) == row * height
# File header, information header, pixel rows (no colour table) and the two trailing bytes.
info = bytearray(data[14:54])
struct.pack_into("<I", info, 20, len(pixels))  # biSizeImage
body = bytes(info) + bytes(pixels) + b"\0\0"
out = struct.pack("<2sIHHI", b"BM", 14 + len(body), 0, 0, 54) + body
assert len(out) - 14 == 47502, len(out) - 14
open(sys.argv[2], "wb").write(out)
PY
echo "wrote $(pwd)/notifier_skin.bmp"

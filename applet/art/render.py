#!/usr/bin/env python3
"""Regenerates the applet's pictures from their SVG sources in this folder.

    applet/art/render.py

Needs rsvg-convert (package librsvg2-bin) and ImageMagick's convert (package imagemagick). Writes:

- lamp-red.bmp, lamp-orange.bmp, lamp-blue.bmp (bitmaps 3007, 3010, 3012) and background.bmp
  (bitmap 3023): 24-bit bottom-up BMPs with a 40-byte header, as LoadImage expects.
- applet.ico (icon group 3002) from icon.svg: 256, 48, 32, 24 and 16 pixels, each in 16 colours,
  256 colours and 32-bit colour with an alpha channel (fifteen images). The paletted images take
  their transparency from a 1-bit mask; the 256-pixel 32-bit image is stored as PNG, the others as
  device-independent bitmaps.

The outputs are committed beside the sources; run this after changing an SVG and commit both.
"""

import os
import shutil
import struct
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
BITMAPS = ["lamp-red", "lamp-orange", "lamp-blue", "background"]
ICON_SIZES = [256, 48, 32, 24, 16]


def convert_tool():
    # Some machines put a stand-in called convert ahead of ImageMagick on the PATH.
    for candidate in ("/usr/bin/convert", shutil.which("convert")):
        if candidate and Path(candidate).exists():
            return candidate
    sys.exit("render.py: ImageMagick's convert is missing (apt-get install imagemagick)")


CONVERT = convert_tool()


def run(*args, **kwargs):
    return subprocess.run(args, check=True, **kwargs)


def rasterise(svg, png, size=None):
    size_args = ["-w", str(size), "-h", str(size)] if size else []
    run("rsvg-convert", *size_args, "-o", str(png), str(svg))


def raw_pixels(png, *options, channels="RGBA"):
    """Pixels of png after the given convert options, top row first, `channels` bytes each."""
    result = run(CONVERT, str(png), *options, "-depth", "8", f"{channels}:-", capture_output=True)
    return result.stdout


def make_bitmap(name, work):
    png = work / f"{name}.png"
    rasterise(HERE / f"{name}.svg", png)
    out = HERE / f"{name}.bmp"
    run(CONVERT, str(png), "-background", "white", "-alpha", "remove", "-type", "TrueColor",
        f"BMP3:{out}")
    check_bmp(out)


def check_bmp(path):
    data = path.read_bytes()
    header_size, width, height, planes, bits, compression = struct.unpack_from("<IiiHHI", data, 14)
    if (header_size, planes, bits, compression) != (40, 1, 24, 0) or height <= 0:
        sys.exit(f"render.py: {path.name} is not a 24-bit bottom-up BMP with a 40-byte header")
    print(f"{path.name}: {width} x {height}, 24 bits")


def row_bytes(width, bits):
    return ((width * bits + 31) // 32) * 4


def and_mask(alpha, size):
    """The 1-bit mask of a paletted icon image: set where the pixel is transparent."""
    rows = []
    stride = row_bytes(size, 1)
    for y in range(size):
        row = bytearray(stride)
        for x in range(size):
            if alpha[y * size + x] < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        rows.append(bytes(row))
    return b"".join(reversed(rows))


def paletted_dib(png, size, colours):
    """A 4- or 8-bit icon image: colours quantised without dithering, transparency as a mask."""
    bits = 4 if colours <= 16 else 8
    alpha = raw_pixels(png, "-alpha", "extract", channels="GRAY")
    # One palette entry stays black for the transparent pixels.
    rgb = raw_pixels(png, "-background", "#f0f0f0", "-alpha", "remove", "+dither", "-colors",
                     str(colours - 1), channels="RGB")
    palette = [(0, 0, 0)]
    indices = []
    for i in range(size * size):
        if alpha[i] < 128:
            indices.append(0)
            continue
        colour = tuple(rgb[3 * i:3 * i + 3])
        if colour not in palette:
            palette.append(colour)
        indices.append(palette.index(colour))
    if len(palette) > colours:
        sys.exit(f"render.py: {len(palette)} colours do not fit a {bits}-bit palette")
    palette += [(0, 0, 0)] * (2 ** bits - len(palette))
    stride = row_bytes(size, bits)
    rows = []
    for y in range(size):
        row = bytearray(stride)
        for x in range(size):
            index = indices[y * size + x]
            if bits == 8:
                row[x] = index
            else:
                row[x // 2] |= index << (4 if x % 2 == 0 else 0)
        rows.append(bytes(row))
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, 2 ** bits, 0)
    colour_table = b"".join(struct.pack("<BBBB", b, g, r, 0) for r, g, b in palette)
    return header + colour_table + b"".join(reversed(rows)) + and_mask(alpha, size), bits


def truecolour_dib(png, size):
    rgba = raw_pixels(png)
    rows = []
    for y in range(size):
        row = bytearray()
        for x in range(size):
            r, g, b, a = rgba[4 * (y * size + x):4 * (y * size + x) + 4]
            row += bytes((b, g, r, a))
        rows.append(bytes(row))
    alpha = rgba[3::4]
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 32, 0, 0, 0, 0, 0, 0)
    return header + b"".join(reversed(rows)) + and_mask(alpha, size)


def make_icon(work):
    images = []  # (size, colour count, bits, data)
    for size in ICON_SIZES:
        png = work / f"icon-{size}.png"
        rasterise(HERE / "icon.svg", png, size)
        for colours in (16, 256):
            data, bits = paletted_dib(png, size, colours)
            images.append((size, colours, bits, data))
        data = png.read_bytes() if size == 256 else truecolour_dib(png, size)
        images.append((size, 0, 32, data))
    directory = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    blobs = b""
    for size, colours, bits, data in images:
        directory += struct.pack("<BBBBHHII", size % 256, size % 256, colours % 256, 0, 1, bits,
                                 len(data), offset + len(blobs))
        blobs += data
    out = HERE / "applet.ico"
    out.write_bytes(directory + blobs)
    print(f"{out.name}: {len(images)} images")


def main():
    for tool in ("rsvg-convert",):
        if not shutil.which(tool):
            sys.exit(f"render.py: {tool} is missing (apt-get install librsvg2-bin)")
    with tempfile.TemporaryDirectory() as temp:
        work = Path(temp)
        for name in BITMAPS:
            make_bitmap(name, work)
        make_icon(work)


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Regenerates tevra_tray.ico from battery.svg.

    python3 tray/art/make_icon.py

Needs rsvg-convert (librsvg2-bin) to draw the picture and ImageMagick's /usr/bin/convert to reduce
it to 16 and 256 colours. Every size (16, 24, 32, 48, 256 px) goes into the icon three times: in
32-bit colour with alpha, in 8-bit and in 4-bit colour with a transparency mask, so that every
display depth finds an image drawn for it. The 32-bit image of 256 px is stored as PNG, the others
as bitmaps. The result is committed; run this after changing the picture.
"""

import struct
import subprocess
import sys
import tempfile
from pathlib import Path

HERE = Path(__file__).resolve().parent
SOURCE = HERE / "battery.svg"
TARGET = HERE / "tevra_tray.ico"
SIZES = (16, 24, 32, 48, 256)
CONVERT = "/usr/bin/convert"  # ImageMagick itself, not a stand-in elsewhere on PATH


def run(*args, stdin=None):
    return subprocess.run(args, input=stdin, stdout=subprocess.PIPE, check=True).stdout


def rgba_pixels(png, size):
    data = run(CONVERT, str(png), "-depth", "8", "rgba:-")
    assert len(data) == size * size * 4, "unexpected raw size"
    return [tuple(data[i:i + 4]) for i in range(0, len(data), 4)]


def quantized_rgb(png, size, colours):
    """The opaque picture reduced to `colours` colours, without dithering (a dithered 16 px icon
    looks noisy)."""
    data = run(CONVERT, str(png), "-background", "black", "-alpha", "remove", "+dither",
               "-colors", str(colours), "-depth", "8", "rgb:-")
    assert len(data) == size * size * 3, "unexpected raw size"
    return [tuple(data[i:i + 3]) for i in range(0, len(data), 3)]


def and_mask(alpha_rows, size):
    """1 bits where the picture is transparent; rows padded to 32 bits, bottom row first."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for row in reversed(alpha_rows):
        bits = bytearray(stride)
        for x, a in enumerate(row):
            if a < 128:
                bits[x // 8] |= 0x80 >> (x % 8)
        out += bits
    return bytes(out)


def bitmap_header(size, bits, palette_len):
    # The height counts the colour image and the mask together.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, palette_len, 0)


def image_32(pixels, size):
    rows = [pixels[y * size:(y + 1) * size] for y in range(size)]
    body = bytearray()
    for row in reversed(rows):
        for r, g, b, a in row:
            body += bytes((b, g, r, a))
    return bitmap_header(size, 32, 0) + bytes(body) + and_mask([[p[3] for p in r] for r in rows], size)


def image_indexed(pixels, rgb, size, bits):
    """A palette image; transparent pixels use black, which the mask turns into 'see through'."""
    colours = [(0, 0, 0)]
    index = {(0, 0, 0): 0}
    rows_alpha = []
    indices = []
    for y in range(size):
        alpha_row = []
        for x in range(size):
            a = pixels[y * size + x][3]
            alpha_row.append(a)
            colour = rgb[y * size + x] if a >= 128 else (0, 0, 0)
            if colour not in index:
                index[colour] = len(colours)
                colours.append(colour)
            indices.append(index[colour])
        rows_alpha.append(alpha_row)
    limit = 1 << bits
    assert len(colours) <= limit, f"{len(colours)} colours for {bits}-bit"
    colours += [(0, 0, 0)] * (limit - len(colours))
    palette = b"".join(bytes((b, g, r, 0)) for r, g, b in colours)
    stride = ((size * bits + 31) // 32) * 4
    body = bytearray()
    for y in reversed(range(size)):
        row = bytearray(stride)
        for x in range(size):
            i = indices[y * size + x]
            if bits == 8:
                row[x] = i
            else:
                row[x // 2] |= i << (4 if x % 2 == 0 else 0)
        body += row
    return bitmap_header(size, bits, limit) + palette + bytes(body) + and_mask(rows_alpha, size)


def main():
    entries = []
    with tempfile.TemporaryDirectory() as work:
        for size in SIZES:
            png = Path(work) / f"battery{size}.png"
            run("rsvg-convert", "-w", str(size), "-h", str(size), str(SOURCE), "-o", str(png))
            pixels = rgba_pixels(png, size)
            # Colour count 15 and 255: one palette entry stays black for the transparent pixels.
            entries.append((size, 16, 4, image_indexed(pixels, quantized_rgb(png, size, 15), size, 4)))
            entries.append((size, 0, 8, image_indexed(pixels, quantized_rgb(png, size, 255), size, 8)))
            if size == 256:
                data = png.read_bytes()
            else:
                data = image_32(pixels, size)
            entries.append((size, 0, 32, data))

    header = struct.pack("<HHH", 0, 1, len(entries))
    offset = 6 + 16 * len(entries)
    directory = b""
    images = b""
    for size, colour_count, bits, data in entries:
        dim = 0 if size == 256 else size
        directory += struct.pack("<BBBBHHII", dim, dim, colour_count, 0, 1, bits, len(data),
                                 offset + len(images))
        images += data
    TARGET.write_bytes(header + directory + images)
    print(f"wrote {TARGET} ({len(entries)} images)")


if __name__ == "__main__":
    sys.exit(main())

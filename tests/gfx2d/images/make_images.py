#!/usr/bin/python3
"""Writes the small image files of tests/gfx2d/images with the tools people
use (ImageMagick's convert and Pillow, Debian packages imagemagick and
python3-pil), and next to each NAME the pixels two decoders independent of
ours read from it, as NAME.rgba: red, green, blue, alpha bytes, top row first.
The test suite only reads the committed results; run this again (from any
folder) only to change them.

Where the two decoders differ, the expected pixels follow the reading that
does not lose information, and the difference is checked here:
- Narrow bit-field channels (16-bit files): ImageMagick shifts or repeats
  the stored bits and Pillow truncates, so the two disagree by one step now
  and then. The stored step count q (read back from ImageMagick, which keeps
  it in its top bits) is scaled to q * 255 / max, rounded; both readings
  must lie within one of that.
- A 32-bit file with the 40-byte header and no masks: its fourth byte is not
  alpha (Pillow reads it so, ImageMagick takes it as alpha).
"""
import os
import struct
import subprocess
import sys

from PIL import Image

CONVERT = "/usr/bin/convert-im6.q16"
HERE = os.path.dirname(os.path.abspath(__file__))

# 5 x 3 pixels, every channel value different, with the sprite key colour
# (red 255, green 0, blue 128) and a spread of alphas.
COLOURS = [
    (255, 0, 0, 255), (0, 255, 0, 255), (0, 0, 255, 128), (255, 255, 0, 0), (255, 0, 128, 255),
    (16, 32, 48, 255), (200, 100, 50, 64), (0, 0, 0, 255), (255, 255, 255, 255), (8, 16, 24, 200),
    (99, 1, 250, 255), (77, 77, 77, 255), (130, 140, 150, 255), (255, 0, 128, 255), (1, 2, 3, 255),
]


def source(name, mode="RGBA", colours=COLOURS):
    image = Image.new("RGBA", (5, 3))
    image.putdata(colours)
    if mode != "RGBA":
        image = image.convert(mode)
    path = os.path.join(HERE, name)
    image.save(path)
    return path


def magick(args):
    subprocess.run([CONVERT] + args, check=True, cwd=HERE)


def magick_pixels(name):
    out = subprocess.run([CONVERT, name, "-depth", "8", "RGBA:-"], check=True, cwd=HERE,
                         capture_output=True).stdout
    return [tuple(out[i:i + 4]) for i in range(0, len(out), 4)]


def pillow_pixels(name):
    with Image.open(os.path.join(HERE, name)) as image:
        return list(image.convert("RGBA").getdata())


def write_expected(name, pixels):
    with open(os.path.join(HERE, name + ".rgba"), "wb") as out:
        out.write(bytes(v for p in pixels for v in p))


def agreeing(name):
    """Both decoders must read the same pixels; those are expected."""
    a, b = magick_pixels(name), pillow_pixels(name)
    if a != b:
        sys.exit(f"{name}: ImageMagick and Pillow differ:\n{a}\n{b}")
    write_expected(name, a)


def narrow(name, widths):
    """16-bit bit fields: widths are the red, green, blue, alpha bit counts
    (0: no such channel, read as 255 for alpha)."""
    magick_view = magick_pixels(name)
    expected = []
    for pixel in magick_view:
        channels = []
        for value, bits in zip(pixel, widths):
            if bits == 0:
                channels.append(255)
                continue
            steps = value >> (8 - bits)
            top = (1 << bits) - 1
            channels.append((steps * 255 + top // 2) // top)
        expected.append(tuple(channels))
    try:
        pillow_view = pillow_pixels(name)
    except Exception:  # Pillow reads only some mask layouts
        pillow_view = None
    for i, want in enumerate(expected):
        for c in range(3):
            if abs(magick_view[i][c] - want[c]) > 1 and widths[c] >= 5:
                sys.exit(f"{name}: ImageMagick's pixel {i} {magick_view[i]} is far from {want}")
            if pillow_view and abs(pillow_view[i][c] - want[c]) > 1:
                sys.exit(f"{name}: Pillow's pixel {i} {pillow_view[i]} is far from {want}")
    write_expected(name, expected)


def main():
    src = source("src.png")
    opaque = source("opaque.png", "RGB")

    # ImageMagick: the 124-byte header it writes by default, the forms its
    # subtypes give, the OS/2 core header, palettes and run-length rows.
    magick([src, "BMP:argb32-v5.bmp"])
    agreeing("argb32-v5.bmp")
    magick([opaque, "BMP:rgb24-v5.bmp"])
    agreeing("rgb24-v5.bmp")
    magick([opaque, "-colors", "12", "BMP:pal4-v5.bmp"])
    agreeing("pal4-v5.bmp")
    magick([opaque, "-colors", "7", "-compress", "RLE", "BMP3:pal8-rle.bmp"])
    agreeing("pal8-rle.bmp")
    magick([opaque, "-colors", "4", "BMP2:pal4-core.bmp"])
    agreeing("pal4-core.bmp")
    magick([opaque, "-define", "bmp:subtype=RGB565", "BMP:rgb565-v5.bmp"])
    narrow("rgb565-v5.bmp", (5, 6, 5, 0))
    magick([opaque, "-define", "bmp:subtype=RGB555", "BMP:rgb555-v5.bmp"])
    narrow("rgb555-v5.bmp", (5, 5, 5, 0))
    # The core header with 16-bit rows and no masks: five bits a channel.
    magick([opaque, "-type", "TrueColor", "-define", "bmp:subtype=RGB555",
            "BMP2:rgb555-core.bmp"])
    narrow("rgb555-core.bmp", (5, 5, 5, 0))
    # One-bit alpha: only fully transparent or fully opaque pixels.
    halves = [(r, g, b, 0 if a < 128 else 255) for (r, g, b, a) in COLOURS]
    magick([source("halves.png", colours=halves), "-define", "bmp:subtype=ARGB1555",
            "BMP:argb1555-v5.bmp"])
    narrow("argb1555-v5.bmp", (5, 5, 5, 1))
    magick([src, "-define", "bmp:subtype=ARGB4444", "BMP:argb4444-v5.bmp"])
    narrow("argb4444-v5.bmp", (4, 4, 4, 4))

    # Pillow: the 40-byte header with 32-bit rows (alpha bytes in the fourth
    # byte, which that header does not make alpha) and 1-bit rows.
    Image.open(src).save(os.path.join(HERE, "rgb32-pillow.bmp"))
    write_expected("rgb32-pillow.bmp", pillow_pixels("rgb32-pillow.bmp"))
    Image.open(src).convert("1").save(os.path.join(HERE, "pal1-pillow.bmp"))
    agreeing("pal1-pillow.bmp")

    # PNG: grey with alpha (8 bits from Pillow, 16 from ImageMagick) and grey
    # with a transparency chunk.
    Image.open(src).convert("LA").save(os.path.join(HERE, "grey-alpha8.png"))
    agreeing("grey-alpha8.png")
    # (Grey levels are whole 8-bit steps first: ImageMagick rounds a 16-bit
    # level to 8 bits, Pillow and we keep its high byte.)
    magick([src, "-colorspace", "gray", "-depth", "8", "-depth", "16",
            "-define", "png:bit-depth=16", "PNG:grey-alpha16.png"])
    agreeing("grey-alpha16.png")
    grey = Image.open(opaque).convert("L")
    grey.save(os.path.join(HERE, "grey8-trns.png"), transparency=grey.getpixel((1, 1)))
    agreeing("grey8-trns.png")

    for name in ("src.png", "opaque.png", "halves.png"):
        os.remove(os.path.join(HERE, name))


if __name__ == "__main__":
    main()

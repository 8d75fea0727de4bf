#!/usr/bin/env python3
"""Draws the program's fuel-pump icon and writes VANTROK.ico.

Each size (48, 32, 16 px) is drawn by ImageMagick at four times its size and
scaled down, then stored twice: in 32-bit colour with alpha, and in 256
colours with a transparency mask. Run from anywhere: python3 make-icon.py
"""
import pathlib
import struct
import subprocess

HERE = pathlib.Path(__file__).resolve().parent
SIZES = (48, 32, 16)
OVERSAMPLE = 4

# Shapes on a 48 x 48 grid: (fill, stroke, stroke width, primitive).
SHAPES = [
    ("#263238", "none", 0, "roundrectangle 4,40 34,46 1.5,1.5"),           # plinth
    ("none", "#263238", 3.2, "path 'M 30,35 C 39,35 41,32 41,26 L 41,14'"),  # hose
    ("#37474f", "none", 0, "roundrectangle 37.5,6 44.5,15 1.5,1.5"),       # nozzle
    ("#c62828", "#7f0000", 1.4, "roundrectangle 8,4 31,42 3,3"),           # body
    ("#e3f2fd", "#0d47a1", 1.2, "roundrectangle 12,9 27,20 1.5,1.5"),      # display
    ("#ffca28", "#7f0000", 1.0, "rectangle 13,25 26,29"),                  # grade strip
]


def draw_rgba(size):
    """The icon at one size as raw RGBA bytes, top row first."""
    scale = size * OVERSAMPLE / 48.0
    big = size * OVERSAMPLE
    args = ["convert", "-size", f"{big}x{big}", "xc:none"]
    for fill, stroke, width, primitive in SHAPES:
        # Attributes inside the draw text: convert's own -fill none is not
        # honoured by every primitive.
        args += ["-draw", f"fill {fill} stroke {stroke} stroke-width {width} "
                          f"stroke-linejoin round stroke-linecap round "
                          f"scale {scale},{scale} {primitive}"]
    args += ["-filter", "Lanczos", "-resize", f"{size}x{size}", "-depth", "8", "rgba:-"]
    return subprocess.run(args, check=True, capture_output=True).stdout


def pixels_bottom_up(rgba, size):
    """(r, g, b, a) tuples, bottom row first as bitmaps store them."""
    stride = size * 4
    rows = [rgba[y * stride:(y + 1) * stride] for y in reversed(range(size))]
    return [[tuple(row[x:x + 4]) for x in range(0, stride, 4)] for row in rows]


def and_mask(rows, size):
    """1 bit per pixel, set where the pixel is transparent; rows padded to 32 bits."""
    stride = ((size + 31) // 32) * 4
    out = bytearray()
    for pixels in rows:
        row = bytearray(stride)
        for x, (_, _, _, a) in enumerate(pixels):
            if a < 128:
                row[x // 8] |= 0x80 >> (x % 8)
        out += row
    return bytes(out)


def dib_header(size, bits, colours=0):
    # Height counts the colour rows and the mask rows together.
    return struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, bits, 0, 0, 0, 0, colours, 0)


def true_colour_image(rgba, size):
    rows = pixels_bottom_up(rgba, size)
    pixels = b"".join(bytes((b, g, r, a)) for row in rows for r, g, b, a in row)
    return dib_header(size, 32) + pixels + and_mask(rows, size)


def palette_image(rgba, size):
    # Transparent pixels become black under the mask; the rest keep their
    # colour, cut down to 256 by ImageMagick when there are more.
    rows = pixels_bottom_up(rgba, size)
    opaque = b"".join(bytes((r, g, b) if a >= 128 else (0, 0, 0)) for row in rows for r, g, b, a in row)
    rgb = subprocess.run(
        ["convert", "-size", f"{size}x{size}", "-depth", "8", "rgb:-", "+dither",
         "-colors", "256", "rgb:-"],
        input=opaque, check=True, capture_output=True).stdout
    colours = sorted({rgb[i:i + 3] for i in range(0, len(rgb), 3)})
    index = {c: i for i, c in enumerate(colours)}
    palette = b"".join(bytes((c[2], c[1], c[0], 0)) for c in colours)
    palette += bytes(4 * (256 - len(colours)))
    stride = (size + 3) // 4 * 4
    pixels = bytearray()
    for y in range(size):  # rgb is already bottom-up
        row = bytes(index[rgb[(y * size + x) * 3:(y * size + x) * 3 + 3]] for x in range(size))
        pixels += row + bytes(stride - size)
    return dib_header(size, 8, 256) + palette + bytes(pixels) + and_mask(rows, size)


def main():
    images = []
    for size in SIZES:
        rgba = draw_rgba(size)
        images.append((size, 8, palette_image(rgba, size)))
        images.append((size, 32, true_colour_image(rgba, size)))
    out = bytearray(struct.pack("<HHH", 0, 1, len(images)))
    offset = 6 + 16 * len(images)
    for size, bits, data in images:
        # A colour count of 0 in the entry stands for 256 or more.
        out += struct.pack("<BBBBHHII", size, size, 0, 0, 1, bits, len(data), offset)
        offset += len(data)
    for *_, data in images:
        out += data
    (HERE / "VANTROK.ico").write_bytes(bytes(out))


if __name__ == "__main__":
    main()

#!/usr/bin/env python3
"""Writes resources/tovak.ico: a clipboard with a sheet of text, in 256 colours, at the
small-icon sizes of 96, 120, 144, 192 and 288 DPI (16, 20, 24, 32 and 48 pixels). Each
size is drawn from its own rectangles below, not scaled from another, so every picture
is sharp, and the file is the same on every run."""
import os
import struct
import sys

# Palette index -> (red, green, blue). Index 0 stands for transparent pixels.
PALETTE = {
    0: (0, 0, 0),
    1: (0x5A, 0x3A, 0x1E),  # board outline
    2: (0xB0, 0x7A, 0x42),  # board
    3: (0xFF, 0xFF, 0xFF),  # paper
    4: (0x40, 0x40, 0x48),  # clip outline
    5: (0xC8, 0xC8, 0xD0),  # clip
    6: (0x1C, 0x4E, 0xA8),  # lines of text
    7: (0xA0, 0xA0, 0xA0),  # paper edge
}

# (colour, left, top, right, bottom) with right and bottom exclusive, painted in order.
SHAPES = {
    16: [
        (1, 1, 1, 15, 16), (2, 2, 2, 14, 15),
        (7, 3, 4, 13, 14), (3, 3, 4, 12, 13),
        (6, 4, 6, 11, 7), (6, 4, 8, 10, 9), (6, 4, 10, 11, 11),
        (4, 5, 0, 11, 4), (5, 6, 1, 10, 3), (4, 7, 1, 9, 2),
    ],
    20: [
        (1, 1, 1, 19, 20), (2, 2, 2, 18, 19),
        (7, 4, 5, 17, 18), (3, 4, 5, 16, 17),
        (6, 5, 8, 14, 9), (6, 5, 10, 13, 11), (6, 5, 12, 14, 13), (6, 5, 14, 11, 15),
        (4, 6, 0, 14, 5), (5, 7, 1, 13, 4), (4, 9, 1, 11, 2),
    ],
    24: [
        (1, 2, 2, 22, 24), (2, 3, 3, 21, 23),
        (7, 5, 6, 21, 22), (3, 5, 6, 20, 21),
        (6, 7, 9, 17, 10), (6, 7, 12, 16, 13), (6, 7, 15, 17, 16), (6, 7, 18, 13, 19),
        (4, 7, 0, 17, 6), (5, 8, 1, 16, 5), (4, 10, 1, 14, 3),
    ],
    32: [
        (1, 3, 3, 29, 32), (2, 4, 4, 28, 31),
        (7, 6, 8, 27, 29), (3, 6, 8, 26, 28),
        (6, 9, 12, 23, 14), (6, 9, 16, 21, 18), (6, 9, 20, 23, 22), (6, 9, 24, 18, 26),
        (4, 10, 0, 22, 8), (5, 11, 1, 21, 7), (4, 14, 2, 18, 4),
    ],
    48: [
        (1, 4, 4, 44, 48), (2, 6, 6, 42, 46),
        (7, 9, 12, 41, 44), (3, 9, 12, 39, 42),
        (6, 13, 18, 35, 21), (6, 13, 24, 32, 27), (6, 13, 30, 35, 33), (6, 13, 36, 27, 39),
        (4, 15, 0, 33, 12), (5, 17, 2, 31, 10), (4, 21, 3, 27, 6),
    ],
}


def image(size):
    pixels = [[0] * size for _ in range(size)]
    for colour, left, top, right, bottom in SHAPES[size]:
        for y in range(top, bottom):
            for x in range(left, right):
                pixels[y][x] = colour
    header = struct.pack("<IiiHHIIiiII", 40, size, size * 2, 1, 8, 0, 0, 0, 0, 256, 0)
    palette = b"".join(
        struct.pack("BBBB", *reversed(PALETTE.get(i, (0, 0, 0))), 0) for i in range(256))
    colour_rows = b"".join(bytes(pixels[y]) for y in reversed(range(size)))
    mask_stride = ((size + 31) // 32) * 4
    mask_rows = b""
    for y in reversed(range(size)):
        bits = 0
        for x in range(size):
            bits = (bits << 1) | (1 if pixels[y][x] == 0 else 0)
        width = (size + 7) // 8
        row = (bits << (width * 8 - size)).to_bytes(width, "big")  # left-aligned
        mask_rows += row + bytes(mask_stride - len(row))
    return header + palette + colour_rows + mask_rows


def main():
    out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(
        os.path.dirname(__file__), "..", "resources", "tovak.ico")
    sizes = sorted(SHAPES)
    images = [image(size) for size in sizes]
    data = struct.pack("<HHH", 0, 1, len(images))
    offset = 6 + 16 * len(images)
    for size, body in zip(sizes, images):
        data += struct.pack("<BBBBHHII", size, size, 0, 0, 1, 8, len(body), offset)
        offset += len(body)
    with open(out, "wb") as f:
        f.write(data + b"".join(images))


if __name__ == "__main__":
    main()

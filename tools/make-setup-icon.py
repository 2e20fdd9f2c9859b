#!/usr/bin/env python3
"""Writes resources/setup.ico, the setup tool's icon: one 32 x 32 image in 16 colours
with a transparency mask, a white page with a folded top-right corner carrying a large
blue "T". The output depends on nothing but this script."""
import struct
import sys
from pathlib import Path

SIZE = 32
# The system's standard 16-colour palette, as (red, green, blue).
PALETTE = [
    (0, 0, 0), (128, 0, 0), (0, 128, 0), (128, 128, 0), (0, 0, 128), (128, 0, 128),
    (0, 128, 128), (192, 192, 192), (128, 128, 128), (255, 0, 0), (0, 255, 0),
    (255, 255, 0), (0, 0, 255), (255, 0, 255), (0, 255, 255), (255, 255, 255)]
BLACK, SILVER, BLUE, WHITE = 0, 7, 12, 15

# Page: columns 5..26, rows 1..30 (top-down); the fold takes an 8-pixel corner.
LEFT, RIGHT, TOP, BOTTOM, FOLD = 5, 26, 1, 30, 8


def pixel(x, y):
    """Palette index of (x, y) counted from the top, or None when transparent."""
    if not (LEFT <= x <= RIGHT and TOP <= y <= BOTTOM):
        return None
    corner = x - (RIGHT - FOLD)  # >0 inside the corner's columns
    depth = y - TOP  # rows below the page's top
    if corner > 0 and depth < FOLD:
        if depth + (FOLD - corner) < FOLD - 1:
            return None  # cut away above the fold's diagonal
        if depth + (FOLD - corner) == FOLD - 1:
            return BLACK  # the diagonal edge
        if corner == FOLD or depth == FOLD - 1:
            return BLACK  # the folded flap's own edges
        return SILVER  # the back of the folded paper
    if x in (LEFT, RIGHT) or y in (TOP, BOTTOM):
        return BLACK
    # The "T": a bar and a stem, four pixels thick.
    if 9 <= y <= 12 and 8 <= x <= 22:
        return BLUE
    if 9 <= y <= 26 and 13 <= x <= 16:
        return BLUE
    return WHITE


def build():
    palette = b"".join(struct.pack("<BBBB", b, g, r, 0) for (r, g, b) in PALETTE)  # BGR0
    xor_rows, and_rows = [], []
    for y in range(SIZE - 1, -1, -1):  # bottom-up
        nibbles = []
        mask_bits = 0
        for x in range(SIZE):
            index = pixel(x, y)
            nibbles.append(0 if index is None else index)
            mask_bits = (mask_bits << 1) | (1 if index is None else 0)
        xor_rows.append(bytes((nibbles[i] << 4) | nibbles[i + 1] for i in range(0, SIZE, 2)))
        and_rows.append(mask_bits.to_bytes(4, "big"))
    xor = b"".join(xor_rows)
    mask = b"".join(and_rows)
    header = struct.pack("<IiiHHIIiiII", 40, SIZE, SIZE * 2, 1, 4, 0, len(xor) + len(mask),
                         0, 0, 16, 0)
    image = header + palette + xor + mask
    directory = struct.pack("<HHH", 0, 1, 1)
    entry = struct.pack("<BBBBHHII", SIZE, SIZE, 16, 0, 1, 4, len(image), 6 + 16)
    return directory + entry + image


if __name__ == "__main__":
    out = Path(sys.argv[1]) if len(sys.argv) > 1 else Path(__file__).resolve().parent.parent / "resources" / "setup.ico"
    out.write_bytes(build())
    print(f"wrote {out}")

"""The package's logos, drawn from the product's icon (resources/tovak.ico): for a logo of
N pixels, the icon's picture that, enlarged by a whole factor, comes closest to N without
passing it, enlarged so (every pixel a square of pixels, so the picture stays as sharp as
the icon's), centred on a transparent square. PNG, RGBA, the same bytes on every run."""
import struct
import zlib


def icon_pictures(data):
    """{size: rows of (r, g, b, a)} of the icon's square pictures of 8, 24 or 32 bits per
    pixel with their AND masks (what tools/make-icon.py writes)."""
    reserved, kind, count = struct.unpack_from("<HHH", data, 0)
    if reserved != 0 or kind != 1:
        raise ValueError("not an icon file")
    pictures = {}
    for i in range(count):
        _, _, _, _, _, _, length, offset = struct.unpack_from("<BBBBHHII", data, 6 + 16 * i)
        body = data[offset:offset + length]
        if body[:8] == b"\x89PNG\r\n\x1a\n":
            continue  # a compressed picture: the icon's uncompressed ones are enough here
        (header_size, width, height2, _, bits, compression, _, _, _, used, _) = struct.unpack_from(
            "<IiiHHIIiiII", body, 0)
        height = height2 // 2
        if compression != 0 or width != height or bits not in (8, 24, 32):
            continue
        position = header_size
        palette = []
        if bits == 8:
            entries = used or 256
            palette = [struct.unpack_from("BBBB", body, position + 4 * j) for j in range(entries)]
            position += 4 * entries
        stride = ((width * bits + 31) // 32) * 4
        mask_stride = ((width + 31) // 32) * 4
        mask_start = position + stride * height
        rows = []
        for y in range(height):  # bottom-up in the file
            row_start = position + stride * (height - 1 - y)
            mask_row = mask_start + mask_stride * (height - 1 - y)
            row = []
            for x in range(width):
                transparent = body[mask_row + x // 8] >> (7 - x % 8) & 1
                if bits == 8:
                    b, g, r, _ = palette[body[row_start + x]]
                    a = 0 if transparent else 255
                else:
                    step = bits // 8
                    b, g, r = body[row_start + step * x:row_start + step * x + 3]
                    a = body[row_start + 4 * x + 3] if bits == 32 else (0 if transparent else 255)
                row.append((r, g, b, a) if a else (0, 0, 0, 0))
            rows.append(row)
        pictures[width] = rows
    if not pictures:
        raise ValueError("the icon holds no picture this reader draws from")
    return pictures


def logo_rows(pictures, size):
    """The logo of size x size pixels, as rows of (r, g, b, a)."""
    source, factor = max(((s, size // s) for s in pictures if s <= size), key=lambda p: p[0] * p[1])
    drawn = source * factor
    margin_top = (size - drawn) // 2
    margin_left = (size - drawn) // 2
    clear = (0, 0, 0, 0)
    rows = [[clear] * size for _ in range(size)]
    for y in range(drawn):
        picture_row = pictures[source][y // factor]
        for x in range(drawn):
            rows[margin_top + y][margin_left + x] = picture_row[x // factor]
    return rows


def png_bytes(rows):
    height, width = len(rows), len(rows[0])

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body)))

    raw = b"".join(b"\0" + bytes(v for pixel in row for v in pixel) for row in rows)
    return (b"\x89PNG\r\n\x1a\n" +
            chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0)) +
            chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def logo_png(icon_data, size):
    return png_bytes(logo_rows(icon_pictures(icon_data), size))

"""Writes an MSIX package: a zip whose every file is one Deflate stream made of 64 KiB
blocks, each block compressed on its own (a full flush after it, so it can be inflated
and checked alone), the block map AppxBlockMap.xml with the SHA-256 of each uncompressed
block and the compressed size of each, and [Content_Types].xml.

The same files give the same bytes: entries in the order given, then AppxManifest.xml,
AppxBlockMap.xml and [Content_Types].xml; every time stamp 1980-01-01 00:00; MS-DOS
attributes; no extra fields; ASCII names. Nothing here reads the clock or the disk."""
import base64
import hashlib
import struct
import zlib
from xml.sax.saxutils import quoteattr

BLOCK_SIZE = 64 * 1024
MANIFEST = "AppxManifest.xml"
BLOCK_MAP = "AppxBlockMap.xml"
CONTENT_TYPES = "[Content_Types].xml"
BLOCK_MAP_NAMESPACE = "http://schemas.microsoft.com/appx/2010/blockmap"
CONTENT_TYPES_NAMESPACE = "http://schemas.openxmlformats.org/package/2006/content-types"
SHA256_METHOD = "http://www.w3.org/2001/04/xmlenc#sha256"
# The content types of the parts a package names by itself, and of payload files by
# their extension.
PART_TYPES = {
    MANIFEST: "application/vnd.ms-appx.manifest+xml",
    BLOCK_MAP: "application/vnd.ms-appx.blockmap+xml",
}
EXTENSION_TYPES = {
    "png": "image/png",
    "dll": "application/x-msdownload",
    "exe": "application/x-msdownload",
    "ico": "image/vnd.microsoft.icon",
    "html": "text/html",
    "xml": "application/xml",
    "txt": "text/plain",
}
DOS_TIME, DOS_DATE = 0, (0 << 9) | (1 << 5) | 1  # 1980-01-01 00:00:00
VERSION_NEEDED = 20  # 2.0: Deflate
DEFLATE, STORED = 8, 0
LOCAL_HEADER = struct.Struct("<IHHHHHIIIHH")
CENTRAL_HEADER = struct.Struct("<IHHHHHHIIIHHHHHII")
END_OF_CENTRAL_DIRECTORY = struct.Struct("<IHHHHIIH")


def deflate_blocks(data):
    """[(uncompressed block, its compressed bytes)]: the file's Deflate stream is the
    compressed bytes one after the other. Each block but the last ends in a full flush,
    which ends the block on a byte and forgets the window; the last ends the stream."""
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15, 9)
    blocks = [data[i:i + BLOCK_SIZE] for i in range(0, len(data), BLOCK_SIZE)] or [b""]
    result = []
    for index, block in enumerate(blocks):
        last = index == len(blocks) - 1
        compressed = compressor.compress(block)
        compressed += compressor.flush(zlib.Z_FINISH if last else zlib.Z_FULL_FLUSH)
        result.append((block, compressed))
    return result


def block_map_name(name):
    return name.replace("/", "\\")


def local_header(name, method, crc, compressed_size, size):
    encoded = name.encode("ascii")
    return LOCAL_HEADER.pack(0x04034B50, VERSION_NEEDED, 0, method, DOS_TIME, DOS_DATE, crc,
                             compressed_size, size, len(encoded), 0) + encoded


def block_map_xml(files):
    """files: [(name, size, local header size, [(block hash, compressed size)])]."""
    parts = ['<?xml version="1.0" encoding="UTF-8"?>\r\n',
             f'<BlockMap xmlns="{BLOCK_MAP_NAMESPACE}" HashMethod="{SHA256_METHOD}">']
    for name, size, header_size, blocks in files:
        parts.append(f"<File Name={quoteattr(block_map_name(name))} Size=\"{size}\" "
                     f"LfhSize=\"{header_size}\">")
        for digest, compressed_size in blocks:
            parts.append(f"<Block Hash=\"{base64.b64encode(digest).decode('ascii')}\" "
                         f"Size=\"{compressed_size}\"/>")
        parts.append("</File>")
    parts.append("</BlockMap>")
    return "".join(parts).encode("utf-8")


def content_types_xml(payload_names):
    extensions = sorted({name.rsplit(".", 1)[-1].lower() for name in payload_names
                         if "." in name.rsplit("/", 1)[-1]})
    unknown = [e for e in extensions if e not in EXTENSION_TYPES]
    if unknown:
        raise ValueError(f"no content type is known for the extensions {unknown}")
    parts = ['<?xml version="1.0" encoding="UTF-8"?>\r\n',
             f'<Types xmlns="{CONTENT_TYPES_NAMESPACE}">']
    parts += [f'<Default Extension="{e}" ContentType="{EXTENSION_TYPES[e]}"/>' for e in extensions]
    parts += [f'<Override PartName="/{part}" ContentType="{kind}"/>'
              for part, kind in PART_TYPES.items()]
    parts.append("</Types>")
    return "".join(parts).encode("utf-8")


def package_bytes(payload, manifest):
    """The package's bytes. payload: [(name inside the package, bytes)], in the order
    written; manifest: AppxManifest.xml's bytes."""
    reserved = {MANIFEST, BLOCK_MAP, CONTENT_TYPES}
    names = [name for name, _ in payload]
    for name in names:
        if name in reserved or not name.isascii() or name.startswith("/") or "\\" in name:
            raise ValueError(f"{name!r} cannot be a payload file's name")
    if len(set(names)) != len(names):
        raise ValueError("two payload files have one name")
    out = bytearray()
    central = bytearray()
    mapped = []
    entries = list(payload) + [(MANIFEST, manifest)]

    def add(name, data, blocks):
        # An empty file has no block to compress: it is stored, as nothing.
        method = DEFLATE if data else STORED
        compressed = b"".join(c for _, c in blocks) if data else b""
        crc = zlib.crc32(data)
        header = local_header(name, method, crc, len(compressed), len(data))
        offset = len(out)
        out.extend(header)
        out.extend(compressed)
        encoded = name.encode("ascii")
        central.extend(CENTRAL_HEADER.pack(0x02014B50, VERSION_NEEDED, VERSION_NEEDED, 0, method,
                                           DOS_TIME, DOS_DATE, crc, len(compressed), len(data),
                                           len(encoded), 0, 0, 0, 0, 0, offset) + encoded)
        return len(header)

    for name, data in entries:
        blocks = deflate_blocks(data)
        header_size = add(name, data, blocks)
        mapped.append((name, len(data), header_size,
                       [(hashlib.sha256(b).digest(), len(c)) for b, c in blocks if b]))
    for name, data in ((BLOCK_MAP, block_map_xml(mapped)), (CONTENT_TYPES, content_types_xml(names))):
        add(name, data, deflate_blocks(data))
    count = len(entries) + 2
    out.extend(central)
    out.extend(END_OF_CENTRAL_DIRECTORY.pack(0x06054B50, 0, 0, count, count, len(central),
                                             len(out) - len(central), 0))
    return bytes(out)

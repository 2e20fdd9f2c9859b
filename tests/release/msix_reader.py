"""Reads an MSIX package back on its own terms, independently of the writer: every zip
entry from the central directory and its local header, every block of every file
against the block map (each block inflated alone, its SHA-256 and its compressed size),
and the content types. Returns what it read and the list of what was wrong."""
import base64
import hashlib
import struct
import xml.etree.ElementTree as ElementTree
import zlib

BLOCK = 64 * 1024
BLOCK_MAP_NS = "{http://schemas.microsoft.com/appx/2010/blockmap}"
TYPES_NS = "{http://schemas.openxmlformats.org/package/2006/content-types}"
OWN_PARTS = ("AppxBlockMap.xml", "[Content_Types].xml", "AppxSignature.p7x")
PART_TYPES = {
    "/AppxManifest.xml": "application/vnd.ms-appx.manifest+xml",
    "/AppxBlockMap.xml": "application/vnd.ms-appx.blockmap+xml",
    "/AppxSignature.p7x": "application/vnd.ms-appx.signature",
}


class Entry:
    def __init__(self, name, method, crc, size, header_size, offset, compressed, data):
        self.name, self.method, self.crc, self.size = name, method, crc, size
        self.header_size, self.offset, self.compressed, self.data = (
            header_size, offset, compressed, data)


def read_entries(package, faults):
    """[Entry] in the order of the central directory, which must be the order of the
    local headers in the file."""
    end = package.rfind(b"PK\x05\x06")
    if end < 0:
        faults.append("no end of central directory")
        return []
    _, _, _, _, count, directory_size, directory_offset, _ = struct.unpack_from(
        "<IHHHHIIH", package, end)
    entries = []
    position = directory_offset
    for _ in range(count):
        (signature, _, _, flags, method, time, date, crc, compressed_size, size, name_length,
         extra_length, comment_length, _, _, _, offset) = struct.unpack_from(
            "<IHHHHHHIIIHHHHHII", package, position)
        if signature != 0x02014B50:
            faults.append(f"no central directory entry at {position}")
            return entries
        name = package[position + 46:position + 46 + name_length].decode("ascii", "replace")
        position += 46 + name_length + extra_length + comment_length
        (local_signature, _, local_flags, local_method, local_time, local_date, local_crc,
         local_compressed, local_size, local_name_length, local_extra) = struct.unpack_from(
            "<IHHHHHIIIHH", package, offset)
        local_name = package[offset + 30:offset + 30 + local_name_length].decode("ascii", "replace")
        header_size = 30 + local_name_length + local_extra
        if local_signature != 0x04034B50 or local_name != name:
            faults.append(f"{name}: the local header at {offset} is not this entry's")
            continue
        if (local_flags, local_method, local_crc, local_compressed, local_size) != (
                flags, method, crc, compressed_size, size):
            faults.append(f"{name}: the local header and the central directory differ")
        if (time, date, local_time, local_date) != (0, 0x21, 0, 0x21):
            faults.append(f"{name}: a time stamp other than 1980-01-01 00:00")
        if flags & 0x1:
            faults.append(f"{name}: encrypted")
        compressed = package[offset + header_size:offset + header_size + compressed_size]
        if method == 8:
            inflater = zlib.decompressobj(-15)
            data = inflater.decompress(compressed)
            if not inflater.eof or inflater.unused_data:
                faults.append(f"{name}: the Deflate stream does not end where the entry does")
        elif method == 0:
            data = compressed
        else:
            faults.append(f"{name}: compression method {method}")
            data = b""
        if len(data) != size or zlib.crc32(data) != crc:
            faults.append(f"{name}: its data do not match its size and CRC")
        entries.append(Entry(name, method, crc, size, header_size, offset, compressed, data))
    offsets = [e.offset for e in entries]
    if offsets != sorted(offsets):
        faults.append("the central directory lists the entries out of their order in the file")
    return entries


def check_blocks(entry, file_element, faults):
    """The file's blocks: as many as 64 KiB blocks of its data, each compressed part
    inflated alone giving the block whose hash the map holds."""
    name = entry.name
    if int(file_element.get("Size", "-1")) != entry.size:
        faults.append(f"{name}: block map Size {file_element.get('Size')}, the file has {entry.size}")
    if int(file_element.get("LfhSize", "-1")) != entry.header_size:
        faults.append(f"{name}: block map LfhSize {file_element.get('LfhSize')}, "
                      f"the local header has {entry.header_size}")
    blocks = file_element.findall(BLOCK_MAP_NS + "Block")
    expected = (entry.size + BLOCK - 1) // BLOCK
    if len(blocks) != expected:
        faults.append(f"{name}: {len(blocks)} blocks in the map, {expected} in the file")
        return 0
    position = 0
    for index, block in enumerate(blocks):
        plain = entry.data[index * BLOCK:(index + 1) * BLOCK]
        if entry.method == 8:
            size = int(block.get("Size", "0"))
            part = entry.compressed[position:position + size]
            position += size
            alone = zlib.decompressobj(-15).decompress(part)
            if alone != plain:
                faults.append(f"{name}: block {index} does not inflate alone to its 64 KiB")
        elif block.get("Size") is not None:
            faults.append(f"{name}: a stored file's block has a Size")
        digest = base64.b64encode(hashlib.sha256(plain).digest()).decode("ascii")
        if block.get("Hash") != digest:
            faults.append(f"{name}: block {index} has the hash {block.get('Hash')}, not {digest}")
    if entry.method == 8 and position != len(entry.compressed):
        faults.append(f"{name}: the blocks' sizes add up to {position}, "
                      f"the entry holds {len(entry.compressed)}")
    return len(blocks)


def read_package(package):
    """(entries by name, names in order, checked block count, faults)."""
    faults = []
    entries = read_entries(package, faults)
    names = [e.name for e in entries]
    by_name = {e.name: e for e in entries}
    if len(by_name) != len(entries):
        faults.append(f"an entry name appears twice: {names}")
    blocks = 0
    if "AppxBlockMap.xml" not in by_name or "[Content_Types].xml" not in by_name:
        faults.append(f"the package lacks its block map or content types: {names}")
        return by_name, names, blocks, faults
    block_map = ElementTree.fromstring(by_name["AppxBlockMap.xml"].data)
    if block_map.tag != BLOCK_MAP_NS + "BlockMap" or block_map.get("HashMethod") != (
            "http://www.w3.org/2001/04/xmlenc#sha256"):
        faults.append("the block map is not a SHA-256 block map")
    mapped = [f.get("Name") for f in block_map.findall(BLOCK_MAP_NS + "File")]
    files = [n for n in names if n not in OWN_PARTS]
    if mapped != [n.replace("/", "\\") for n in files]:
        faults.append(f"the block map lists {mapped}, the package holds {files}")
    for element in block_map.findall(BLOCK_MAP_NS + "File"):
        entry = by_name.get(element.get("Name", "").replace("\\", "/"))
        if entry:
            blocks += check_blocks(entry, element, faults)
    types = ElementTree.fromstring(by_name["[Content_Types].xml"].data)
    defaults = {d.get("Extension").lower(): d.get("ContentType")
                for d in types.findall(TYPES_NS + "Default")}
    overrides = {o.get("PartName"): o.get("ContentType") for o in types.findall(TYPES_NS + "Override")}
    for name in names:
        if name == "[Content_Types].xml":
            continue
        part = "/" + name
        if part in PART_TYPES and overrides.get(part) != PART_TYPES[part]:
            faults.append(f"{part} has the content type {overrides.get(part)}")
        elif part not in overrides and name.rsplit(".", 1)[-1].lower() not in defaults:
            faults.append(f"{part} has no content type")
    for part in overrides:
        if part[1:] not in by_name:
            faults.append(f"the content types name {part}, which the package lacks")
    return by_name, names, blocks, faults

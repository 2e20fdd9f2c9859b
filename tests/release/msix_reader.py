"""Reads an MSIX package back: its zip entries (in file order, each local header as the
central directory says, the 1980 time, the CRC), every block of every file against the
block map (each block's compressed part inflated alone, its SHA-256 and size), and a
content type for every part. Returns ({name: data}, [names], blocks checked, [faults])."""
import base64
import hashlib
import io
import struct
import xml.etree.ElementTree as ElementTree
import zipfile
import zlib

MAP = "{http://schemas.microsoft.com/appx/2010/blockmap}"
TYPES = "{http://schemas.openxmlformats.org/package/2006/content-types}"
OWN_PARTS = ("AppxBlockMap.xml", "[Content_Types].xml", "AppxSignature.p7x")
PART_TYPES = {"/AppxManifest.xml": "application/vnd.ms-appx.manifest+xml",
              "/AppxBlockMap.xml": "application/vnd.ms-appx.blockmap+xml",
              "/AppxSignature.p7x": "application/vnd.ms-appx.signature"}


def check_blocks(info, header_size, compressed, data, element, faults):
    name, blocks = info.filename, element.findall(MAP + "Block")
    if (element.get("Size"), element.get("LfhSize")) != (str(len(data)), str(header_size)):
        faults.append(f"{name}: the block map's Size and LfhSize are not the file's")
    if len(blocks) != (len(data) + 0xFFFF) // 0x10000:
        faults.append(f"{name}: {len(blocks)} blocks for {len(data)} bytes")
        return 0
    position = 0
    for index, block in enumerate(blocks):
        plain = data[index * 0x10000:(index + 1) * 0x10000]
        if info.compress_type == zipfile.ZIP_DEFLATED:
            part = compressed[position:position + int(block.get("Size", "0"))]
            position += len(part)
            try:
                alone = zlib.decompressobj(-15).decompress(part)
            except zlib.error as error:
                alone = str(error)
            if alone != plain:
                faults.append(f"{name}: block {index} does not inflate alone to its bytes")
        if block.get("Hash") != base64.b64encode(hashlib.sha256(plain).digest()).decode():
            faults.append(f"{name}: block {index}'s hash is not its bytes'")
    if position != len(compressed) and info.compress_type == zipfile.ZIP_DEFLATED:
        faults.append(f"{name}: the blocks' sizes add up to {position}, not {len(compressed)}")
    return len(blocks)


def read_package(package):
    faults, contents, blocks = [], {}, 0
    try:
        archive = zipfile.ZipFile(io.BytesIO(package))
        infos = archive.infolist()
        for info in infos:
            contents[info.filename] = archive.read(info)  # checks the CRC
    except (zipfile.BadZipFile, zlib.error) as error:
        return contents, list(contents), 0, [f"not a sound zip: {error}"]
    names = [i.filename for i in infos]
    if [i.header_offset for i in infos] != sorted(i.header_offset for i in infos):
        faults.append("the central directory lists the entries out of their file order")
    faults += [f"{i.filename}: the time {i.date_time}" for i in infos
               if i.date_time != (1980, 1, 1, 0, 0, 0)]
    block_map = ElementTree.fromstring(contents.get("AppxBlockMap.xml", b"<none/>"))
    files = {f.get("Name"): f for f in block_map.findall(MAP + "File")}
    if block_map.get("HashMethod") != "http://www.w3.org/2001/04/xmlenc#sha256" or list(
            files) != [n.replace("/", "\\") for n in names if n not in OWN_PARTS]:
        faults.append(f"the block map lists {list(files)} of {names}, or not by SHA-256")
    for info in infos:
        if info.filename.replace("/", "\\") in files:
            name_length, extra = struct.unpack_from("<HH", package, info.header_offset + 26)
            start = info.header_offset + 30 + name_length + extra
            blocks += check_blocks(info, 30 + name_length + extra,
                                   package[start:start + info.compress_size],
                                   contents[info.filename],
                                   files[info.filename.replace("/", "\\")], faults)
    types = ElementTree.fromstring(contents.get("[Content_Types].xml", b"<none/>"))
    defaults = {d.get("Extension").lower() for d in types.findall(TYPES + "Default")}
    overrides = {o.get("PartName"): o.get("ContentType") for o in types.findall(TYPES + "Override")}
    for part in ("/" + n for n in names if n != "[Content_Types].xml"):
        if part in PART_TYPES and overrides.get(part) != PART_TYPES[part]:
            faults.append(f"{part} has the content type {overrides.get(part)}")
        elif part not in PART_TYPES and part not in overrides and part.rsplit(".", 1)[-1].lower() not in defaults:
            faults.append(f"{part} has no content type")
    faults += [f"a content type for {p}, which is missing" for p in overrides if p[1:] not in contents]
    return contents, names, blocks, faults

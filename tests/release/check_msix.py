#!/usr/bin/env python3
"""dist/x64/TovakLite.msix as the build leaves it (tools/package.sh), read back.

    check_msix.py <source root> <dist folder> <product version> <work folder>

The package: its entries, every block of every file against the block map, the content
types, the manifest (identity, the unsigned Publisher, the version, the one application,
the Explorer verbs for files, folders and a folder's background and the classes they
name, which must be those of common/explorer_command_ids.h), the logos it names beside it
in dist/x64/; two more builds, at another time, give the same bytes. The writer on what
this package does not hold (files of several blocks, an empty file, a file in a folder),
and the reader catching a changed byte."""
import os
import re
import struct
import subprocess
import sys
import time
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import msix_reader  # noqa: E402
from tally import check, finish  # noqa: E402

UNSIGNED_PUBLISHER = "CN=TovakLite, OID.2.25.311729368913984317654407730594956997722=1"
NS = {
    "m": "http://schemas.microsoft.com/appx/manifest/foundation/windows10",
    "uap": "http://schemas.microsoft.com/appx/manifest/uap/windows10",
    "uap10": "http://schemas.microsoft.com/appx/manifest/uap/windows10/10",
    "rescap": "http://schemas.microsoft.com/appx/manifest/foundation/windows10/restrictedcapabilities",
    "desktop4": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/4",
    "desktop5": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/5",
    "com": "http://schemas.microsoft.com/appx/manifest/com/windows10",
}
UAP10 = "{" + NS["uap10"] + "}"

def header_clsids(path):
    """{stem: GUID} from the header, after checking each text against its initializer."""
    with open(path, encoding="ascii") as f:
        text = f.read()
    result = {}
    for stem in ("COPY_NAMES", "COPY_PATHS"):
        guid = re.search(rf'TOVAK_{stem}_COMMAND_CLSID_TEXT "\{{([0-9A-F-]+)\}}"', text).group(1)
        init = re.search(rf"TOVAK_{stem}_COMMAND_CLSID_INIT[\s\\{{]*(0x[^}}]*)\{{([^}}]*)\}}",
                         text)
        numbers = [int(n, 16) for n in re.findall(r"0x[0-9A-Fa-f]+", init.group(1) + init.group(2))]
        a, b, c, *rest = numbers
        from_init = f"{a:08X}-{b:04X}-{c:04X}-{bytes(rest[:2]).hex().upper()}-{bytes(rest[2:]).hex().upper()}"
        check(from_init == guid, f"{stem}: the initializer says {from_init}, the text {guid}")
        result[stem] = guid
    check(result["COPY_NAMES"] != result["COPY_PATHS"], "the two commands share a CLSID")
    return result


def png_size(path):
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n" or data[12:16] != b"IHDR":
        return None
    width, height, depth, colour = struct.unpack_from(">IIBB", data, 16)
    return width, height, depth, colour


def check_manifest(manifest, version, publisher, clsids, dist_x64):
    root = ElementTree.fromstring(manifest)
    identity = root.find("m:Identity", NS)
    check(identity is not None and identity.attrib == {
        "Name": "TovakLite", "Publisher": publisher, "Version": version,
        "ProcessorArchitecture": "neutral"}, f"Identity is {identity.attrib}")
    check(root.findtext("m:Properties/uap10:AllowExternalContent", namespaces=NS) == "true",
          "the package does not allow external content")
    capabilities = [c.get("Name") for c in root.findall("m:Capabilities/rescap:Capability", NS)]
    check(capabilities == ["runFullTrust", "unvirtualizedResources"],
          f"the restricted capabilities are {capabilities}")
    applications = root.findall("m:Applications/m:Application", NS)
    check(len(applications) == 1, f"{len(applications)} applications")
    application = applications[0]
    check(application.get(UAP10 + "TrustLevel") == "mediumIL" and
          application.get(UAP10 + "RuntimeBehavior") == "win32App",
          f"the application runs as {application.attrib}")
    check(os.path.isfile(os.path.join(dist_x64, application.get("Executable", "?"))),
          f"the application's executable {application.get('Executable')} is not in dist/x64")
    visual = application.find("uap:VisualElements", NS)
    check(visual.get("AppListEntry") == "none", "the application is listed in Start")
    logos = {root.findtext("m:Properties/m:Logo", namespaces=NS): 50,
             visual.get("Square150x150Logo"): 150, visual.get("Square44x44Logo"): 44}
    for name, size in logos.items():
        found = png_size(os.path.join(dist_x64, name or "?"))
        check(found == (size, size, 8, 6), f"the logo {name} in dist/x64 is {found}, "
                                           f"not an RGBA PNG of {size} x {size}")
    menus = application.findall(
        "m:Extensions/desktop4:Extension[@Category='windows.fileExplorerContextMenus']/"
        "desktop4:FileExplorerContextMenus/desktop5:ItemType", NS)
    check([m.get("Type") for m in menus] == ["*", "Directory", "Directory\\Background"],
          f"the verbs are for {[m.get('Type') for m in menus]}")
    ids = []
    for menu in menus:
        verbs = menu.findall("desktop5:Verb", NS)
        check([v.get("Clsid") for v in verbs] == [clsids["COPY_NAMES"], clsids["COPY_PATHS"]],
              f"{menu.get('Type')}: the verbs name {[v.get('Clsid') for v in verbs]}")
        ids += [v.get("Id") for v in verbs]
    check(len(set(ids)) == len(ids) == 6, f"the verbs' Ids are not six distinct ones: {ids}")
    check(all(re.fullmatch(r"[A-Za-z0-9]{3,64}", i or "") for i in ids),
          f"a verb's Id is not 3 to 64 letters and digits: {ids}")
    servers = application.findall(
        "m:Extensions/com:Extension[@Category='windows.comServer']/com:ComServer/"
        "com:SurrogateServer", NS)
    classes = [c.attrib for s in servers for c in s.findall("com:Class", NS)]
    check(classes == [{"Id": clsids[s], "Path": "tovak.dll", "ThreadingModel": "STA"}
                      for s in ("COPY_NAMES", "COPY_PATHS")],
          f"the surrogate server's classes are {classes}")


def check_package_bytes(package, what):
    """The reader's faults for a package, each one a failure; the entries by name."""
    by_name, names, blocks, faults = msix_reader.read_package(package)
    for fault in faults:
        check(False, f"{what}: {fault}")
    return by_name, names, blocks


def check_writer(source):
    """The writer on payloads the real package lacks, one row each: (payload, how many
    blocks the reader must find in all)."""
    sys.path.insert(0, os.path.join(source, "tools", "msix"))
    import package_writer
    noise = bytes((i * 2654435761 >> 13) & 0xFF for i in range(150000))
    cases = [
        ("a file of three blocks, the last short", [("bin/noise.dll", noise)], 3 + 1),
        ("exactly two blocks", [("a.txt", b"x" * (2 * 65536))], 2 + 1),
        ("an empty file and a one-byte file", [("empty.txt", b""), ("one.txt", b"1")], 0 + 1 + 1),
        ("two extensions, one folder", [("Assets/logo.png", b"\x89PNG" * 40000),
                                        ("help.html", b"<html></html>")], 3 + 1 + 1),
    ]
    for what, payload, blocks_expected in cases:
        package = package_writer.package_bytes(payload, b"<Package/>")
        by_name, names, blocks = check_package_bytes(package, what)
        check(names == [n for n, _ in payload] + [
            "AppxManifest.xml", "AppxBlockMap.xml", "[Content_Types].xml"], f"{what}: {names}")
        check(all(by_name[n].data == d for n, d in payload), f"{what}: a file reads back otherwise")
        check(blocks == blocks_expected, f"{what}: {blocks} blocks checked, not {blocks_expected}")
        check(package == package_writer.package_bytes(payload, b"<Package/>"),
              f"{what}: a second writing differs")


def check_reader_catches(package):
    """One changed byte in the manifest's compressed data, one in the block map's hash."""
    by_name, _, _, _ = msix_reader.read_package(package)
    manifest = by_name["AppxManifest.xml"]
    changed = bytearray(package)
    changed[manifest.offset + manifest.header_size + len(manifest.compressed) // 2] ^= 0x01
    _, _, _, faults = msix_reader.read_package(bytes(changed))
    check(faults, "a changed byte in the manifest's data went unnoticed")
    block_map = by_name["AppxBlockMap.xml"].data
    digest = re.search(rb'Hash="([^"]+)"', block_map).group(1)
    forged = block_map.replace(digest, digest[:-2] + (b"A=" if digest[-2:] != b"A=" else b"B="))
    sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
    entry = msix_reader.Entry("AppxManifest.xml", 8, manifest.crc, manifest.size,
                              manifest.header_size, 0, manifest.compressed, manifest.data)
    element = ElementTree.fromstring(forged).find(msix_reader.BLOCK_MAP_NS + "File")
    faults = []
    msix_reader.check_blocks(entry, element, faults)
    check(faults, "a block map hash that is not the block's went unnoticed")


def main(argv):
    source, dist, version, work = argv[1:]
    os.makedirs(work, exist_ok=True)
    dist_x64 = os.path.join(dist, "x64")
    path = os.path.join(dist_x64, "TovakLite.msix")
    check(os.path.isfile(path), f"{path} is missing (tools/package.sh writes it)")
    if not os.path.isfile(path):
        return finish()
    with open(path, "rb") as f:
        package = f.read()
    by_name, names, blocks = check_package_bytes(package, "TovakLite.msix")
    print(f"{path}: {len(package)} bytes")
    for name in names:
        entry = by_name[name]
        print(f"  {entry.size:7d} {len(entry.compressed):7d}  {name}")
    check(names == ["AppxManifest.xml", "AppxBlockMap.xml", "[Content_Types].xml"],
          f"the package holds {names}")
    check(blocks == 1, f"{blocks} blocks checked")
    clsids = header_clsids(os.path.join(source, "common", "explorer_command_ids.h"))
    check_manifest(by_name["AppxManifest.xml"].data, version, UNSIGNED_PUBLISHER, clsids, dist_x64)

    # Built again twice, seconds later, into folders of its own: the same bytes.
    time.sleep(2.1)
    for run in ("again-1", "again-2"):
        folder = os.path.join(work, run)
        os.makedirs(folder, exist_ok=True)
        subprocess.run([sys.executable, os.path.join(source, "tools", "msix", "make_msix.py"),
                        "build", "--version", version,
                        "--clsids", os.path.join(source, "common", "explorer_command_ids.h"),
                        "--icon", os.path.join(source, "resources", "tovak.ico"),
                        "--folder", folder], check=True)
        for name in sorted(os.listdir(folder)):
            with open(os.path.join(folder, name), "rb") as a, open(
                    os.path.join(dist_x64, name), "rb") as b:
                check(a.read() == b.read(), f"{run}/{name} differs from dist/x64/{name}")
    check_writer(source)
    check_reader_catches(package)
    return finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv))

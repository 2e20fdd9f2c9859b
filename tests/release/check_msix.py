#!/usr/bin/env python3
"""dist/x64/TovakLite.msix as tools/package.sh leaves it, read back.

    check_msix.py <source root> <dist folder> <product version> <work folder>

The package (msix_reader: entries, every block against the block map, content types);
its manifest, one row per element that matters; the classes it names are those of
common/explorer_command_ids.h; the logos it names lie in dist/x64/; built twice more, at
another time, the same bytes. Then the writer on what this package lacks (files of
several blocks, an empty file, a folder), and the reader catching a changed byte."""
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
NS = {"m": "http://schemas.microsoft.com/appx/manifest/foundation/windows10",
      "uap": "http://schemas.microsoft.com/appx/manifest/uap/windows10",
      "uap10": "http://schemas.microsoft.com/appx/manifest/uap/windows10/10",
      "rescap": "http://schemas.microsoft.com/appx/manifest/foundation/windows10/restrictedcapabilities",
      "desktop4": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/4",
      "desktop5": "http://schemas.microsoft.com/appx/manifest/desktop/windows10/5",
      "com": "http://schemas.microsoft.com/appx/manifest/com/windows10"}
APP = "m:Applications/m:Application"
MENUS = (APP + "/m:Extensions/desktop4:Extension[@Category='windows.fileExplorerContextMenus']"
         "/desktop4:FileExplorerContextMenus/desktop5:ItemType")
CLASSES = (APP + "/m:Extensions/com:Extension[@Category='windows.comServer']/com:ComServer"
           "/com:SurrogateServer/com:Class")


def header_clsids(path):
    """[GUID] of the two commands, each text checked against its initializer."""
    with open(path, encoding="ascii") as f:
        text = f.read()
    guids = []
    for stem in ("COPY_NAMES", "COPY_PATHS"):
        guid = re.search(rf'{stem}_COMMAND_CLSID_TEXT "\{{([0-9A-F-]+)\}}"', text).group(1)
        init = re.search(rf"{stem}_COMMAND_CLSID_INIT([^}}]*\}}[^}}]*)\}}", text).group(1)
        a, b, c, *rest = [int(n, 16) for n in re.findall(r"0x([0-9A-Fa-f]+)", init)]
        made = f"{a:08X}-{b:04X}-{c:04X}-{bytes(rest[:2]).hex()}-{bytes(rest[2:]).hex()}".upper()
        check(made == guid, f"{stem}: the initializer is {made}, the text {guid}")
        guids.append(guid)
    check(guids[0] != guids[1], "the two commands share a CLSID")
    return guids


def check_manifest(manifest, version, clsids, dist_x64):
    root = ElementTree.fromstring(manifest)
    attributes = lambda path: [e.attrib for e in root.findall(path, NS)]  # noqa: E731
    uap10 = "{" + NS["uap10"] + "}"
    expected = [
        ("m:Identity", [{"Name": "TovakLite", "Publisher": UNSIGNED_PUBLISHER, "Version": version,
                         "ProcessorArchitecture": "neutral"}]),
        ("m:Capabilities/rescap:Capability", [{"Name": "runFullTrust"},
                                              {"Name": "unvirtualizedResources"}]),
        (APP, [{"Id": "TovakLite", "Executable": "TovakSetup.exe", uap10 + "TrustLevel": "mediumIL",
                uap10 + "RuntimeBehavior": "win32App"}]),
        (MENUS, [{"Type": "*"}, {"Type": "Directory"}, {"Type": "Directory\\Background"}]),
        (CLASSES, [{"Id": c, "Path": "tovak.dll", "ThreadingModel": "STA"} for c in clsids]),
    ]
    for path, attributes_expected in expected:
        check(attributes(path) == attributes_expected, f"{path}: {attributes(path)}")
    check(root.findtext("m:Properties/uap10:AllowExternalContent", namespaces=NS) == "true",
          "the package does not allow external content")
    visual = root.find(APP + "/uap:VisualElements", NS)
    check(visual.get("AppListEntry") == "none", "the application is listed in Start")
    for menu in root.findall(MENUS, NS):
        check([v.get("Clsid") for v in menu] == clsids, f"{menu.get('Type')}: the verbs' classes")
    ids = [v.get("Id") for v in root.findall(MENUS + "/desktop5:Verb", NS)]
    check(len(set(ids)) == 6 and all(re.fullmatch(r"[A-Za-z0-9]{3,64}", i) for i in ids),
          f"the verbs' Ids are not six distinct ones of 3 to 64 letters and digits: {ids}")
    for name, size in ((root.findtext("m:Properties/m:Logo", namespaces=NS), 50),
                       (visual.get("Square150x150Logo"), 150), (visual.get("Square44x44Logo"), 44)):
        with open(os.path.join(dist_x64, name), "rb") as f:
            head = f.read(26)
        check(head[12:16] == b"IHDR" and struct.unpack(">IIBB", head[16:26]) == (size, size, 8, 6),
              f"the logo {name} is not an RGBA PNG of {size} pixels")


def read_back(package, what):
    contents, names, blocks, faults = msix_reader.read_package(package)
    for fault in faults:
        check(False, f"{what}: {fault}")
    return contents, names, blocks


def main(argv):
    source, dist, version, work = argv[1:]
    dist_x64 = os.path.join(dist, "x64")
    with open(os.path.join(dist_x64, "TovakLite.msix"), "rb") as f:
        package = f.read()
    contents, names, blocks = read_back(package, "TovakLite.msix")
    print(f"dist/x64/TovakLite.msix: {len(package)} bytes, {names}, {blocks} block checked")
    check(names == ["AppxManifest.xml", "AppxBlockMap.xml", "[Content_Types].xml"] and blocks == 1,
          f"the package holds {names} with {blocks} blocks")
    clsids = header_clsids(os.path.join(source, "common", "explorer_command_ids.h"))
    check_manifest(contents["AppxManifest.xml"], version, clsids, dist_x64)

    time.sleep(2.1)  # built again later: the same bytes
    for run in ("again-1", "again-2"):
        folder = os.path.join(work, run)
        os.makedirs(folder, exist_ok=True)
        subprocess.run([sys.executable, os.path.join(source, "tools/msix/make_msix.py"), "build",
                        "--version", version, "--folder", folder,
                        "--clsids", os.path.join(source, "common/explorer_command_ids.h"),
                        "--icon", os.path.join(source, "resources/tovak.ico")], check=True)
        for name in sorted(os.listdir(folder)):
            with open(os.path.join(folder, name), "rb") as a, open(
                    os.path.join(dist_x64, name), "rb") as b:
                check(a.read() == b.read(), f"{run}/{name} differs from dist/x64/{name}")

    sys.path.insert(0, os.path.join(source, "tools", "msix"))
    import package_writer
    noise = bytes((i * 2654435761 >> 13) & 0xFF for i in range(150000))
    for what, payload, blocks_expected in [  # the manifest is one block more
            ("three blocks, the last short", [("noise.dll", noise)], 4),
            ("exactly two blocks", [("a.txt", b"x" * 0x20000)], 3),
            ("an empty file, one byte", [("empty.txt", b""), ("one.txt", b"1")], 2),
            ("a folder, two extensions", [("Assets/a.png", noise[:70000]), ("h.html", b"<p>")], 4)]:
        written = package_writer.package_bytes(payload, b"<Package/>")
        contents, names, blocks = read_back(written, what)
        check(names[:-3] == [n for n, _ in payload] and blocks == blocks_expected and
              all(contents[n] == d for n, d in payload), f"{what}: {names}, {blocks} blocks")
        check(written == package_writer.package_bytes(payload, b"<Package/>"), f"{what}: differs")

    changed = bytearray(package)
    changed[60] ^= 0x01  # inside the manifest's compressed data
    check(msix_reader.read_package(bytes(changed))[3], "a changed byte went unnoticed")
    return finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv))

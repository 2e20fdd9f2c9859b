#!/usr/bin/env python3
"""Writes TovakLite.msix, the package with external location that gives the x64 install
folder package identity on Windows 11, and the logos its manifest names, beside it.

    make_msix.py build --version <a.b.c.d> --clsids <common/explorer_command_ids.h>
                 --icon <resources/tovak.ico> --folder <dist/x64> [--publisher <subject>]
        the logos and <folder>/TovakLite.msix; without --publisher, the publisher of an
        unsigned package ("CN=TovakLite, OID.2.25.311729368913984317654407730594956997722=1")
    make_msix.py republish <package> <publisher>
        the same package again with another Publisher (tools/sign.sh: the subject of the
        certificate it signs with)
    make_msix.py settle <package>
        gives the signature osslsigncode added (AppxSignature.p7x) the time stamp of
        every other entry, in its local header and its central directory entry: the zip
        entry's time is the one thing the signer takes from the clock, and no hash of the
        signature covers it"""
import argparse
import os
import struct
import sys
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import logos  # noqa: E402
import manifest  # noqa: E402
import package_writer  # noqa: E402

PACKAGE = "TovakLite.msix"
SIGNATURE = "AppxSignature.p7x"


def write_file(path, data):
    temporary = path + ".part"
    with open(temporary, "wb") as f:
        f.write(data)
    os.replace(temporary, path)


def build(args):
    with open(args.icon, "rb") as f:
        icon = f.read()
    for name, size in manifest.LOGOS:
        write_file(os.path.join(args.folder, name), logos.logo_png(icon, size))
    text = manifest.manifest_xml(args.version, args.publisher,
                                 manifest.read_command_clsids(args.clsids))
    write_file(os.path.join(args.folder, PACKAGE), package_writer.package_bytes([], text))


def republish(args):
    with zipfile.ZipFile(args.package) as package:
        names = package.namelist()
        text = package.read(package_writer.MANIFEST)
        own = {package_writer.MANIFEST, package_writer.BLOCK_MAP,
               package_writer.CONTENT_TYPES, SIGNATURE}
        payload = [(name, package.read(name)) for name in names if name not in own]
    write_file(args.package, package_writer.package_bytes(
        payload, manifest.with_publisher(text, args.publisher)))


def settle(args):
    with open(args.package, "rb") as f:
        data = bytearray(f.read())
    with zipfile.ZipFile(args.package) as package:
        infos = [i for i in package.infolist() if i.filename == SIGNATURE]
    if len(infos) != 1:
        sys.exit(f"{args.package} holds no {SIGNATURE}")
    local = infos[0].header_offset
    if data[local:local + 4] != b"PK\x03\x04":
        sys.exit(f"{args.package}: no local header where the central directory says")
    struct.pack_into("<HH", data, local + 10, package_writer.DOS_TIME, package_writer.DOS_DATE)
    name = SIGNATURE.encode("ascii")
    position, found = 0, 0
    while (position := data.find(b"PK\x01\x02", position)) >= 0:
        length = struct.unpack_from("<H", data, position + 28)[0]
        if data[position + 46:position + 46 + length] == name:
            struct.pack_into("<HH", data, position + 12, package_writer.DOS_TIME,
                             package_writer.DOS_DATE)
            found += 1
        position += 4
    if found != 1:
        sys.exit(f"{args.package}: {found} central directory entries name {SIGNATURE}")
    write_file(args.package, bytes(data))


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    commands = parser.add_subparsers(dest="command", required=True)
    b = commands.add_parser("build")
    b.add_argument("--version", required=True)
    b.add_argument("--clsids", required=True)
    b.add_argument("--icon", required=True)
    b.add_argument("--folder", required=True)
    b.add_argument("--publisher", default=manifest.UNSIGNED_PUBLISHER)
    r = commands.add_parser("republish")
    r.add_argument("package")
    r.add_argument("publisher")
    s = commands.add_parser("settle")
    s.add_argument("package")
    args = parser.parse_args()
    {"build": build, "republish": republish, "settle": settle}[args.command](args)


if __name__ == "__main__":
    main()

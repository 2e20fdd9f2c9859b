#!/usr/bin/env python3
"""Writes the release package: one zip holding README.txt (Japanese: which folder for
which Windows, install, uninstall, help), x86/ and x64/ with the four shipped files each
(x64/ also with TovakLite.msix, the package that adds the menu of Windows 11, and the
logos its manifest names), beside them the installer packages
(TovakLite-<version>-x64.msi, -x86.msi, -x64-user.msi, which tools/package.sh writes into
the dist folder first), and SHA256SUMS over all of them.

    package.py <dist folder> <version> <readme template> <output zip>

The zip is the same bytes for the same inputs: entries in a fixed order, every time
stamp 1980-01-01 00:00, MS-DOS attributes, plain deflate, ASCII names only (so that
Windows' own zip support reads them on every version)."""
import hashlib
import os
import sys
import zipfile

ARCHITECTURES = ("x86", "x64")
SHIPPED = ("TovakSetup.exe", "tovak.dll", "tovak.ico", "help.html")
# Windows 11 has no 32-bit edition: its package and logos are the x64 folder's alone
# (tools/msix/make_msix.py writes them, the logos' names are those of tools/msix/manifest.py).
WINDOWS11 = ("TovakLite.msix", "tovak-logo-50.png", "tovak-logo-150.png", "tovak-logo-44.png")


def shipped_files(arch):
    return SHIPPED + (WINDOWS11 if arch == "x64" else ())
INSTALLERS = ("x64", "x86", "x64-user")
EPOCH = (1980, 1, 1, 0, 0, 0)


def readme_bytes(template, version):
    """The readme as Windows' Notepad reads it on every version: UTF-8 with a byte
    order mark, CR LF line ends."""
    with open(template, encoding="utf-8") as f:
        text = f.read().replace("@VERSION@", version)
    return b"\xef\xbb\xbf" + text.replace("\r\n", "\n").replace("\n", "\r\n").encode("utf-8")


def package_entries(dist, template, version):
    """(name, bytes) of every entry, in the order written."""
    entries = [("README.txt", readme_bytes(template, version))]
    for arch in ARCHITECTURES:
        for name in shipped_files(arch):
            with open(f"{dist}/{arch}/{name}", "rb") as f:
                entries.append((f"{arch}/{name}", f.read()))
    for flavour in INSTALLERS:
        name = f"TovakLite-{version}-{flavour}.msi"
        with open(f"{dist}/{name}", "rb") as f:
            entries.append((name, f.read()))
    sums = "".join(f"{hashlib.sha256(data).hexdigest()}  {name}\n" for name, data in entries)
    entries.append(("SHA256SUMS", sums.encode("ascii")))
    return entries


def write_zip(path, entries):
    with zipfile.ZipFile(path, "w") as archive:
        for name, data in entries:
            info = zipfile.ZipInfo(name, date_time=EPOCH)
            info.create_system = 0  # MS-DOS: no Unix owner or mode bits
            info.external_attr = 0
            info.compress_type = zipfile.ZIP_DEFLATED
            archive.writestr(info, data, compresslevel=9)


def main(argv):
    if len(argv) != 5:
        sys.exit(__doc__)
    dist, version, template, output = argv[1:]
    entries = package_entries(dist, template, version)
    temporary = output + ".part"
    write_zip(temporary, entries)
    os.replace(temporary, output)
    for name, data in entries:
        print(f"{len(data):9d}  {name}")


if __name__ == "__main__":
    main(sys.argv)

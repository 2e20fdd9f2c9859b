#!/usr/bin/env python3
"""The release package and the shipped binaries, as a user receives them.

    check_package.py <source root> <build folder> <dist folder> <version> <work folder>

Takes the package in dist/, packs dist/ again at least two seconds later and checks
that both zips are the same bytes; unpacks it and checks its list of files, its
checksums, that its files (the installer packages beside the folders too) are those now
in dist/, and how Windows' zip support will read it. Checks
each shipped binary: stripped, within its size budget, with a debug link to its debug
file, no time stamp, the security flags set, no build folder inside."""
import hashlib
import os
import struct
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from tally import check, finish  # noqa: E402

ARCHITECTURES = ("x86", "x64")
SHIPPED = ("TovakSetup.exe", "tovak.dll", "tovak.ico", "help.html")
WINDOWS11 = ("TovakLite.msix", "tovak-logo-50.png", "tovak-logo-150.png", "tovak-logo-44.png")
INSTALLERS = ("x64", "x86", "x64-user")
BUDGET = {"tovak.dll": 200 * 1024, "TovakSetup.exe": 150 * 1024}
DYNAMIC_BASE, NX_COMPAT, HIGH_ENTROPY_VA = 0x0040, 0x0100, 0x0020


def shipped_files(arch):
    return SHIPPED + (WINDOWS11 if arch == "x64" else ())


def pe_header(data):
    """(TimeDateStamp, DllCharacteristics, section names) of a PE image. Long section
    names ("/4") are looked up in the COFF string table, which a stripped image lacks."""
    pe = struct.unpack_from("<I", data, 0x3C)[0]
    assert data[pe:pe + 4] == b"PE\0\0"
    _, sections, stamp, symbols, nsymbols, optional_size, _ = struct.unpack_from(
        "<HHIIIHH", data, pe + 4)
    optional = pe + 24
    characteristics = struct.unpack_from("<H", data, optional + 70)[0]
    strings = symbols + 18 * nsymbols
    names = []
    for i in range(sections):
        raw = data[optional + optional_size + 40 * i:][:8].rstrip(b"\0").decode("latin-1")
        if raw.startswith("/") and symbols:
            offset = strings + int(raw[1:])
            raw = data[offset:data.index(b"\0", offset)].decode("latin-1")
        names.append(raw)
    return stamp, characteristics, names


def check_binary(path, arch, name, build_folders):
    with open(path, "rb") as f:
        data = f.read()
    stamp, flags, sections = pe_header(data)
    label = f"{arch}/{name}"
    print(f"{label}: {len(data)} bytes, DllCharacteristics 0x{flags:04X}, sections {sections}")
    check(len(data) <= BUDGET[name], f"{label} is {len(data)} bytes, over {BUDGET[name]}")
    check(stamp == 0, f"{label} has the time stamp 0x{stamp:08X}")
    check(flags & DYNAMIC_BASE, f"{label} is not relocatable (ASLR)")
    check(flags & NX_COMPAT, f"{label} is not DEP-compatible")
    if arch == "x64":
        check(flags & HIGH_ENTROPY_VA, f"{label} lacks high-entropy ASLR")
    check(not any(s.startswith((".debug", "/")) for s in sections),
          f"{label} still carries debug information: {sections}")
    link = data.find(name.encode("ascii") + b".debug\0")
    check(link >= 0, f"{label} names no debug file {name}.debug")
    for folder in build_folders:
        check(folder.encode() not in data, f"{label} holds the build folder {folder}")


def check_zip(path, dist, version):
    with zipfile.ZipFile(path) as archive:
        infos = archive.infolist()
        names = [i.filename for i in infos]
        installers = [f"TovakLite-{version}-{f}.msi" for f in INSTALLERS]
        expected = (["README.txt"] +
                    [f"{a}/{n}" for a in ARCHITECTURES for n in shipped_files(a)] +
                    installers + ["SHA256SUMS"])
        check(names == expected, f"the package holds {names}, not {expected}")
        check(archive.testzip() is None, "an entry's CRC does not match")
        for info in infos:
            check(info.compress_type == zipfile.ZIP_DEFLATED, f"{info.filename} is not deflated")
            check(info.filename.isascii(), f"{info.filename} is not an ASCII name")
            check(info.flag_bits & 0x1 == 0, f"{info.filename} is encrypted")
            check(info.date_time == (1980, 1, 1, 0, 0, 0),
                  f"{info.filename} carries the time {info.date_time}")
        contents = {name: archive.read(name) for name in names}
    sums = {}
    for line in contents["SHA256SUMS"].decode("ascii").splitlines():
        digest, name = line.split("  ", 1)
        sums[name] = digest
    check(sorted(sums) == sorted(n for n in names if n != "SHA256SUMS"),
          f"SHA256SUMS covers {sorted(sums)}")
    for name, digest in sums.items():
        check(hashlib.sha256(contents.get(name, b"")).hexdigest() == digest,
              f"the checksum of {name} does not match")
        print(f"{digest}  {name}")
    for arch in ARCHITECTURES:
        for name in shipped_files(arch):
            with open(os.path.join(dist, arch, name), "rb") as f:
                check(contents[f"{arch}/{name}"] == f.read(),
                      f"{arch}/{name} in the package is not dist/{arch}/{name}")
    for name in installers:
        with open(os.path.join(dist, name), "rb") as f:
            check(contents.get(name) == f.read(), f"{name} in the package is not dist/{name}")
    readme = contents["README.txt"]
    check(readme.startswith(b"\xef\xbb\xbf"), "README.txt has no UTF-8 byte order mark")
    text = readme[3:].decode("utf-8")
    check("\n" not in text.replace("\r\n", ""), "README.txt has a line end other than CR LF")
    for needed in (f"TovakLite {version}", "x86", "x64", "32 ビット", "64 ビット",
                   "regsvr32 tovak.dll", "regsvr32 /n /i:user tovak.dll",
                   "regsvr32 /u tovak.dll", "regsvr32 /u /n /i:user tovak.dll",
                   "TovakSetup.exe", "管理者", "help.html",
                   f"msiexec /i TovakLite-{version}-x64.msi", f"TovakLite-{version}-x64-user.msi",
                   "/qn"):
        check(needed in text, f"README.txt does not say {needed!r}")


def main(argv):
    source, build, dist, version, work = argv[1:]
    os.makedirs(work, exist_ok=True)
    build_folders = [os.path.realpath(source), os.path.realpath(build)]
    for arch in ARCHITECTURES:
        for name in BUDGET:
            check_binary(os.path.join(dist, arch, name), arch, name, build_folders)

    # The package build.sh (through tools/package.sh) left in dist/, and the same files
    # packed again here, seconds later: the same bytes.
    shipped = os.path.join(dist, f"TovakLite-{version}.zip")
    check(os.path.isfile(shipped), f"{shipped} is missing (tools/package.sh writes it)")
    if not os.path.isfile(shipped):
        return finish()
    time.sleep(2.1)  # past the two-second grain of a zip time stamp
    again = os.path.join(work, f"TovakLite-{version}.zip")
    subprocess.run([sys.executable, os.path.join(source, "tools", "package.py"), dist, version,
                    os.path.join(source, "resources", "readme-ja.txt"), again],
                   check=True, stdout=subprocess.DEVNULL)
    with open(shipped, "rb") as first, open(again, "rb") as second:
        check(first.read() == second.read(), f"{shipped} and a second packing differ")
    check_zip(shipped, dist, version)
    return finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""Writes one Windows Installer package of TovakLite with wixl (Debian's msitools).

    make_msi.py --flavour x64|x86|x64-user --dist <dist folder> --version <a.b.c.d>
                --rows-tool <msi_registry_rows> --script <tovak.rgs>
                --typelib-x64 <halvint.tlb> --typelib-x86 <halvint.tlb>
                --work <folder> --output <package.msi>

x64 installs the four shipped files of dist/x64 into [ProgramFiles64Folder]TovakLite and
the 32-bit tovak.dll (with its icon) into its x86 subfolder; x86 installs those of
dist/x86 into [ProgramFilesFolder]TovakLite; x64-user installs those of dist/x64 for the
current user alone, into [LocalAppDataFolder]Programs\\TovakLite, registered under
HKCU\\Software\\Classes.

The registry is written through the Registry table only: the rows are what each DLL's
self-registration writes, as msi_registry_rows lists them (the DLL's own script through
its own interpreter, the type library by RegisterTypeLib's rules); nothing in the package
loads a DLL. The same inputs give the same bytes: the codes are derived, the files are
packed with a fixed time, and the summary's package code and times are set afterwards
(wixl makes them up at every run)."""
import argparse
import hashlib
import os
import shutil
import struct
import subprocess
import sys
import uuid
from xml.sax.saxutils import quoteattr

# Stable for the life of the product: a newer package replaces an older one of the same
# upgrade code. The per-machine packages of both architectures share one, so that either
# replaces the other; a per-user installation is a product of its own.
MACHINE_UPGRADE_CODE = uuid.UUID("9a90ccbd-9365-41df-a729-51648e17ec07")
USER_UPGRADE_CODE = uuid.UUID("9f4b7af0-942b-4e1a-86d3-047f17d70ccd")
SHIPPED = ("tovak.dll", "TovakSetup.exe", "tovak.ico", "help.html")
# What the rows tool is given for the paths, replaced by the package's own references.
SHORT_PATH, FOLDER = "@SHORT@", "@DIR@\\"
# The zip's entries carry the same time.
DEFAULT_EPOCH = 315532800  # 1980-01-01 00:00 UTC

FLAVOURS = {
    # name: (wixl arch, per user, architectures of the DLLs, program folder)
    "x64": ("x64", False, ("x64", "x86"), "ProgramFiles64Folder"),
    "x86": ("x86", False, ("x86",), "ProgramFilesFolder"),
    "x64-user": ("x64", True, ("x64",), "LocalAppDataFolder"),
}


def registry_rows(tool, script, typelib):
    """The rows of one DLL's registration: (view, kind, key, name, type, value)."""
    out = subprocess.run([tool, script, typelib, SHORT_PATH, FOLDER + "tovak.dll"],
                         check=True, capture_output=True, text=True).stdout
    return [tuple(line.split("\t")) for line in out.splitlines()]


def physical_rows(flavour, rows_of):
    """{(view, key lowered, name lowered, kind): (bits, kind, key, name, type, value, dll
    arch)}, the rows of every DLL the package registers, in the registry view (64 or 32
    bits) they land in. "own" is the DLL's own view and "other" the opposite one, where
    RegisterTypeLib registers the interfaces too; only the package with both DLLs writes
    it: a 32-bit package has no 64-bit components (and a 32-bit Windows no other view),
    and the user's classes are one key for both views under Wine. TypeLib is one key for
    both views of a 64-bit Windows (and of Wine). Registrations are laid over one another
    as if the 32-bit DLL were registered first: where two write the same value the
    64-bit DLL's stays, as regsvr32 of both in that order leaves it (only HELPDIR
    differs)."""
    arch, per_user, dlls, _ = FLAVOURS[flavour]
    merged = {}
    for dll in sorted(dlls, key=lambda a: a != "x86"):
        own = 64 if dll == "x64" else 32
        for view, kind, key, name, value_type, value in rows_of[dll]:
            if view == "other" and len(dlls) == 1:
                continue
            bits = own if view == "own" else 96 - own
            if key.lower().startswith("typelib\\") and arch == "x64":
                bits = 64
            merged[(bits, key.lower(), name.lower(), kind)] = (
                bits, kind, key, name, value_type, value, dll)
    return merged


def msi_text(value, dll, file_id, folder_id):
    """A registry value as a formatted text of the Registry table: brackets escaped, the
    DLL's paths as references to its installed file and folder."""
    if value.startswith("#"):
        sys.exit(f"make_msi: a value starting with '#' needs escaping: {value}")
    text = value.replace("[", "\x00").replace("]", "[\\]]").replace("\x00", "[\\[]")
    if text == FOLDER + "tovak.dll":
        return f"[#{file_id}]"  # the long path the type library is registered under
    text = text.replace(SHORT_PATH, f"[!{file_id}]")  # the short path of InprocServer32
    return text.replace(FOLDER, f"[{folder_id}]")


def guid(namespace, name):
    return "{" + str(uuid.uuid5(namespace, name)).upper() + "}"


def registry_xml(rows, root, prefix, file_ids, folder_ids):
    lines = []
    for bits, kind, key, name, value_type, value, dll in sorted(rows, key=lambda r: r[:4]):
        attributes = f"Root={quoteattr(root)} Key={quoteattr(prefix + key)}"
        if kind == "value":
            if name:
                attributes += f" Name={quoteattr(name)}"
            wix_type = {"sz": "string", "dword": "integer", "binary": "binary"}[value_type]
            text = msi_text(value, dll, file_ids[dll], folder_ids[dll])
            attributes += f" Type={quoteattr(wix_type)} Value={quoteattr(text)}"
        else:
            # "+": made where missing and kept; "*": made and removed with its subkeys.
            attributes += f" Name={quoteattr('+' if kind == 'keep' else '*')} Type=\"string\" Value=\"\""
        lines.append(f"<RegistryValue {attributes}/>")
    return lines


def wxs_text(flavour, version, staged):
    """The package's WiX source and the staged files it names."""
    arch, per_user, dlls, program_folder = FLAVOURS[flavour]
    upgrade_code = USER_UPGRADE_CODE if per_user else MACHINE_UPGRADE_CODE
    root, prefix = ("HKCU", "Software\\Classes\\") if per_user else ("HKLM", "Software\\Classes\\")
    main, with_x86 = dlls[0], dlls[1:] == ("x86",)
    # The package's DLL in INSTALLDIR; the 32-bit one beside a 64-bit one in X86DIR.
    file_ids, folder_ids = {main: "tovak.dll"}, {main: "INSTALLDIR"}
    if with_x86:
        file_ids["x86"], folder_ids["x86"] = "x86.tovak.dll", "X86DIR"
    rows = staged["rows"]

    def component(ident, bits, files, registry=()):
        win64 = ' Win64="yes"' if bits == 64 else ""
        body = [f"<Component Id={quoteattr(ident)} Guid={quoteattr(guid(upgrade_code, flavour + '/' + ident))}{win64}>"]
        for file_id, name, source in files:
            key_path = ' KeyPath="yes"' if file_id == files[0][0] else ""
            body.append(f"<File Id={quoteattr(file_id)} Name={quoteattr(name)} "
                        f"Source={quoteattr(source)}{key_path}/>")
        body.extend(registry)
        body.append("</Component>")
        return body

    main_bits = 64 if main == "x64" else 32
    components, refs = [], []
    for name in SHIPPED:
        ident = name
        registry = ()
        if name == "tovak.dll":
            registry = registry_xml([r for r in rows.values() if r[0] == main_bits],
                                    root, prefix, file_ids, folder_ids)
        components.extend(component(ident, main_bits, [(ident, name, staged[main][name])],
                                    registry))
        refs.append(ident)
    sub = []
    if with_x86:
        # The 32-bit DLL for 32-bit programs, with the icon it draws from beside it.
        registry = registry_xml([r for r in rows.values() if r[0] == 32], root, prefix,
                                file_ids, folder_ids)
        sub += component("x86.tovak.dll", 32,
                         [("x86.tovak.dll", "tovak.dll", staged["x86"]["tovak.dll"])], registry)
        sub += component("x86.tovak.ico", 32,
                         [("x86.tovak.ico", "tovak.ico", staged["x86"]["tovak.ico"])])
        refs += ["x86.tovak.dll", "x86.tovak.ico"]
        sub = ['<Directory Id="X86DIR" Name="x86">'] + sub + ["</Directory>"]

    product_code = guid(upgrade_code, f"{flavour}/{version}")
    install_dir = ['<Directory Id="INSTALLDIR" Name="TovakLite">'] + components + sub + [
        "</Directory>"]
    if per_user:
        install_dir = ['<Directory Id="ProgramsDir" Name="Programs">'] + install_dir + [
            "</Directory>"]
    scope = "perUser" if per_user else "perMachine"
    lines = [
        '<?xml version="1.0" encoding="utf-8"?>',
        '<Wix xmlns="http://schemas.microsoft.com/wix/2006/wi">',
        f'<Product Id="{product_code}" Name="TovakLite" Language="1033" Codepage="1252" '
        f'Version="{version}" Manufacturer="TovakLite Project" UpgradeCode="{{{str(upgrade_code).upper()}}}">',
        f'<Package InstallerVersion="500" Compressed="yes" InstallScope="{scope}" '
        'Description="TovakLite" Comments="Explorer context-menu items that copy file names and full paths"/>',
        '<Media Id="1" Cabinet="tovak.cab" EmbedCab="yes"/>',
        '<MajorUpgrade DowngradeErrorMessage="A newer version of TovakLite is already installed."/>',
        f'<Icon Id="tovak.ico" SourceFile={quoteattr(staged["icon"])}/>',
        '<Property Id="ARPPRODUCTICON" Value="tovak.ico"/>',
        '<Property Id="ARPNOMODIFY" Value="1"/>',
        # The help page as installed: a property set once the folders are known.
        '<CustomAction Id="SetHelpLink" Property="ARPHELPLINK" Value="[INSTALLDIR]help.html" Execute="immediate" Impersonate="yes"/>',
        '<InstallExecuteSequence><Custom Action="SetHelpLink" After="CostFinalize"/></InstallExecuteSequence>',
        '<Directory Id="TARGETDIR" Name="SourceDir">',
        f'<Directory Id="{program_folder}">',
        *install_dir,
        "</Directory>",
        "</Directory>",
        '<Feature Id="TovakLite" Level="1">',
        *[f"<ComponentRef Id={quoteattr(r)}/>" for r in refs],
        "</Feature>",
        "</Product>",
        "</Wix>",
    ]
    return "\n".join(lines) + "\n"


def stage(dist, flavour, work, epoch):
    """Copies the files into `work` with one fixed time (the cabinet stores each file's)."""
    _, _, dlls, _ = FLAVOURS[flavour]
    staged = {}
    for arch in dlls:
        staged[arch] = {}
        for name in SHIPPED:
            os.makedirs(os.path.join(work, arch), exist_ok=True)
            target = os.path.join(work, arch, name)
            shutil.copyfile(os.path.join(dist, arch, name), target)
            os.utime(target, (epoch, epoch))
            staged[arch][name] = f"{arch}/{name}"  # wixl runs in `work`
    staged["icon"] = staged[dlls[0]]["tovak.ico"]
    return staged


# --- The summary information stream, written in place in the compound file ---------

def stream_pieces(data, stream_name):
    """(file offset, length) of each piece of the named stream of a compound file."""
    if data[:8] != bytes.fromhex("D0CF11E0A1B11AE1"):
        sys.exit("make_msi: not a compound file")
    sector = 1 << struct.unpack_from("<H", data, 0x1E)[0]
    mini = 1 << struct.unpack_from("<H", data, 0x20)[0]
    first_dir, = struct.unpack_from("<I", data, 0x30)
    cutoff, first_minifat, _, first_difat, difat_count = struct.unpack_from("<5I", data, 0x38)
    difat = list(struct.unpack_from("<109I", data, 0x4C))
    next_difat = first_difat
    for _ in range(difat_count):
        entries = struct.unpack_from(f"<{sector // 4}I", data, (next_difat + 1) * sector)
        difat += entries[:-1]
        next_difat = entries[-1]
    fat = []
    for s in difat:
        if s < 0xFFFFFFFA:
            fat += struct.unpack_from(f"<{sector // 4}I", data, (s + 1) * sector)

    def chain(start):
        while start < 0xFFFFFFFA:
            yield start
            start = fat[start]

    directory = b"".join(data[(s + 1) * sector:(s + 2) * sector] for s in chain(first_dir))
    entries = {}
    for i in range(len(directory) // 128):
        entry = directory[i * 128:(i + 1) * 128]
        length, = struct.unpack_from("<H", entry, 0x40)
        name = entry[:max(length - 2, 0)].decode("utf-16-le")
        start, size = struct.unpack_from("<IQ", entry, 0x74)
        entries[name if i else "<root>"] = (start, size & 0xFFFFFFFF)
    start, size = entries[stream_name]
    if size >= cutoff:
        return [((s + 1) * sector, sector) for s in chain(start)][:(size + sector - 1) // sector], size
    minifat = b"".join(data[(s + 1) * sector:(s + 2) * sector] for s in chain(first_minifat))
    minifat = struct.unpack(f"<{len(minifat) // 4}I", minifat)
    ministream = [(s + 1) * sector for s in chain(entries["<root>"][0])]
    pieces = []
    while start < 0xFFFFFFFA and len(pieces) * mini < size:
        at = start * mini
        pieces.append((ministream[at // sector] + at % sector, mini))
        start = minifat[start]
    return pieces, size


def set_summary(path, package_code, epoch, per_user):
    """Sets the package code (PID_REVNUMBER) and both times (PID_CREATE_DTM,
    PID_LASTSAVE_DTM) in the summary stream, whose size does not change; a per-user
    package says that it needs no elevation (bit 3 of PID_WORDCOUNT), so that Windows
    does not ask for administrator rights."""
    with open(path, "rb") as f:
        data = bytearray(f.read())
    pieces, size = stream_pieces(bytes(data), "\x05SummaryInformation")
    stream = bytearray(b"".join(data[o:o + n] for o, n in pieces)[:size])
    section, = struct.unpack_from("<I", stream, 44)
    count, = struct.unpack_from("<I", stream, section + 4)
    filetime = (epoch + 11644473600) * 10000000
    for i in range(count):
        pid, offset = struct.unpack_from("<II", stream, section + 8 + 8 * i)
        at = section + offset
        kind, = struct.unpack_from("<I", stream, at)
        if pid == 9 and kind == 30:  # VT_LPSTR
            length, = struct.unpack_from("<I", stream, at + 4)
            text = package_code.encode("ascii") + b"\0"
            if length != len(text):
                sys.exit("make_msi: the package code does not fit the summary")
            stream[at + 8:at + 8 + length] = text
        elif pid in (12, 13) and kind == 64:  # VT_FILETIME
            struct.pack_into("<Q", stream, at + 4, filetime)
        elif pid == 15 and kind == 3 and per_user:  # VT_I4
            words, = struct.unpack_from("<I", stream, at + 4)
            struct.pack_into("<I", stream, at + 4, words | 8)
    position = 0
    for offset, length in pieces:
        chunk = stream[position:position + length]
        data[offset:offset + len(chunk)] = chunk
        position += length
    with open(path, "wb") as f:
        f.write(data)


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    for option in ("flavour", "dist", "version", "rows-tool", "script", "typelib-x64",
                   "typelib-x86", "work", "output"):
        parser.add_argument("--" + option, required=True)
    args = parser.parse_args()
    args.work, args.output = os.path.abspath(args.work), os.path.abspath(args.output)
    epoch = int(os.environ.get("SOURCE_DATE_EPOCH", DEFAULT_EPOCH))
    shutil.rmtree(args.work, ignore_errors=True)
    os.makedirs(args.work)
    staged = stage(args.dist, args.flavour, args.work, epoch)
    rows_of = {arch: registry_rows(args.rows_tool, args.script, getattr(args, "typelib_" + arch))
               for arch in FLAVOURS[args.flavour][2]}
    staged["rows"] = physical_rows(args.flavour, rows_of)
    wxs = wxs_text(args.flavour, args.version, staged)
    source = os.path.join(args.work, "tovak.wxs")
    with open(source, "w", encoding="utf-8") as f:
        f.write(wxs)

    # The package code names these exact contents.
    digest = hashlib.sha256(wxs.encode("utf-8"))
    for arch in FLAVOURS[args.flavour][2]:
        for name in SHIPPED:
            with open(os.path.join(args.work, staged[arch][name]), "rb") as f:
                digest.update(f.read())
    package_code = "{" + str(uuid.UUID(bytes=digest.digest()[:16], version=4)).upper() + "}"

    temporary = args.output + ".part"
    env = dict(os.environ, TZ="UTC")
    subprocess.run(["wixl", "-a", FLAVOURS[args.flavour][0], "-o", temporary, "tovak.wxs"],
                   check=True, env=env, cwd=args.work)
    set_summary(temporary, package_code, epoch, FLAVOURS[args.flavour][1])
    os.replace(temporary, args.output)
    print(f"{args.output}: {os.path.getsize(args.output)} bytes, package code {package_code}")


if __name__ == "__main__":
    main()

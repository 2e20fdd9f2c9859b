"""AppxManifest.xml of TovakLite's package with external location: the package gives the
files in the install folder package identity, and with it Windows 11 shows the two
Explorer commands of tovak.dll in its first-level context menu.

The package holds nothing but this manifest; every file it names (tovak.dll, the logos,
TovakSetup.exe) lies in the folder given to Add-AppxPackage -ExternalLocation."""
import re
from xml.sax.saxutils import quoteattr

NAME = "TovakLite"
# What Windows 11 requires in the Publisher of a package that is not signed, so that it
# can never take the identity of a signed one.
UNSIGNED_OID = "OID.2.25.311729368913984317654407730594956997722=1"
UNSIGNED_PUBLISHER = f"CN={NAME}, {UNSIGNED_OID}"
# The logos the manifest names, (file name, size in pixels), drawn by logos.py.
LOGOS = (("tovak-logo-50.png", 50), ("tovak-logo-150.png", 150), ("tovak-logo-44.png", 44))
STORE_LOGO, SQUARE150_LOGO, SQUARE44_LOGO = (name for name, _ in LOGOS)
# The item types Explorer asks about, and the prefix of their verbs' Ids: an Id is unique
# in the whole package, so each item type has its own pair.
ITEM_TYPES = (("*", "File"), ("Directory", "Folder"), ("Directory\\Background", "Background"))
# The two commands: (the macro's stem in common/explorer_command_ids.h, the verb's Id
# after the item type's prefix).
COMMANDS = (("COPY_NAMES", "CopyName"), ("COPY_PATHS", "CopyPath"))

NAMESPACES = (
    ("", "http://schemas.microsoft.com/appx/manifest/foundation/windows10"),
    ("uap", "http://schemas.microsoft.com/appx/manifest/uap/windows10"),
    ("uap10", "http://schemas.microsoft.com/appx/manifest/uap/windows10/10"),
    ("rescap", "http://schemas.microsoft.com/appx/manifest/foundation/windows10/restrictedcapabilities"),
    ("desktop4", "http://schemas.microsoft.com/appx/manifest/desktop/windows10/4"),
    ("desktop5", "http://schemas.microsoft.com/appx/manifest/desktop/windows10/5"),
    ("com", "http://schemas.microsoft.com/appx/manifest/com/windows10"),
)


def read_command_clsids(header_path):
    """{stem: GUID without braces} from the header's TOVAK_<stem>_COMMAND_CLSID_TEXT."""
    with open(header_path, encoding="ascii") as f:
        text = f.read()
    found = dict(re.findall(r'#define TOVAK_(\w+)_COMMAND_CLSID_TEXT "\{([0-9A-F-]{36})\}"', text))
    missing = [stem for stem, _ in COMMANDS if stem not in found]
    if missing:
        raise ValueError(f"{header_path} defines no class identifier for {missing}")
    return {stem: found[stem] for stem, _ in COMMANDS}


def four_part_version(version):
    """The package's version: exactly four numbers of 0 to 65535."""
    parts = version.split(".")
    parts += ["0"] * (4 - len(parts))
    if len(parts) != 4 or not all(p.isdigit() and int(p) <= 65535 for p in parts):
        raise ValueError(f"{version!r} is not a version of up to four parts")
    return ".".join(str(int(p)) for p in parts)


def manifest_xml(version, publisher, clsids):
    """The manifest's bytes (UTF-8, CR LF, as Windows' own tools write it)."""
    declarations = "".join(
        f"\n    xmlns{':' + prefix if prefix else ''}=\"{uri}\"" for prefix, uri in NAMESPACES)
    ignorable = " ".join(prefix for prefix, _ in NAMESPACES if prefix)
    verbs = []
    for item_type, prefix in ITEM_TYPES:
        verbs.append(f"            <desktop5:ItemType Type={quoteattr(item_type)}>")
        for stem, verb in COMMANDS:
            verbs.append(f"              <desktop5:Verb Id=\"{prefix}{verb}\" "
                         f"Clsid=\"{clsids[stem]}\"/>")
        verbs.append("            </desktop5:ItemType>")
    classes = [f"              <com:Class Id=\"{clsids[stem]}\" Path=\"tovak.dll\" "
               f"ThreadingModel=\"STA\"/>" for stem, _ in COMMANDS]
    lines = [
        '<?xml version="1.0" encoding="utf-8"?>',
        f"<Package{declarations}",
        f"    IgnorableNamespaces=\"{ignorable}\">",
        f"  <Identity Name=\"{NAME}\" Publisher={quoteattr(publisher)} "
        f"Version=\"{four_part_version(version)}\" ProcessorArchitecture=\"neutral\"/>",
        "  <Properties>",
        f"    <DisplayName>{NAME}</DisplayName>",
        f"    <PublisherDisplayName>{NAME}</PublisherDisplayName>",
        f"    <Logo>{STORE_LOGO}</Logo>",
        "    <uap10:AllowExternalContent>true</uap10:AllowExternalContent>",
        "  </Properties>",
        "  <Resources>",
        "    <Resource Language=\"ja-jp\"/>",
        "  </Resources>",
        "  <Dependencies>",
        "    <TargetDeviceFamily Name=\"Windows.Desktop\" MinVersion=\"10.0.19041.0\" "
        "MaxVersionTested=\"10.0.22621.0\"/>",
        "  </Dependencies>",
        "  <Capabilities>",
        "    <rescap:Capability Name=\"runFullTrust\"/>",
        "    <rescap:Capability Name=\"unvirtualizedResources\"/>",
        "  </Capabilities>",
        "  <Applications>",
        f"    <Application Id=\"{NAME}\" Executable=\"TovakSetup.exe\" "
        "uap10:TrustLevel=\"mediumIL\" uap10:RuntimeBehavior=\"win32App\">",
        f"      <uap:VisualElements DisplayName=\"{NAME}\" "
        "Description=\"ファイル名とフルパスをクリップボードにコピーします\" "
        f"BackgroundColor=\"transparent\" Square150x150Logo=\"{SQUARE150_LOGO}\" "
        f"Square44x44Logo=\"{SQUARE44_LOGO}\" AppListEntry=\"none\"/>",
        "      <Extensions>",
        "        <desktop4:Extension Category=\"windows.fileExplorerContextMenus\">",
        "          <desktop4:FileExplorerContextMenus>",
        *verbs,
        "          </desktop4:FileExplorerContextMenus>",
        "        </desktop4:Extension>",
        "        <com:Extension Category=\"windows.comServer\">",
        "          <com:ComServer>",
        f"            <com:SurrogateServer DisplayName=\"{NAME}\">",
        *classes,
        "            </com:SurrogateServer>",
        "          </com:ComServer>",
        "        </com:Extension>",
        "      </Extensions>",
        "    </Application>",
        "  </Applications>",
        "</Package>",
    ]
    return ("\r\n".join(lines) + "\r\n").encode("utf-8")


def with_publisher(manifest, publisher):
    """The same manifest with its Identity's Publisher replaced."""
    text = manifest.decode("utf-8")
    replaced, count = re.subn(r'(<Identity Name="[^"]*" Publisher=)("[^"]*"|\'[^\']*\')',
                              lambda m: m.group(1) + quoteattr(publisher), text, count=1)
    if count != 1:
        raise ValueError("the manifest has no Identity with a Publisher")
    return replaced.encode("utf-8")

"""The installer packages' tables, read with msiinfo (msitools): what each installs where,
that nothing in them runs a DLL, the upgrade codes, the summary; and the packages built
again from the same inputs, byte for byte."""
import os
import subprocess
import sys

FLAVOURS = ("x64", "x86", "x64-user")
WIN64 = 256  # msidbComponentAttributes64bit
SET_PROPERTY = 51  # a custom action that sets a property from a formatted text
LUA_PACKAGE = 8  # the summary's word count: installs without elevation


def table(package, name):
    """The rows of a table, each a list of its columns; [] when the table is absent."""
    result = subprocess.run(["msiinfo", "export", package, name], capture_output=True, text=True)
    if result.returncode != 0:
        return []
    return [line.split("\t") for line in result.stdout.splitlines()[3:]]


def summary(package):
    out = subprocess.run(["msiinfo", "suminfo", package], capture_output=True, text=True,
                         check=True).stdout
    return dict(line.split(": ", 1) for line in out.splitlines() if ": " in line)


def run(settings, check):
    dist, version_text = settings["dist"], settings["version_text"]
    upgrade_codes = {}
    for flavour in FLAVOURS:
        package = os.path.join(dist, f"TovakLite-{version_text}-{flavour}.msi")
        print(f"== {os.path.basename(package)}")
        if not check(os.path.isfile(package), f"{package} is missing (tools/package.sh)"):
            continue
        tables = subprocess.run(["msiinfo", "tables", package], capture_output=True, text=True,
                                check=True).stdout.split()
        check("SelfReg" not in tables or not table(package, "SelfReg"),
              f"{flavour}: the package has SelfReg rows")
        for name in ("File", "Component", "Registry", "Upgrade", "CustomAction"):
            rows = table(package, name)
            print(f"{name} ({len(rows)} rows)")
            for row in rows:
                print("  " + "  ".join(row))
        # Nothing runs code: the only custom action sets the help link.
        for action in table(package, "CustomAction"):
            check(int(action[1]) & 0x3F == SET_PROPERTY,
                  f"{flavour}: custom action {action[0]} of type {action[1]} runs code")
        sequence = {row[0] for row in table(package, "InstallExecuteSequence")}
        check(not sequence & {"SelfRegModules", "SelfUnregModules", "RegisterTypeLibraries"},
              f"{flavour}: the sequence registers modules itself")
        check(not table(package, "Binary"), f"{flavour}: the package carries binaries to run")

        # Files: the shipped ones; the 64-bit ones in 64-bit components.
        components = {row[0]: row for row in table(package, "Component")}
        files = table(package, "File")
        arch = "x86" if flavour == "x86" else "x64"
        for file_id, component, name, size, *_ in files:
            source_arch = "x86" if file_id.startswith("x86.") or arch == "x86" else "x64"
            with open(os.path.join(dist, source_arch, name), "rb") as f:
                check(int(size) == len(f.read()), f"{flavour}: {file_id} is not dist/{source_arch}")
            bits = 64 if int(components[component][3]) & WIN64 else 32
            check(bits == (64 if source_arch == "x64" else 32),
                  f"{flavour}: {file_id} lies in a {bits}-bit component")
        expected_files = 6 if flavour == "x64" else 4
        check(len(files) == expected_files, f"{flavour}: {len(files)} files, not {expected_files}")

        # The registry: the classes of the machine, or of the user, never HKMU (-1).
        root = 1 if flavour.endswith("-user") else 2
        for row in table(package, "Registry"):
            check(int(row[1]) == root and row[2].startswith("Software\\Classes\\"),
                  f"{flavour}: registry row {row[0]} under root {row[1]}, {row[2]}")

        properties = dict(row[:2] for row in table(package, "Property"))
        check(properties.get("ProductVersion") == settings["product_version"],
              f"{flavour}: ProductVersion {properties.get('ProductVersion')}")
        check(properties.get("ARPPRODUCTICON") == "tovak.ico", f"{flavour}: no ARPPRODUCTICON")
        check(properties.get("ALLUSERS") == (None if flavour.endswith("-user") else "1"),
              f"{flavour}: ALLUSERS is {properties.get('ALLUSERS')}")
        upgrade_codes[flavour] = properties.get("UpgradeCode")
        info = summary(package)
        print(f"summary: {info.get('Template')}, package code {info.get('Revision number (UUID)')}, "
              f"created {info.get('Created')}")
        check(info.get("Template") == ("Intel" if flavour == "x86" else "x64") + ";1033",
              f"{flavour}: the template is {info.get('Template')}")
        lua = int(info.get("Source", "0").split()[0]) & LUA_PACKAGE
        check(bool(lua) == flavour.endswith("-user"),
              f"{flavour}: the word count says elevation {'is not' if lua else 'is'} needed")

        # The same inputs again, later and elsewhere: the same bytes.
        again = os.path.join(settings["work"], f"again-{flavour}.msi")
        subprocess.run([sys.executable, settings["make_msi"], "--flavour", flavour,
                        "--dist", dist, "--version", settings["product_version"],
                        *settings["make_msi_inputs"],
                        "--work", os.path.join(settings["work"], f"again-{flavour}"),
                        "--output", again], check=True, stdout=subprocess.DEVNULL)
        with open(package, "rb") as a, open(again, "rb") as b:
            check(a.read() == b.read(), f"{flavour}: building the package again gave other bytes")

    check(upgrade_codes.get("x64") == upgrade_codes.get("x86"),
          "the per-machine packages do not share their upgrade code")
    check(upgrade_codes.get("x64-user") not in (None, upgrade_codes.get("x64")),
          "the per-user package shares the per-machine upgrade code")

#!/usr/bin/env python3
"""The installer packages as an administrator or a user meets them.

    check_msi.py prefix <folder>
    check_msi.py machine-x64|machine-x86|per-user|upgrade|tables <settings.json>

"prefix" makes the fresh prefix the others copy (a copy of a prefix no program has run
in is a fresh prefix, and takes seconds where wineboot takes minutes). Each check
installs with msiexec /i ... /qn in its own copy and compares the registry, read from the
prefix's files once its wineserver has ended, with what registering the same installed
files writes in a second copy: regsvr32 for the 64-bit DLL, and for the 32-bit DLL
view_registration, which applies that DLL's own script and type library from a 64-bit
process into the 32-bit view, so that no check needs a 32-bit program to run. "tables"
reads the packages with msiinfo and builds them again. A check's prefixes go when it passes."""
import json
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine_registry  # noqa: E402

CLASSES = "Software\\Classes"
UNINSTALL = ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
             "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall")
HANDLER_PARENTS = ("*\\Shellex", "*\\Background\\Shellex", "Directory\\Shellex",
                   "Directory\\Background\\Shellex")
LIBRARY_KEYS = ("typelib\\{5ae522fe-2aa7-4e0c-bfcb-e083599d5648}",
                "interface\\{f934ca32-fbe6-41f4-a58b-edfd111b08e3}")
# Windows shares every key of the classes between the two registry views but these, which
# it redirects to Wow6432Node for 32-bit programs ("Registry Keys Affected by WOW64").
REDIRECTED_CLASSES = ("clsid", "interface", "directshow", "media type", "mediafoundation")
failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAILED:", what)
    return condition


class Prefix:
    def __init__(self, path):
        # On the display of the prefixes other than the shared one (tools/wine-env.sh).
        self.path = path
        self.env = dict(os.environ, WINEPREFIX=path, DISPLAY=os.environ["TOVAK_SIDE_DISPLAY"])

    def drive(self, *parts):
        return os.path.join(self.path, "drive_c", *parts)

    def windows(self, *parts):
        return "C:\\" + "\\".join(parts)

    def wine(self, *args, session=False):
        """Runs a program (in a session of its own with `session`) and waits for the
        prefix's server to end: everything the program started has finished and the
        registry is on disk. A program that fails is named with its exit status and what
        Wine's installer and loader said."""
        env = dict(self.env, WINEDEBUG="-all,err+msi,warn+msi,err+module,err+winediag")
        command = (["setsid", "-w"] if session else []) + ["wine", *args]
        with open(self.path + ".log", "w+b") as log:
            status = subprocess.run(command, env=env, stdin=subprocess.DEVNULL,
                                    stdout=subprocess.DEVNULL, stderr=log).returncode
            subprocess.run(["wineserver", "-w"], env=self.env)
            if status != 0:
                log.seek(0)
                said = log.read().decode(errors="replace").splitlines()[-40:]
                print(f"{' '.join(args)}: exit status {status}" +
                      "".join("\n  " + line for line in said))
        return status

    def down(self):
        subprocess.run(["wineserver", "-k"], env=self.env, stderr=subprocess.DEVNULL)
        subprocess.run(["wineserver", "-w"], env=self.env)

    def classes(self, hive):
        keys = wine_registry.read(os.path.join(self.path, hive))
        # Without the installer's records.
        return shared_as_windows(wine_registry.subtree(keys, CLASSES, ("installer",)))

    def apps_entries(self):
        keys = wine_registry.read(os.path.join(self.path, "system.reg"))
        return {k: v for u in UNINSTALL for k, v in wine_registry.subtree(keys, u).items()
                if v.get("displayname") == "TovakLite"}


def shared_as_windows(classes):
    """The classes as Windows keeps them. In a prefix with a 32-bit half, Wine 8 redirects
    all of them for the 32-bit view, so a 32-bit regsvr32 (or anything written through
    that view) puts even the shared keys (handlers, ProgIDs, the type library) under
    Wow6432Node; there they count where Windows keeps them, the 64-bit view's key winning
    where both exist, as the DLL registered second would leave it."""
    def shared(key):  # the key's place in the shared classes, or None
        head, _, rest = key.partition("\\")
        top = rest.split("\\")[0]
        return rest if head == "wow6432node" and rest and top not in REDIRECTED_CLASSES else None

    folded = {k: v for k, v in classes.items() if shared(k) is None}
    for key, values in classes.items():
        if shared(key) is not None:
            folded.setdefault(shared(key), values)
    return folded


def changes(before, after):
    return ({k: v for k, v in after.items() if before.get(k) != v},
            sorted(k for k in before if k not in after))


def compare(what, got, expected):
    print(f"{what}: {len(got[0])} keys added or changed, {len(got[1])} removed")
    if not check(got == expected, f"{what}: the package's registry is not regsvr32's"):
        for label, (added, removed) in (("package", got), ("regsvr32", expected)):
            print(label + "".join(f"\n  + {k} {v}" for k, v in sorted(added.items())) +
                  "".join(f"\n  - {k}" for k in removed))


def check_pruned(what, package, reference):
    """The uninstalled state against regsvr32 /u's: the same, but that Wine's msiexec
    removes every key left empty above a key it removes ('+' rows and keys that were
    there before alike), where regsvr32 /u keeps the script's NoRemove keys."""
    missing = sorted(k for k in reference if k not in package)
    print(f"{what}: of the keys regsvr32 /u keeps, msiexec /x removed the empty {missing}")
    check(all(not reference[k] and not any(o.startswith(k + "\\") for o in package)
              for k in missing), f"{what}: msiexec /x removed keys with content")
    check(all(reference.get(k) == v for k, v in package.items()),
          f"{what}: msiexec /x left what regsvr32 /u did not")


def check_apps_entry(prefix, version, folder):
    entries = prefix.apps_entries()
    for code, v in entries.items():
        print(f"Apps entry {code}: {v.get('displayname')} {v.get('displayversion')}, "
              f"{v.get('publisher')}, help link {v.get('helplink')}")
        check(v.get("displayversion") == version and v.get("publisher") == "TovakLite Project" and
              v.get("helplink") == folder + "\\help.html", f"the Apps entry {v}")
    check(len(entries) == 1, f"{len(entries)} Apps entries named TovakLite")
    return set(entries)


# What each package installs where, and how the same files are registered without it.
SCENARIOS = {
    "machine-x64": ("x64", "system.reg", ("Program Files", "TovakLite")),
    "machine-x86": ("x86", "system.reg", ("Program Files (x86)", "TovakLite")),
    "per-user": ("x64-user", "user.reg", ("users", "*", "AppData", "Local", "Programs", "TovakLite")),
}


def install(settings, scenario):
    flavour, hive, relative = SCENARIOS[scenario]
    arch = "x86" if flavour == "x86" else "x64"
    installed, reference = (copy_prefix(settings, f"{scenario}-{w}") for w in ("msi", "regsvr32"))
    user = [u for u in os.listdir(installed.drive("users")) if u != "Public"][0]
    relative = tuple(user if p == "*" else p for p in relative)
    files = {(relative, n): os.path.join(settings["dist"], arch, n) for n in settings["shipped"]}
    if flavour == "x64":
        files.update({(relative + ("x86",), n): os.path.join(settings["dist"], "x86", n)
                      for n in ("tovak.dll", "tovak.ico")})
    dll, x86_dll = installed.windows(*relative, "tovak.dll"), installed.windows(*relative, "x86",
                                                                                  "tovak.dll")
    helper = reference.windows("view_registration.exe")

    def register(on):  # the 32-bit DLL first, as the package lays the two over each other
        steps = {"x64": [(helper, "register", "32", x86_dll), ("regsvr32", "/s", dll)],
                 "x86": [(helper, "register", "32", dll)],
                 "x64-user": [("regsvr32", "/s", "/n", "/i:user", dll)]}[flavour]
        if not on:
            steps = [s[:1] + ("unregister",) + s[2:] if s[0] == helper else s[:2] + ("/u",) + s[2:]
                     for s in reversed(steps)]
        return all(reference.wine(*s) == 0 for s in steps)

    package = f"TovakLite-{settings['version_text']}-{flavour}.msi"
    try:
        machine_before, before = installed.classes("system.reg"), installed.classes(hive)
        shutil.copy(os.path.join(settings["dist"], package), installed.drive())
        check(installed.wine("msiexec", "/i", "C:\\" + package, "/qn") == 0, "msiexec /i failed")
        for (folder, name), source in files.items():
            path = installed.drive(*folder, name)
            check(os.path.isfile(path) and open(path, "rb").read() == open(source, "rb").read(),
                  f"{path} is missing or not {source}")
        check_apps_entry(installed, settings["product_version"], installed.windows(*relative))
        got = changes(before, installed.classes(hive))

        shutil.copy(settings["view_registration"], reference.drive())
        for (folder, name), source in files.items():
            os.makedirs(reference.drive(*folder), exist_ok=True)
            shutil.copy(source, reference.drive(*folder, name))
        check(register(True), "registering the installed files failed")
        expected = changes(before, reference.classes(hive))
        if flavour == "x86":
            # A 64-bit system's RegisterTypeLib registers the interface in the 64-bit view
            # too, where a 32-bit package has no components.
            expected = ({k: v for k, v in expected[0].items() if not k.startswith(LIBRARY_KEYS[1])},
                        expected[1])
        if hive == "user.reg":
            # Wine's RegisterTypeLibForUser registers for the whole machine, Windows' among
            # the user's classes, where the package writes it (in the one view Wine has).
            moved = {k: v for k, v in changes(machine_before, reference.classes("system.reg"))[0]
                     .items() if k.startswith(LIBRARY_KEYS)}
            print(f"per-user: {len(moved)} type library keys regsvr32 put among the machine's "
                  "classes are expected among the user's")
            expected[0].update(moved)
            expected[0].update({k: {} for k in ("typelib", "interface") if k not in before})
            check(installed.classes("system.reg") == machine_before, "machine classes written")
        compare(f"{scenario} install", got, expected)

        if flavour == "x64":
            # The derivation checked where regsvr32 runs: the 64-bit DLL the same way.
            check(reference.wine("regsvr32", "/s", "/u", dll) == 0 and
                  reference.wine(helper, "register", "64", dll) == 0, "view_registration")
            compare("x64 registered as the 32-bit one is", changes(before, reference.classes(hive)),
                    expected)

        check(installed.wine("msiexec", "/x", "C:\\" + package, "/qn") == 0, "msiexec /x failed")
        check(register(False), "unregistering the installed files failed")
        check(not os.path.exists(installed.drive(*relative)) and not installed.apps_entries(),
              "uninstalling left the files or the Apps entry")
        check(hive == "system.reg" or installed.classes("system.reg") == machine_before,
              "the per-user package's uninstall changed machine classes")
        check_pruned(f"{scenario} uninstall", installed.classes(hive), reference.classes(hive))

        if flavour == "x64":
            # Where other software uses the shared keys, uninstall leaves them as regsvr32 /u.
            for prefix in (installed, reference):
                for parent in HANDLER_PARENTS:
                    for view in ("32", "64"):
                        prefix.wine("reg", "add", f"HKCR\\{parent}\\ContextMenuHandlers\\Stranger",
                                    "/ve", "/d", "{00000000-1111-2222-3333-444444444444}", "/f",
                                    f"/reg:{view}")
            check(installed.wine("msiexec", "/i", "C:\\" + package, "/qn") == 0 and
                  installed.wine("msiexec", "/x", "C:\\" + package, "/qn") == 0 and
                  register(True) and register(False), "the second round failed")
            compare("uninstall beside another handler", changes(before, installed.classes(hive)),
                    changes(before, reference.classes(hive)))
    finally:
        installed.down()
        reference.down()
    return [installed, reference]


def upgrade(settings):
    """The same version twice is a repair; a newer version replaces the older one."""
    prefix = copy_prefix(settings, "upgrade")
    folder = ("Program Files", "TovakLite")
    newer_dist = os.path.join(settings["work"], "newer-dist")
    try:
        shutil.copy(os.path.join(settings["dist"], f"TovakLite-{settings['version_text']}-x64.msi"),
                    prefix.drive("older.msi"))
        check(prefix.wine("msiexec", "/i", "C:\\older.msi", "/qn") == 0, "msiexec /i failed")
        installed = prefix.classes("system.reg")
        older = check_apps_entry(prefix, settings["product_version"], prefix.windows(*folder))
        check(prefix.wine("msiexec", "/i", "C:\\older.msi", "/qn") == 0, "the repair failed")
        check(prefix.apps_entries().keys() == older, "the same version twice: a second entry")

        # A newer build: a higher version, and a help page of its own.
        shutil.rmtree(newer_dist, ignore_errors=True)
        shutil.copytree(settings["dist"], newer_dist, ignore=shutil.ignore_patterns("*.msi", "*.zip"))
        marker = b"<!-- the newer build -->\n"
        with open(os.path.join(newer_dist, "x64", "help.html"), "ab") as f:
            f.write(marker)
        subprocess.run([sys.executable, settings["make_msi"], "--flavour", "x64", "--dist",
                        newer_dist, "--version", settings["upgrade_version"],
                        *settings["make_msi_inputs"], "--work", newer_dist + "-work",
                        "--output", prefix.drive("newer.msi")], check=True)
        check(prefix.wine("msiexec", "/i", "C:\\newer.msi", "/qn") == 0, "the upgrade failed")
        newer = check_apps_entry(prefix, settings["upgrade_version"], prefix.windows(*folder))
        check(not newer & older, "the older version's Apps entry is still there")
        check(open(prefix.drive(*folder, "help.html"), "rb").read().endswith(marker),
              "the newer help page was not installed")
        check(prefix.classes("system.reg") == installed, "the upgrade changed the registry")
        check(prefix.wine("msiexec", "/x", "C:\\newer.msi", "/qn") == 0 and
              not prefix.apps_entries(), "uninstalling the newer version failed")
    finally:
        prefix.down()
    return [prefix]


def tables(settings):
    """No SelfReg, no custom action that runs code, files in components of their bitness,
    rows under the classes of the machine or of the user, upgrade codes; and a second
    build of each package from the same inputs gives the same bytes."""
    codes = {}
    for flavour in ("x64", "x86", "x64-user"):
        package = os.path.join(settings["dist"], f"TovakLite-{settings['version_text']}-{flavour}.msi")

        def rows(name):  # (a binary table's streams go into a folder named after it)
            out = subprocess.run(["msiinfo", "export", package, name], capture_output=True,
                                 text=True, cwd=settings["work"])
            return [line.split("\t") for line in out.stdout.splitlines()[3:]]

        names = subprocess.run(["msiinfo", "tables", package], capture_output=True,
                               text=True).stdout.split()
        check(names and "SelfReg" not in names and not rows("Binary"), f"{flavour}: SelfReg")
        check(["ARPPRODUCTICON", "tovak.ico"] in rows("Property") and rows("Icon"),
              f"{flavour}: no product icon")
        check(all(int(a[1]) & 0x3F == 51 for a in rows("CustomAction")),  # sets a property
              f"{flavour}: a custom action runs code: {rows('CustomAction')}")
        components = {c[0]: int(c[3]) & 256 for c in rows("Component")}  # 64-bit components
        for f in rows("File"):
            check(bool(components[f[1]]) == (flavour != "x86" and not f[0].startswith("x86.")),
                  f"{flavour}: {f[0]} in a component of the wrong bitness")
        root = "1" if flavour == "x64-user" else "2"  # HKCU or HKLM, never HKMU (-1)
        check(all(r[1] == root and r[2].startswith(CLASSES + "\\") for r in rows("Registry")),
              f"{flavour}: registry rows outside the classes")
        codes[flavour] = {u[0] for u in rows("Upgrade")}
        print(f"{flavour}: {len(rows('File'))} files, {len(rows('Registry'))} registry rows, "
              f"upgrade code {codes[flavour]}")
        again = os.path.join(settings["work"], f"again-{flavour}.msi")
        subprocess.run([sys.executable, settings["make_msi"], "--flavour", flavour, "--dist",
                        settings["dist"], "--version", settings["product_version"],
                        *settings["make_msi_inputs"], "--work", again + "-work", "--output", again],
                       check=True, stdout=subprocess.DEVNULL)
        check(open(package, "rb").read() == open(again, "rb").read(), f"{flavour}: not reproducible")
    check(codes["x64"] == codes["x86"] != codes["x64-user"], f"upgrade codes {codes}")
    return []


def copy_prefix(settings, name):
    path = os.path.join(settings["work"], name)
    shutil.rmtree(path, ignore_errors=True)
    subprocess.run(["cp", "-a", settings["template"], path], check=True)
    return Prefix(path)


def make_prefix(path):
    """A new prefix, made by wineboot, once everything wineboot started has ended."""
    shutil.rmtree(path, ignore_errors=True)
    prefix = Prefix(path)
    if prefix.wine("wineboot", "-i", session=True) == 0 and \
            os.path.isdir(prefix.drive("windows", "system32")):
        return 0
    print(f"FAILED: wineboot made no prefix in {path}")
    return 1


def main(argv):
    if len(argv) != 3:
        sys.exit(__doc__)
    if argv[1] == "prefix":
        return make_prefix(argv[2])
    with open(argv[2]) as f:
        settings = json.load(f)
    os.makedirs(settings["work"], exist_ok=True)
    checks = {"upgrade": upgrade, "tables": tables}
    prefixes = checks.get(argv[1], lambda s: install(s, argv[1]))(settings)
    print(f"{len(failures)} failed")
    if failures:
        return 1
    for prefix in prefixes:
        shutil.rmtree(prefix.path, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))

#!/usr/bin/env python3
"""The installer packages as an administrator or a user meets them, under Wine.

    check_msi.py prefix <template folder>
    check_msi.py tables|machine-x64|machine-x86|upgrade|per-user <settings.json>

"prefix" makes the fresh prefix that every other check copies (a copy of a prefix no
program has run in is a fresh prefix, and costs seconds where wineboot costs minutes).
Each check installs with msiexec /i ... /qn in its own copy and compares the registry,
read from the prefix's files once its wineserver has ended, with what regsvr32 of the
same installed files writes in a second copy; the 32-bit DLL's registration is derived
by view_registration, which applies that DLL's own script and type library from a 64-bit
process into the 32-bit view. "tables" reads the packages with msiinfo and builds them
again to compare the bytes. A check's prefixes are deleted when it passes."""
import json
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import wine_registry  # noqa: E402

CLASSES = "Software\\Classes"
# Apps entries, of 64-bit and of 32-bit packages.
UNINSTALL = ("Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall",
             "Software\\Wow6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall")
# The installer's own records of its products live among the machine's classes.
BOOKKEEPING = ("installer",)
HANDLER_PARENTS = ("*\\Shellex\\ContextMenuHandlers", "*\\Background\\Shellex\\ContextMenuHandlers",
                   "Directory\\Shellex\\ContextMenuHandlers",
                   "Directory\\Background\\Shellex\\ContextMenuHandlers")
STRANGER = "StrangerHandler"
LIBID = "{5ae522fe-2aa7-4e0c-bfcb-e083599d5648}"
IID = "{f934ca32-fbe6-41f4-a58b-edfd111b08e3}"

failures = []
passed = 0


def check(condition, what):
    global passed
    if condition:
        passed += 1
    else:
        failures.append(what)
        print("FAILED:", what)
    return condition


def finish():
    print(f"{passed} passed, {len(failures)} failed")
    return 1 if failures else 0


class Prefix:
    """A Wine prefix of its own, with its own wineserver."""

    def __init__(self, path):
        self.path = path
        self.env = dict(os.environ, WINEPREFIX=path)

    def drive(self, *parts):
        return os.path.join(self.path, "drive_c", *parts)

    def wine(self, *args):
        """Runs a program to its end and waits for the prefix's server to end too, so
        that everything it started has finished and the registry is on disk."""
        result = subprocess.run(["wine", *args], env=self.env, stdin=subprocess.DEVNULL,
                                stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
        self.settle()
        return result.returncode

    def settle(self):
        subprocess.run(["wineserver", "-w"], env=self.env, check=False)

    def down(self):
        subprocess.run(["wineserver", "-k"], env=self.env, check=False,
                       stderr=subprocess.DEVNULL)
        self.settle()

    def registry(self, hive):
        return wine_registry.read(os.path.join(self.path, hive))

    def classes(self, hive="system.reg"):
        return wine_registry.subtree(self.registry(hive), CLASSES, BOOKKEEPING)

    def apps_entries(self):
        machine = self.registry("system.reg")
        entries = {}
        for uninstall in UNINSTALL:
            for key, values in wine_registry.subtree(machine, uninstall).items():
                if "\\" not in key and values.get("displayname", ("", ""))[1] == "TovakLite":
                    entries[key] = values
        return entries


def make_prefix(template):
    """A fresh prefix; wineboot is asked twice, since a first start now and then fails."""
    shutil.rmtree(template, ignore_errors=True)
    prefix = Prefix(template)
    for _ in range(2):
        subprocess.run(["setsid", "-w", "wine", "wineboot", "-i"], env=prefix.env,
                       stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL)
        prefix.settle()
        if os.path.isdir(prefix.drive("windows", "system32")):
            print(f"fresh prefix: {template}")
            return 0
    print(f"FAILED: wineboot made no prefix in {template}")
    return 1


def copy_prefix(settings, name):
    path = os.path.join(settings["work"], name)
    shutil.rmtree(path, ignore_errors=True)
    shutil.copytree(settings["template"], path, symlinks=True)
    return Prefix(path)


def describe(added, removed):
    lines = [f"  + {k} {v}" for k, v in sorted(added.items())]
    return "\n".join(lines + [f"  - {k}" for k in removed])


def changes(before, after):
    added, removed = wine_registry.difference(before, after)
    return added, removed


def compare(what, got, expected):
    """Two (added, removed) changes, printed, and equal."""
    same = got == expected
    print(f"{what}: {len(got[0])} keys added or changed, {len(got[1])} removed"
          f"{'' if same else ' -- differs from regsvr32'}")
    if not same:
        print("package:\n" + describe(*got) + "\nregsvr32:\n" + describe(*expected))
    return check(same, f"{what}: the package's registry is not regsvr32's")


def same_files(installed, sources):
    """Each installed file (folder, name) has the bytes of its source."""
    ok = True
    for (folder, name), source in sources.items():
        path = os.path.join(folder, name)
        with open(source, "rb") as a:
            present = os.path.isfile(path)
            ok &= check(present and open(path, "rb").read() == a.read(),
                        f"{path} is missing or not {source}")
    return ok


def place(files):
    for (folder, name), source in files.items():
        os.makedirs(folder, exist_ok=True)
        shutil.copyfile(source, os.path.join(folder, name))


def windows_path(prefix, host_path):
    relative = os.path.relpath(host_path, prefix.drive())
    return "C:\\" + relative.replace("/", "\\")


def check_apps_entry(prefix, settings, version, folder):
    entries = prefix.apps_entries()
    check(len(entries) == 1, f"{len(entries)} Apps entries named TovakLite, not one")
    for code, values in entries.items():
        text = {k: v[1] for k, v in values.items()}
        print(f"Apps entry {code}: {text.get('displayname')} {text.get('displayversion')}, "
              f"{text.get('publisher')}, help {text.get('helplink')}")
        check(text.get("displayversion") == version, f"the Apps entry's version is not {version}")
        check(text.get("publisher") == "TovakLite Project", "the Apps entry names no publisher")
        check(text.get("helplink") == windows_path(prefix, folder) + "\\help.html",
              "the Apps entry's help link is not the installed help page")
        # The product's icon, which Settings shows, as the installer keeps it.
        products = wine_registry.subtree(prefix.registry(settings.get("icon_hive", "system.reg")),
                                         settings.get("products", CLASSES + "\\Installer\\Products"))
        icons = [v["producticon"][1] for v in products.values() if "producticon" in v]
        check(len(icons) == 1 and icons[0].lower().endswith("\\tovak.ico"),
              f"the product's icon is {icons}")
    return entries


def plant_strangers(prefix, views):
    """Another program's handler beneath each ContextMenuHandlers key: keys shared."""
    for parent in HANDLER_PARENTS:
        for view in views:
            prefix.wine("reg", "add", f"HKCR\\{parent}\\{STRANGER}", "/ve", "/d", "stranger",
                        "/f", f"/reg:{view}")


def pruned_only(what, package, reference):
    """Uninstalled state against regsvr32 /u's: the same, but for keys that regsvr32 /u
    leaves empty and Wine's msiexec removes (its RemoveRegistryValues deletes every key
    left empty above a removed one, '+' rows and keys that were there before alike)."""
    missing = {k: v for k, v in reference.items() if k not in package}
    extra = {k: v for k, v in package.items() if reference.get(k) != v}
    empty = all(not v and not any(o.startswith(k + "\\") for o in package) for k, v in
                missing.items())
    print(f"{what}: regsvr32 /u leaves {len(missing)} empty keys that msiexec /x removes:")
    for k in sorted(missing):
        print(f"  {k}")
    check(not extra, f"{what}: msiexec /x leaves what regsvr32 /u does not:\n" +
          describe(extra, []))
    return check(empty, f"{what}: msiexec /x removes keys that regsvr32 /u leaves with content")


def machine(settings, arch):
    """Install, compare, uninstall, compare; then again with the shared keys in use."""
    package = os.path.join(settings["dist"], f"TovakLite-{settings['version_text']}-{arch}.msi")
    dist = settings["dist"]
    installed = copy_prefix(settings, f"{arch}-msi")
    reference = copy_prefix(settings, f"{arch}-regsvr32")
    try:
        template = installed.classes()
        relative = ("Program Files" if arch == "x64" else "Program Files (x86)", "TovakLite")
        folder = installed.drive(*relative)

        def files_in(prefix):
            """(folder, name): source of every file the package installs."""
            top = prefix.drive(*relative)
            files = {(top, n): os.path.join(dist, arch, n) for n in settings["shipped"]}
            if arch == "x64":
                for n in ("tovak.dll", "tovak.ico"):
                    files[(os.path.join(top, "x86"), n)] = os.path.join(dist, "x86", n)
            return files

        shutil.copy(package, installed.drive())
        msi = "C:\\" + os.path.basename(package)
        check(installed.wine("msiexec", "/i", msi, "/qn") == 0, f"msiexec /i {msi} /qn failed")
        same_files(installed, files_in(installed))
        check_apps_entry(installed, settings, settings["product_version"], folder)
        got = changes(template, installed.classes())

        # The same files registered by regsvr32 (the 32-bit DLL derived, registered first).
        place(files_in(reference))
        dll = windows_path(reference, reference.drive(*relative, "tovak.dll"))
        x86_dll = windows_path(reference, reference.drive(*relative, "x86", "tovak.dll"))
        helper = windows_path(reference, reference.drive("view_registration.exe"))
        shutil.copy(settings["view_registration"], reference.drive())

        def register(registering):
            verb = "register" if registering else "unregister"
            if arch == "x86":
                return reference.wine(helper, verb, "32", "machine", dll) == 0
            ok = True
            steps = [(helper, verb, "32", "machine", x86_dll),
                     ("regsvr32", "/s", *([] if registering else ["/u"]), dll)]
            for step in (steps if registering else steps[::-1]):
                ok &= reference.wine(*step) == 0
            return ok

        check(register(True), "registering with regsvr32 failed")
        expected = changes(template, reference.classes())
        if arch == "x86":
            # RegisterTypeLib of a 64-bit system registers the interface in the 64-bit
            # view too, which a 32-bit package cannot write.
            other_view = {k for k in expected[0] if k.startswith("interface\\" + IID)}
            print(f"x86: the derived registration's {len(other_view)} interface keys of the "
                  "64-bit view are left out (a 32-bit package has no 64-bit components)")
            expected = ({k: v for k, v in expected[0].items() if k not in other_view},
                        expected[1])
        compare(f"{arch} install", got, expected)

        if arch == "x64":
            # The derivation, checked where regsvr32 can run: the 64-bit DLL through
            # view_registration writes what regsvr32 wrote.
            check(reference.wine("regsvr32", "/s", "/u", dll) == 0, "regsvr32 /u failed")
            check(reference.wine(helper, "register", "64", "machine", dll) == 0,
                  "view_registration 64 failed")
            compare("x64 derived the way the 32-bit DLL is",
                    changes(template, reference.classes()), expected)

        check(installed.wine("msiexec", "/x", msi, "/qn") == 0, f"msiexec /x {msi} /qn failed")
        check(register(False), "unregistering with regsvr32 failed")
        check(not os.path.exists(folder), f"{folder} is left after uninstalling")
        check(not installed.apps_entries(), "an Apps entry is left after uninstalling")
        pruned_only(f"{arch} uninstall", installed.classes(), reference.classes())

        # Keys that other software uses stay exactly as regsvr32 /u leaves them.
        views = ("64", "32") if arch == "x64" else ("32",)
        plant_strangers(installed, views)
        plant_strangers(reference, views)
        check(installed.classes() == reference.classes(), "the two prefixes differ before")
        check(installed.wine("msiexec", "/i", msi, "/qn") == 0, "msiexec /i again failed")
        check(installed.wine("msiexec", "/x", msi, "/qn") == 0, "msiexec /x again failed")
        check(register(True) and register(False), "regsvr32 and regsvr32 /u failed")
        compare(f"{arch} uninstall beside another handler", changes(template, installed.classes()),
                changes(template, reference.classes()))
    finally:
        installed.down()
        reference.down()
    return installed, reference


def upgrade(settings):
    """The same version twice is a repair; a newer version replaces the older one."""
    dist, version = settings["dist"], settings["product_version"]
    prefix = copy_prefix(settings, "upgrade")
    try:
        package = os.path.join(dist, f"TovakLite-{settings['version_text']}-x64.msi")
        shutil.copy(package, prefix.drive("old.msi"))
        check(prefix.wine("msiexec", "/i", "C:\\old.msi", "/qn") == 0, "msiexec /i failed")
        first = prefix.classes()
        old = check_apps_entry(prefix, settings, version, prefix.drive("Program Files", "TovakLite"))
        check(prefix.wine("msiexec", "/i", "C:\\old.msi", "/qn") == 0, "the second msiexec /i failed")
        check(prefix.apps_entries().keys() == old.keys(), "the same version twice: not one entry")
        check(prefix.classes() == first, "the same version twice changed the registry")

        # A newer build: a higher version and a help page of its own.
        newer_dist = os.path.join(settings["work"], "newer-dist")
        shutil.rmtree(newer_dist, ignore_errors=True)
        shutil.copytree(dist, newer_dist, ignore=shutil.ignore_patterns("*.msi", "*.zip"))
        marker = b"<!-- the newer build -->\n"
        for arch in ("x64", "x86"):
            with open(os.path.join(newer_dist, arch, "help.html"), "ab") as f:
                f.write(marker)
        newer_version = settings["upgrade_version"]
        subprocess.run([sys.executable, settings["make_msi"], "--flavour", "x64",
                        "--dist", newer_dist, "--version", newer_version,
                        *settings["make_msi_inputs"], "--work", os.path.join(settings["work"], "newer"),
                        "--output", prefix.drive("newer.msi")], check=True)
        check(prefix.wine("msiexec", "/i", "C:\\newer.msi", "/qn") == 0, "msiexec /i of the newer failed")
        folder = prefix.drive("Program Files", "TovakLite")
        new = check_apps_entry(prefix, settings, newer_version, folder)
        check(not set(new) & set(old), "the older version's Apps entry is still there")
        with open(os.path.join(folder, "help.html"), "rb") as f:
            check(f.read().endswith(marker), "the newer help page was not installed")
        check(prefix.classes() == first, "after the upgrade the registry is not the install's")
        check(prefix.wine("msiexec", "/x", "C:\\newer.msi", "/qn") == 0, "msiexec /x failed")
        check(not prefix.apps_entries() and not os.path.exists(folder),
              "uninstalling the newer version left its entry or files")
    finally:
        prefix.down()
    return [prefix]


def per_user(settings):
    """Files and keys of the current user alone; nothing among the machine's classes."""
    package = os.path.join(settings["dist"], f"TovakLite-{settings['version_text']}-x64-user.msi")
    installed = copy_prefix(settings, "user-msi")
    reference = copy_prefix(settings, "user-regsvr32")
    try:
        machine_before = installed.classes()
        user_before = installed.classes("user.reg")
        users = [u for u in os.listdir(installed.drive("users")) if u.lower() != "public"]
        relative = ("users", users[0], "AppData", "Local", "Programs", "TovakLite")
        folder = installed.drive(*relative)

        def files_in(prefix):
            return {(prefix.drive(*relative), n): os.path.join(settings["dist"], "x64", n)
                    for n in settings["shipped"]}
        shutil.copy(package, installed.drive())
        msi = "C:\\" + os.path.basename(package)
        check(installed.wine("msiexec", "/i", msi, "/qn") == 0, f"msiexec /i {msi} /qn failed")
        same_files(installed, files_in(installed))
        # Wine writes a per-user product's Apps entry among the machine's keys.
        check_apps_entry(installed, dict(settings, icon_hive="user.reg",
                                         products="Software\\Microsoft\\Installer\\Products"),
                         settings["product_version"], folder)
        check(installed.classes() == machine_before, "the per-user package wrote machine classes")
        got = changes(user_before, installed.classes("user.reg"))

        place(files_in(reference))
        dll = windows_path(reference, reference.drive(*relative, "tovak.dll"))
        check(reference.wine("regsvr32", "/s", "/n", "/i:user", dll) == 0, "regsvr32 /i:user failed")
        user_keys = changes(user_before, reference.classes("user.reg"))
        machine_keys = changes(machine_before, reference.classes())
        # Wine's RegisterTypeLibForUser registers for the whole machine; Windows' under the
        # user's classes, where the package writes them (one view: the user's classes are
        # one key for both views under Wine).
        library = {k: v for k, v in machine_keys[0].items()
                   if k.startswith(("typelib\\" + LIBID, "interface\\" + IID))}
        print(f"per-user: {len(library)} type library keys that Wine's regsvr32 /i:user put "
              "among the machine's classes are expected among the user's")
        user_keys[0].update(library)
        for key in ("typelib", "interface"):
            if key not in user_before:
                user_keys[0].setdefault(key, {})
        compare("per-user install", got, user_keys)

        check(installed.wine("msiexec", "/x", msi, "/qn") == 0, f"msiexec /x {msi} /qn failed")
        check(reference.wine("regsvr32", "/s", "/u", "/n", "/i:user", dll) == 0,
              "regsvr32 /u /i:user failed")
        check(not os.path.exists(folder), f"{folder} is left after uninstalling")
        check(not installed.apps_entries(), "an Apps entry is left after uninstalling")
        check(installed.classes() == machine_before, "uninstalling changed machine classes")
        pruned_only("per-user uninstall", installed.classes("user.reg"),
                    reference.classes("user.reg"))
    finally:
        installed.down()
        reference.down()
    return [installed, reference]


def main(argv):
    if len(argv) == 3 and argv[1] == "prefix":
        return make_prefix(argv[2])
    if len(argv) != 3:
        sys.exit(__doc__)
    with open(argv[2]) as f:
        settings = json.load(f)
    scenario = argv[1]
    if scenario == "tables":
        import check_msi_tables
        check_msi_tables.run(settings, check)
        return finish()
    os.makedirs(settings["work"], exist_ok=True)
    prefixes = {"machine-x64": lambda: machine(settings, "x64"),
                "machine-x86": lambda: machine(settings, "x86"),
                "upgrade": lambda: upgrade(settings),
                "per-user": lambda: per_user(settings)}[scenario]()
    status = finish()
    if status == 0:
        for prefix in prefixes:
            shutil.rmtree(prefix.path, ignore_errors=True)
    return status


if __name__ == "__main__":
    sys.exit(main(sys.argv))

"""The registry of a Wine prefix, read from its files (system.reg for the machine,
user.reg for the user), which the wineserver writes out when it ends."""
import re

HEADER = re.compile(r"^\[(.*)\](?: \d+)?$")
VALUE = re.compile(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$')


def unescape(text):
    return re.sub(r"\\(x[0-9a-fA-F]{1,4}|.)", lambda m: chr(int(m.group(1)[1:], 16))
                  if m.group(1)[0] == "x" else {"n": "\n", "r": "\r", "t": "\t", "0": "\0"}
                  .get(m.group(1), m.group(1)), text)


def read(path):
    """{key path: {value name ("" for the default): data as written}}, key paths as in the
    file (beneath the machine or the user), strings unescaped."""
    keys, current, pending = {}, None, ""
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for line in f:
            line = pending + line.strip()
            pending = ""
            if current is not None and line.endswith("\\") and "=hex" in line:
                pending = line[:-1]  # long binary data goes on on the next line
            elif HEADER.match(line):
                current = unescape(HEADER.match(line).group(1))
                keys[current] = {}
            elif VALUE.match(line) and current is not None:
                name, data = VALUE.match(line).groups()
                name = "" if name == "@" else unescape(name[1:-1])
                keys[current][name] = unescape(data[1:-1]) if data.startswith('"') else data
    return keys


def subtree(keys, root, exclude=()):
    """The keys beneath `root`, relative to it, with their values; names lower-cased, as
    the registry compares them without case. The file lists a key without values only
    where it has no subkeys: parents are added. Keys beneath `exclude` are left out."""
    prefix = root.lower() + "\\"
    out = {}
    for key, values in keys.items():
        relative = key.lower()[len(prefix):]
        if key.lower().startswith(prefix) and not any(
                relative == e or relative.startswith(e + "\\") for e in exclude):
            out[relative] = {name.lower(): data for name, data in values.items()}
    for key in list(out):
        parts = key.split("\\")
        for i in range(1, len(parts)):
            out.setdefault("\\".join(parts[:i]), {})
    return out

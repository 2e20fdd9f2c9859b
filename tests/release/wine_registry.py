"""Reads the registry of a Wine prefix from its files (system.reg for the machine,
user.reg for the user), which the wineserver writes out when it ends: the whole
registry as it stood once every process had finished."""
import re

HEADER = re.compile(r"^\[(.*)\](?: \d+)?$")
VALUE = re.compile(r'^(@|"(?:[^"\\]|\\.)*")=(.*)$')
HEX_CONTINUED = re.compile(r'^(@|"(?:[^"\\]|\\.)*")=hex.*\\$')


def unescape(text):
    out, i = [], 0
    while i < len(text):
        c = text[i]
        if c != "\\":
            out.append(c)
            i += 1
            continue
        n = text[i + 1]
        if n == "x":
            digits = re.match(r"[0-9a-fA-F]{1,4}", text[i + 2:]).group(0)
            out.append(chr(int(digits, 16)))
            i += 2 + len(digits)
            continue
        out.append({"n": "\n", "r": "\r", "t": "\t", "0": "\0"}.get(n, n))
        i += 2
    return "".join(out)


def parse_data(data):
    """(type, value) of a value's data as Wine writes it."""
    if data.startswith('"'):
        return ("sz", unescape(data[1:-1]))
    if data.startswith("str(2):"):
        return ("expand_sz", unescape(data[8:-1]))
    if data.startswith("dword:"):
        return ("dword", int(data[6:], 16))
    match = re.match(r"(hex(?:\((\w+)\))?):(.*)", data)
    if match:
        return ("hex" + (f"({match.group(2)})" if match.group(2) else ""),
                bytes.fromhex(match.group(3).replace(",", "")))
    return ("?", data)


def read(path):
    """{key path: {value name ("" for the default): (type, data)}}, key paths as in the
    file (relative to the machine or the user), with single backslashes."""
    keys, current, pending = {}, None, ""
    with open(path, encoding="utf-8", errors="surrogateescape") as f:
        for raw in f:
            line = raw.rstrip("\n")
            if pending:
                line, pending = pending + line.lstrip(), ""
            if HEX_CONTINUED.match(line):  # long binary data goes on on the next line
                pending = line[:-1]
                continue
            match = HEADER.match(line)
            if match:
                current = unescape(match.group(1))
                keys[current] = {}
                continue
            match = VALUE.match(line)
            if match and current is not None:
                name = "" if match.group(1) == "@" else unescape(match.group(1)[1:-1])
                keys[current][name] = parse_data(match.group(2))
    return keys


def subtree(keys, root, exclude=()):
    """The keys beneath `root` (case-insensitive), relative to it and lower-cased, with
    their values' names lower-cased: the registry compares names without case. Keys
    beneath any of `exclude` (relative to `root`) are left out."""
    prefix = root.lower() + "\\"
    out = {}
    for key, values in keys.items():
        lowered = key.lower()
        if not lowered.startswith(prefix):
            continue
        relative = lowered[len(prefix):]
        if any(relative == e or relative.startswith(e + "\\") for e in exclude):
            continue
        out[relative] = {name.lower(): data for name, data in values.items()}
    # The file lists a key without values only where it has no subkeys: its parents
    # exist all the same.
    for key in list(out):
        parts = key.split("\\")
        for i in range(1, len(parts)):
            out.setdefault("\\".join(parts[:i]), {})
    return out


def difference(before, after):
    """What changed from `before` to `after` (two subtrees): (added or changed keys with
    their values, removed keys), each sorted."""
    added = {k: v for k, v in after.items() if before.get(k) != v}
    removed = sorted(k for k in before if k not in after)
    return added, removed

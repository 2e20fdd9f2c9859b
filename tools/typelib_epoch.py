#!/usr/bin/env python3
"""Takes the build time out of a type library that widl compiled, so that the same IDL
gives the same bytes: widl records "Created by WIDL version ... at <local time>" and the
same time as a 32-bit number among the library's custom data, and has no option or
environment variable to fix them. Both become 1970-01-01 00:00:00.

    typelib_epoch.py <library.tlb>"""
import calendar
import re
import struct
import sys
import time

EPOCH_TEXT = b"Thu Jan  1 00:00:00 1970"


def main(path):
    with open(path, "rb") as f:
        data = bytearray(f.read())
    match = re.search(rb"Created by WIDL version [^\n]* at "
                      rb"(\w{3} \w{3} [ \d]\d \d\d:\d\d:\d\d \d{4})\n", data)
    if not match:
        return 0  # nothing stamped
    stamp = calendar.timegm(time.strptime(match.group(1).decode("ascii"), "%a %b %d %H:%M:%S %Y"))
    data[match.start(1):match.end(1)] = EPOCH_TEXT
    # A custom datum of type VT_UI4 (19) holding a time within a day of the text's, as
    # the text is local time.
    for value in re.finditer(rb"WW\x13\x00(....)", data, re.DOTALL):
        number = struct.unpack("<I", value.group(1))[0]
        if abs(number - stamp) <= 86400:
            data[value.start(1):value.end(1)] = b"\0\0\0\0"
    with open(path, "wb") as f:
        f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))

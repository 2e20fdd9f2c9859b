#!/usr/bin/env python3
"""The subject of a signing certificate as Windows writes it, which is what a package's
Publisher must be for Windows to accept the package signed with that certificate.

    publisher.py <certificate, DER or PEM>

Windows' form (CertNameToStr with CERT_X500_NAME_STR, the subject that certificate
dialogs and X509Certificate2.Subject show): the relative names from the last encoded to
the first ("CN=..., O=..., C=..."), separated by ", ", the attributes of one relative name
by " + "; each type by its X.500 key (CN, O, OU, L, S, C, E, STREET, T, G, I, SN, DC,
SERIALNUMBER), any other as "OID." and its dotted number; a value in double quotes when
it is empty, starts or ends with white space or holds one of , + = " < > # ; or a line
break, a double quote inside doubled."""
import base64
import re
import sys

KEYS = {
    "2.5.4.3": "CN", "2.5.4.7": "L", "2.5.4.10": "O", "2.5.4.11": "OU",
    "1.2.840.113549.1.9.1": "E", "2.5.4.6": "C", "2.5.4.8": "S", "2.5.4.9": "STREET",
    "2.5.4.12": "T", "2.5.4.42": "G", "2.5.4.43": "I", "2.5.4.4": "SN",
    "0.9.2342.19200300.100.1.25": "DC", "2.5.4.5": "SERIALNUMBER",
}
# DistinguishedNameType of the package manifest's schema, which every Publisher matches.
_KEY = r"(CN|L|O|OU|E|C|S|STREET|T|G|I|SN|DC|SERIALNUMBER|(OID\.(0|[1-9][0-9]*)(\.(0|[1-9][0-9]*))+))"
_PAIR = _KEY + r'=(([^,+="<>#;])+|".*")'
MANIFEST_PATTERN = re.compile(f"{_PAIR}(, {_PAIR})*")
SPECIAL = set(',+="<>#;\n\r')
STRING_TYPES = {0x0C: "utf-8", 0x13: "ascii", 0x16: "ascii", 0x14: "latin-1",
                0x1E: "utf-16-be", 0x1C: "utf-32-be"}


def der_items(data, start=0, end=None):
    """(tag, content start, content end) of each item from start to end."""
    end = len(data) if end is None else end
    position = start
    while position < end:
        tag = data[position]
        length = data[position + 1]
        position += 2
        if length & 0x80:
            count = length & 0x7F
            length = int.from_bytes(data[position:position + count], "big")
            position += count
        if position + length > end:
            raise ValueError("the certificate's encoding is cut short")
        yield tag, position, position + length
        position += length


def only(data, start, end, tag):
    items = list(der_items(data, start, end))
    if not items or items[0][0] != tag:
        raise ValueError(f"expected DER tag 0x{tag:02X}")
    return items


def oid_text(body):
    first = body[0]
    numbers = [min(first // 40, 2), first - 40 * min(first // 40, 2)]
    value = 0
    for byte in body[1:]:
        value = (value << 7) | (byte & 0x7F)
        if not byte & 0x80:
            numbers.append(value)
            value = 0
    return ".".join(map(str, numbers))


def subject_name(certificate):
    """[[(oid, value)] per relative name, in encoded order] of a DER certificate."""
    _, start, end = only(certificate, 0, len(certificate), 0x30)[0]
    _, start, end = only(certificate, start, end, 0x30)[0]  # tbsCertificate
    fields = list(der_items(certificate, start, end))
    if fields[0][0] == 0xA0:  # [0] version
        fields = fields[1:]
    _, start, end = fields[4]  # serialNumber, signature, issuer, validity, subject
    names = []
    for tag, rdn_start, rdn_end in der_items(certificate, start, end):
        if tag != 0x31:
            raise ValueError("a relative name is not a SET")
        attributes = []
        for _, a_start, a_end in der_items(certificate, rdn_start, rdn_end):
            (oid_tag, o_start, o_end), (value_tag, v_start, v_end) = der_items(
                certificate, a_start, a_end)
            if oid_tag != 0x06 or value_tag not in STRING_TYPES:
                raise ValueError(f"a subject attribute of DER tag 0x{value_tag:02X} is not text")
            attributes.append((oid_text(certificate[o_start:o_end]),
                               certificate[v_start:v_end].decode(STRING_TYPES[value_tag])))
        names.append(attributes)
    return names


def quoted(value):
    if value == "" or value != value.strip() or SPECIAL & set(value):
        return '"' + value.replace('"', '""') + '"'
    return value


def windows_subject(names):
    """The subject in Windows' form, from subject_name's list."""
    return ", ".join(
        " + ".join(f"{KEYS.get(oid, 'OID.' + oid)}={quoted(value)}" for oid, value in rdn)
        for rdn in reversed(names))


def certificate_der(data):
    if b"-----BEGIN CERTIFICATE-----" in data:
        text = data.split(b"-----BEGIN CERTIFICATE-----", 1)[1].split(b"-----END", 1)[0]
        return base64.b64decode(b"".join(text.split()))
    return data


def main(argv):
    if len(argv) != 2:
        sys.exit(__doc__)
    with open(argv[1], "rb") as f:
        subject = windows_subject(subject_name(certificate_der(f.read())))
    if not MANIFEST_PATTERN.fullmatch(subject):
        sys.exit(f"the subject {subject!r} cannot be a package's Publisher")
    print(subject)


if __name__ == "__main__":
    main(sys.argv)

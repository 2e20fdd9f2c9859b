#!/usr/bin/env python3
"""tools/sign.sh with a throwaway self-signed certificate, made here with openssl, on a
copy of dist/'s tovak.dll and TovakSetup.exe of both architectures and TovakLite.msix.

    check_signing.py <source root> <dist folder> <work folder>

osslsigncode verify accepts the five signed files and refuses each kind (DLL, program,
package) after one changed byte; the signed package's Publisher is the certificate's
subject as Windows writes it and the package still reads back whole; the same files
signed again at the same time, and the signed files signed once more, are the same
bytes; without a certificate nothing changes. Then tools/msix/publisher.py on
certificates of other subjects, one row each: Windows' order, keys and quoting."""
import os
import shutil
import subprocess
import sys
import zipfile
import xml.etree.ElementTree as ElementTree

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import msix_reader  # noqa: E402
from tally import check, finish  # noqa: E402
import tally  # noqa: E402

FILES = ("x86/tovak.dll", "x86/TovakSetup.exe", "x64/tovak.dll", "x64/TovakSetup.exe",
         "x64/TovakLite.msix")
UNSIGNED_PUBLISHER = "CN=TovakLite, OID.2.25.311729368913984317654407730594956997722=1"
PASSWORD = "throwaway pass"
SUBJECT = "/C=JP/O=Tovak Test, Inc./CN=Tovak Test Signer"
# What Windows shows for that subject: last relative name first, the comma quoted.
PUBLISHER = 'CN=Tovak Test Signer, O="Tovak Test, Inc.", C=JP'
TIME = "1700000000"
SKIPPED = 77  # CTest's SKIP_RETURN_CODE for this test
# (openssl -subj, the subject as Windows writes it)
SUBJECTS = [
    ("/CN=Tovak", "CN=Tovak"),
    ("/C=JP/ST=Tokyo/L=Chiyoda/O=Tovak/OU=Tools/CN=Tovak Signer",
     "CN=Tovak Signer, OU=Tools, O=Tovak, L=Chiyoda, S=Tokyo, C=JP"),
    ('/O=Tovak "Lite"/CN=A;B', 'CN="A;B", O="Tovak ""Lite"""'),
    ("/CN=x/emailAddress=dev@tovak.example", "E=dev@tovak.example, CN=x"),
    ("/DC=example/DC=tovak/CN=Build", "CN=Build, DC=tovak, DC=example"),
    ("/serialNumber=42/organizationIdentifier=VATJP-1/CN=Org",
     "CN=Org, OID.2.5.4.97=VATJP-1, SERIALNUMBER=42"),
    ("/O=トヴァク/CN=トヴァク署名", "CN=トヴァク署名, O=トヴァク"),
    ("/O=<x>/CN=a=b\\+c", 'CN="a=b+c", O="<x>"'),
    ("/O= padded/CN=#1", 'CN="#1", O=" padded"'),
]

def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def make_certificate(work, subject, name):
    """A self-signed code-signing certificate of the subject: (PEM path, PKCS#12 path)."""
    key = os.path.join(work, "key.pem")
    if not os.path.exists(key):
        run(["openssl", "genpkey", "-algorithm", "RSA", "-pkeyopt", "rsa_keygen_bits:2048",
             "-out", key], check=True)
    pem = os.path.join(work, name + ".pem")
    run(["openssl", "req", "-x509", "-utf8", "-key", key, "-out", pem, "-days", "30",
         "-subj", subject, "-addext", "extendedKeyUsage=codeSigning",
         "-addext", "keyUsage=digitalSignature"], check=True)
    p12 = os.path.join(work, name + ".p12")
    run(["openssl", "pkcs12", "-export", "-in", pem, "-inkey", key, "-out", p12,
         "-passout", "env:TOVAK_TEST_PASSWORD"], check=True,
        env={**os.environ, "TOVAK_TEST_PASSWORD": PASSWORD})
    return pem, p12


def copy_dist(dist, folder):
    for name in FILES:
        os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
        shutil.copyfile(os.path.join(dist, name), os.path.join(folder, name))


def sign(source, folder, p12, path=None):
    env = {k: v for k, v in os.environ.items() if not k.startswith("TOVAK_SIGN_")}
    if path:
        env["PATH"] = path + os.pathsep + env["PATH"]
    if p12:
        env.update(TOVAK_SIGN_PKCS12=p12, TOVAK_SIGN_PASSWORD=PASSWORD, TOVAK_SIGN_TIME=TIME)
    return run(["bash", os.path.join(source, "tools", "sign.sh"), folder], env=env)


def read(path):
    with open(path, "rb") as f:
        return f.read()


def verify(path, pem):
    result = run(["osslsigncode", "verify", "-CAfile", pem, "-in", path])
    return result.returncode, (result.stdout + result.stderr).strip().splitlines()


def publisher_of(path):
    with zipfile.ZipFile(path) as package:
        root = ElementTree.fromstring(package.read("AppxManifest.xml"))
    identity = root.find("{http://schemas.microsoft.com/appx/manifest/foundation/windows10}Identity")
    return identity.get("Publisher")


def changed_copy(path, work, folder):
    """A copy with one byte changed inside what the signature covers: in a program, a
    byte of its code (the first section's data); in the package, a byte of the
    manifest's compressed data."""
    data = bytearray(read(path))
    if path.endswith(".msix"):
        by_name, _, _, _ = msix_reader.read_package(bytes(data))
        entry = by_name["AppxManifest.xml"]
        offset = entry.offset + entry.header_size + len(entry.compressed) // 2
    else:
        pe = int.from_bytes(data[0x3C:0x40], "little")
        optional_size = int.from_bytes(data[pe + 20:pe + 22], "little")
        section = pe + 24 + optional_size
        raw_offset = int.from_bytes(data[section + 20:section + 24], "little")
        offset = raw_offset + 0x40
    data[offset] ^= 0x01
    copy = os.path.join(work, "changed-" + folder.replace("/", "-"))
    with open(copy, "wb") as f:
        f.write(data)
    return copy


def main(argv):
    source, dist, work = argv[1:]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    version = run(["osslsigncode", "--version"]).stdout.split()[1].rstrip(",")
    print(f"osslsigncode {version}")
    package_supported = tuple(int(p) for p in version.split(".")[:2]) >= (2, 7)
    pem, p12 = make_certificate(work, SUBJECT, "signer")

    # Without a certificate: nothing is signed, nothing changes.
    unsigned = os.path.join(work, "unsigned")
    copy_dist(dist, unsigned)
    result = sign(source, unsigned, None)
    check(result.returncode == 0, f"sign.sh without a certificate: status {result.returncode}")
    for name in FILES:
        check(read(os.path.join(unsigned, name)) == read(os.path.join(dist, name)),
              f"sign.sh without a certificate changed {name}")
    check(publisher_of(os.path.join(unsigned, "x64/TovakLite.msix")) == UNSIGNED_PUBLISHER,
          "the unsigned package's Publisher is not the unsigned one")

    first, second = os.path.join(work, "first"), os.path.join(work, "second")
    for folder in (first, second):
        copy_dist(dist, folder)
        result = sign(source, folder, p12)
        print(result.stdout.strip())
        expected_status = 0 if package_supported else 3
        check(result.returncode == expected_status,
              f"sign.sh: status {result.returncode}, not {expected_status}: {result.stderr}")
    signed_files = [n for n in FILES if package_supported or not n.endswith(".msix")]
    for name in signed_files:
        path = os.path.join(first, name)
        status, lines = verify(path, pem)
        print(f"osslsigncode verify {name}: status {status}: {lines[-1] if lines else ''}")
        check(status == 0 and "Succeeded" in lines, f"{name}: not verified: {lines[-6:]}")
        check(read(path) == read(os.path.join(second, name)),
              f"{name}: two signings at the same time differ")
        check(read(path) != read(os.path.join(dist, name)), f"{name} was not signed")
    for name in ("x64/tovak.dll", "x86/TovakSetup.exe", "x64/TovakLite.msix"):
        if name not in signed_files:
            continue
        status, lines = verify(changed_copy(os.path.join(first, name), work, name), pem)
        print(f"osslsigncode verify {name} with one byte changed: status {status}: "
              f"{lines[-1] if lines else ''}")
        check(status != 0 and "Succeeded" not in lines,
              f"{name} with one byte changed was accepted: {lines[-6:]}")

    if package_supported:
        package = read(os.path.join(first, "x64/TovakLite.msix"))
        by_name, names, _, faults = msix_reader.read_package(package)
        for fault in faults:
            check(False, f"the signed package: {fault}")
        check(names == ["AppxManifest.xml", "AppxBlockMap.xml", "[Content_Types].xml",
                        "AppxSignature.p7x"], f"the signed package holds {names}")
        published = publisher_of(os.path.join(first, "x64/TovakLite.msix"))
        print(f"Publisher: {published}")
        check(published == PUBLISHER, f"the signed package's Publisher is {published!r}")
        unsigned_manifest = read_manifest(os.path.join(dist, "x64/TovakLite.msix"))
        check(by_name["AppxManifest.xml"].data == unsigned_manifest.replace(
            b'Publisher="' + UNSIGNED_PUBLISHER.encode() + b'"',
            b"Publisher='" + PUBLISHER.encode() + b"'"),
            "signing changed the manifest in more than its Publisher")

    # With an osslsigncode that signs no MSIX (Debian bookworm's own is 2.5; this one
    # answers as 2.5 and signs as the real one): the programs signed as before, the
    # package left as built, unsigned, and status 3.
    shim = os.path.join(work, "old-osslsigncode")
    os.makedirs(shim)
    real = shutil.which("osslsigncode")
    with open(os.path.join(shim, "osslsigncode"), "w") as f:
        f.write(f'#!/bin/sh\n[ "$1" = --version ] && {{ echo "osslsigncode 2.5, using:"; exit 0; }}\n'
                f'exec "{real}" "$@"\n')
    os.chmod(os.path.join(shim, "osslsigncode"), 0o755)
    old = os.path.join(work, "old")
    copy_dist(dist, old)
    result = sign(source, old, p12, path=shim)
    check(result.returncode == 3 and "signs no MSIX" in result.stderr,
          f"sign.sh with osslsigncode 2.5: status {result.returncode}: {result.stderr}")
    check(read(os.path.join(old, "x64/TovakLite.msix")) == read(os.path.join(dist, "x64/TovakLite.msix")),
          "sign.sh with osslsigncode 2.5 changed the package")
    for name in FILES[:4]:
        check(read(os.path.join(old, name)) == read(os.path.join(second, name)),
              f"sign.sh with osslsigncode 2.5 signed {name} otherwise")

    # Signed once more: signed anew, not given a second signature.
    result = sign(source, first, p12)
    for name in signed_files:
        check(read(os.path.join(first, name)) == read(os.path.join(second, name)),
              f"{name} signed a second time differs from the file signed once")

    for index, (subject, expected) in enumerate(SUBJECTS):
        certificate, _ = make_certificate(work, subject, f"subject-{index}")
        result = run([sys.executable, os.path.join(source, "tools", "msix", "publisher.py"),
                      certificate])
        got = result.stdout.rstrip("\n")
        check(result.returncode == 0 and got == expected,
              f"{subject}: publisher.py says {got!r} (status {result.returncode}), "
              f"not {expected!r}")
    if not package_supported and not tally.failures:
        # Everything else passed; what could not run is reported as a skip.
        print(f"{tally.passed} passed, 0 failed")
        print(f"SKIPPED: the package's signature: osslsigncode {version} signs no MSIX "
              "package (2.7 or later does); the programs were signed and checked")
        return SKIPPED
    return finish()


def read_manifest(path):
    with zipfile.ZipFile(path) as package:
        return package.read("AppxManifest.xml")


if __name__ == "__main__":
    sys.exit(main(sys.argv))

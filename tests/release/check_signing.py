#!/usr/bin/env python3
"""tools/sign.sh with a throwaway self-signed certificate made here with openssl, on
copies of dist/'s tovak.dll and TovakSetup.exe of both architectures and TovakLite.msix.

    check_signing.py <source root> <dist folder> <work folder>

osslsigncode verify accepts the five signed files and refuses a DLL, a program and the
package each with one byte changed; the signed package reads back whole, with the
certificate's subject as Windows writes it for its Publisher and nothing else changed;
signing again at the same time, or signing signed files, gives the same bytes; without a
certificate nothing changes; with an osslsigncode that signs no MSIX, the package stays as
built. Then tools/msix/publisher.py on other subjects, one row each."""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import msix_reader  # noqa: E402
import tally  # noqa: E402
from tally import check, finish  # noqa: E402

FILES = ("x86/tovak.dll", "x86/TovakSetup.exe", "x64/tovak.dll", "x64/TovakSetup.exe",
         "x64/TovakLite.msix")
PASSWORD = "throwaway pass"
SKIPPED = 77  # the test's SKIP_RETURN_CODE
# (openssl -subj, the subject as Windows writes it); the first signs the files.
SUBJECTS = [
    ("/C=JP/O=Tovak Test, Inc./CN=Tovak Test Signer", 'CN=Tovak Test Signer, O="Tovak Test, Inc.", C=JP'),
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


def run(command, env=None):
    return subprocess.run(command, capture_output=True, text=True, env=env)


def certificate(work, subject, name):
    """A self-signed code-signing certificate: (PEM, PKCS#12 with PASSWORD)."""
    key, pem, p12 = (os.path.join(work, n) for n in ("key.pem", name + ".pem", name + ".p12"))
    if not os.path.exists(key):
        run(["openssl", "genpkey", "-algorithm", "RSA", "-out", key])
    run(["openssl", "req", "-x509", "-utf8", "-key", key, "-out", pem, "-days", "30", "-subj",
         subject, "-addext", "extendedKeyUsage=codeSigning"])
    run(["openssl", "pkcs12", "-export", "-in", pem, "-inkey", key, "-out", p12,
         "-passout", "pass:" + PASSWORD])
    return pem, p12


def signed_copy(source, dist, folder, p12, path=""):
    """dist's five files copied into folder and signed there: sign.sh's result."""
    for name in FILES:
        os.makedirs(os.path.dirname(os.path.join(folder, name)), exist_ok=True)
        shutil.copyfile(os.path.join(dist, name), os.path.join(folder, name))
    env = {k: v for k, v in os.environ.items() if not k.startswith("TOVAK_SIGN_")}
    env["PATH"] = path + env["PATH"]
    if p12:
        env.update(TOVAK_SIGN_PKCS12=p12, TOVAK_SIGN_PASSWORD=PASSWORD, TOVAK_SIGN_TIME="1700000000")
    return run(["bash", os.path.join(source, "tools", "sign.sh"), folder], env)


def read(*path):
    with open(os.path.join(*path), "rb") as f:
        return f.read()


def verify(data, pem, work):
    """osslsigncode verify's status and last line for the bytes."""
    path = os.path.join(work, "to-verify")
    with open(path, "wb") as f:
        f.write(data)
    result = run(["osslsigncode", "verify", "-CAfile", pem, "-in", path])
    return result.returncode, (result.stdout + result.stderr).strip().splitlines()[-1:]


def with_changed_byte(data, name):
    """One byte changed where the signature covers it: a program's first section, the
    package's compressed manifest."""
    data = bytearray(data)
    if name.endswith(".msix"):
        offset = 60
    else:
        pe = int.from_bytes(data[0x3C:0x40], "little")
        section = pe + 24 + int.from_bytes(data[pe + 20:pe + 22], "little")
        offset = int.from_bytes(data[section + 20:section + 24], "little") + 0x40
    data[offset] ^= 0x01
    return bytes(data)


def main(argv):
    source, dist, work = argv[1:]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    version = run(["osslsigncode", "--version"]).stdout.split()[1].rstrip(",")
    package_signed = tuple(int(p) for p in version.split(".")[:2]) >= (2, 7)
    pem, p12 = certificate(work, SUBJECTS[0][0], "signer")
    folders = {n: os.path.join(work, n) for n in ("unsigned", "first", "second", "old")}

    result = signed_copy(source, dist, folders["unsigned"], None)
    check(result.returncode == 0 and all(read(folders["unsigned"], n) == read(dist, n) for n in FILES),
          f"sign.sh without a certificate changed something (status {result.returncode})")
    for folder in (folders["first"], folders["second"]):
        result = signed_copy(source, dist, folder, p12)
        print(result.stdout.strip())
        check(result.returncode == (0 if package_signed else 3), f"sign.sh: {result.stderr}")
    signed = [n for n in FILES if package_signed or not n.endswith(".msix")]
    for name in signed:
        data = read(folders["first"], name)
        status, last = verify(data, pem, work)
        print(f"osslsigncode verify {name}: status {status}: {last}")
        check(status == 0 and last == ["Succeeded"], f"{name} is not verified: {last}")
        check(data == read(folders["second"], name) and data != read(dist, name),
              f"{name}: not signed, or two signings at one time differ")
        if name in ("x64/tovak.dll", "x86/TovakSetup.exe", "x64/TovakLite.msix"):
            status, last = verify(with_changed_byte(data, name), pem, work)
            print(f"osslsigncode verify {name} with one byte changed: status {status}: {last}")
            check(status != 0, f"{name} with one byte changed was accepted")
    if package_signed:
        contents, names, _, faults = msix_reader.read_package(read(folders["first"], FILES[4]))
        check(not faults and names[-1] == "AppxSignature.p7x", f"the signed package: {faults}")
        unsigned = msix_reader.read_package(read(dist, FILES[4]))[0]["AppxManifest.xml"]
        expected = unsigned.replace(b'"CN=TovakLite, OID.2.25.311729368913984317654407730594956997722=1"',
                                    b"'" + SUBJECTS[0][1].encode() + b"'")
        check(contents["AppxManifest.xml"] == expected,
              "the signed package's Publisher is not the subject, or more changed")

    # Signed files signed again: signed anew, not given a second signature.
    signed_copy(source, folders["first"], folders["first"] + "-again", p12)
    check(all(read(folders["first"] + "-again", n) == read(folders["first"], n) for n in signed),
          "signing signed files gave other bytes")
    # An osslsigncode that signs no MSIX (bookworm's own is 2.5): this one answers as 2.5.
    shim = os.path.join(work, "osslsigncode-2.5")
    os.makedirs(shim)
    with open(os.path.join(shim, "osslsigncode"), "w") as f:
        f.write(f'#!/bin/sh\n[ "$1" = --version ] && echo "osslsigncode 2.5, using:" && exit 0\n'
                f'exec {shutil.which("osslsigncode")} "$@"\n')
    os.chmod(os.path.join(shim, "osslsigncode"), 0o755)
    result = signed_copy(source, dist, folders["old"], p12, shim + os.pathsep)
    check(result.returncode == 3 and read(folders["old"], FILES[4]) == read(dist, FILES[4]) and
          all(read(folders["old"], n) == read(folders["second"], n) for n in FILES[:4]),
          f"sign.sh with osslsigncode 2.5: status {result.returncode}, {result.stderr}")

    for index, (subject, expected) in enumerate(SUBJECTS):
        result = run([sys.executable, os.path.join(source, "tools/msix/publisher.py"),
                      certificate(work, subject, f"subject-{index}")[0]])
        check(result.stdout == expected + "\n", f"{subject}: {result.stdout!r}, {result.stderr}")
    if not package_signed and not tally.failures:
        print(f"{tally.passed} passed, 0 failed")
        print(f"SKIPPED: osslsigncode {version} signs no MSIX package (2.7 or later does)")
        return SKIPPED
    return finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv))

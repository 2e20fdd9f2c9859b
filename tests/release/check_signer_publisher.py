#!/usr/bin/env python3
"""The Publisher that tovak.dll derives from its own signature, against the one
tools/sign.sh writes into the package: dist/'s files signed by tools/sign.sh with
throwaway certificates of several subjects, then signer_publisher_probe (the DLL's own
code, under Wine) on the signed x64 tovak.dll, compared with tools/msix/publisher.py on
the certificate. The unsigned tovak.dll gives the unsigned package's Publisher. One
difference is Wine's own: its CertNameToStr writes a type without an X.500 key as the
bare dotted number, where Windows writes "OID." before it.

    check_signer_publisher.py <source root> <dist folder> <probe.exe> <work folder>"""
import os
import shutil
import subprocess
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_signing  # noqa: E402
from tally import check, finish  # noqa: E402

UNSIGNED = "CN=TovakLite, OID.2.25.311729368913984317654407730594956997722=1"
# openssl -subj of each throwaway certificate: quoting, several relative names, a type
# with no X.500 key, Japanese.
SUBJECTS = [check_signing.SUBJECTS[0][0], check_signing.SUBJECTS[3][0],
            check_signing.SUBJECTS[6][0], check_signing.SUBJECTS[7][0]]


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def probe(executable, dll):
    result = subprocess.run(["wine", executable, windows_path(dll)], capture_output=True)
    return result.returncode, result.stdout.decode("utf-8", "replace").rstrip("\n")


def main(argv):
    source, dist, executable, work = argv[1:]
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    status, publisher = probe(executable, os.path.join(dist, "x64", "tovak.dll"))
    print(f"unsigned dist/x64/tovak.dll: {publisher}")
    check(status == 0 and publisher == UNSIGNED, f"the unsigned DLL gives {publisher!r}")
    for index, subject in enumerate(SUBJECTS):
        pem, p12 = check_signing.certificate(work, subject, f"signer-{index}")
        folder = os.path.join(work, f"signed-{index}")
        result = check_signing.signed_copy(source, dist, folder, p12)
        # Status 3: an osslsigncode that signs no MSIX still signed the DLLs.
        check(result.returncode in (0, 3), f"sign.sh for {subject}: {result.stderr}")
        written = subprocess.run([sys.executable, os.path.join(source, "tools/msix/publisher.py"),
                                  pem], capture_output=True, text=True).stdout.rstrip("\n")
        status, derived = probe(executable, os.path.join(folder, "x64", "tovak.dll"))
        # Wine 8's CertNameToStr writes a type with no X.500 key as its bare dotted number,
        # where Windows (as documented) puts "OID." before it, as publisher.py does.
        expected = written.replace("OID.2.5.4.97=", "2.5.4.97=")
        print(f"{subject}: publisher.py {written!r}, the DLL {derived!r}")
        check(status == 0 and derived == expected and written != UNSIGNED,
              f"{subject}: the DLL derives {derived!r}, the package has {written!r}")
    return finish()


if __name__ == "__main__":
    sys.exit(main(sys.argv))

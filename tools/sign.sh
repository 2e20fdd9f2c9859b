#!/usr/bin/env bash
# Signs the shipped programs with Debian's osslsigncode (Authenticode, SHA-256):
# tovak.dll and TovakSetup.exe of both architectures, and the package TovakLite.msix,
# whose manifest's Publisher is first set to the certificate's subject as Windows writes
# it (tools/msix/publisher.py), since Windows installs a signed package only when the two
# are the same.
#
#   tools/sign.sh [dist folder]          (dist/ by default: x86/, x64/ inside it)
#
#   TOVAK_SIGN_PKCS12    the certificate and its key, a PKCS#12 file
#   TOVAK_SIGN_PASSWORD  its password (given to openssl and osslsigncode on a pipe, never
#                        on a command line)
#   TOVAK_SIGN_TIME      the signing time written into the signatures, in seconds since
#                        1970 (SOURCE_DATE_EPOCH when unset, else now): the same time and
#                        files give the same bytes
#
# Without TOVAK_SIGN_PKCS12 it signs nothing: the package stays unsigned, with the
# Publisher Windows 11 requires of an unsigned package. An osslsigncode older than 2.7
# signs no MSIX: then the programs are signed and the package is left unsigned, with its
# unsigned Publisher, and the script says so and ends with status 3.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
dist=${1:-$root/dist}
if [ -z "${TOVAK_SIGN_PKCS12:-}" ]; then
    echo "sign.sh: no certificate (TOVAK_SIGN_PKCS12 is unset): nothing signed," \
        "$dist/x64/TovakLite.msix stays an unsigned package"
    exit 0
fi
command -v osslsigncode >/dev/null || {
    echo "sign.sh: osslsigncode is missing (tools/install-deps.sh)" >&2
    exit 1
}
[ -f "$TOVAK_SIGN_PKCS12" ] || { echo "sign.sh: no file $TOVAK_SIGN_PKCS12" >&2; exit 1; }
password=${TOVAK_SIGN_PASSWORD:-}
time=${TOVAK_SIGN_TIME:-${SOURCE_DATE_EPOCH:-$(date +%s)}}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# The signing certificate alone (OpenSSL 3 reads older PKCS#12 files only as -legacy).
certificate() {
    openssl pkcs12 -in "$TOVAK_SIGN_PKCS12" -nokeys -clcerts -passin fd:3 "$@" \
        -out "$work/certificate.pem" 3<<<"$password" 2>"$work/openssl.log"
}
certificate || certificate -legacy || {
    cat "$work/openssl.log" >&2
    echo "sign.sh: cannot read the certificate from $TOVAK_SIGN_PKCS12" >&2
    exit 1
}
publisher=$(python3 "$root/tools/msix/publisher.py" "$work/certificate.pem")

# osslsigncode signs into a new file; it then replaces the one signed.
sign() {
    local file=$1
    osslsigncode sign -pkcs12 "$TOVAK_SIGN_PKCS12" -readpass /dev/stdin -h sha256 -n TovakLite \
        -time "$time" -in "$file" -out "$work/signed" <<<"$password" >"$work/sign.log" 2>&1 || {
        cat "$work/sign.log" >&2
        echo "sign.sh: signing $file failed" >&2
        exit 1
    }
    mv "$work/signed" "$file"
    echo "signed $file"
}
for arch in x86 x64; do
    for name in tovak.dll TovakSetup.exe; do
        file="$dist/$arch/$name"
        # A file signed before is signed anew, not given a second signature.
        if osslsigncode remove-signature -in "$file" -out "$work/unsigned" >/dev/null 2>&1; then
            mv "$work/unsigned" "$file"
        fi
        sign "$file"
    done
done

package="$dist/x64/TovakLite.msix"
version=$(osslsigncode --version 2>/dev/null | sed -n '1s/^osslsigncode \([0-9][0-9.]*\).*/\1/p')
if [ "$(printf '%s\n' 2.7 "$version" | sort -V | head -1)" != 2.7 ]; then
    echo "sign.sh: osslsigncode $version signs no MSIX packages (2.7 or later does):" \
        "$package stays unsigned, with the Publisher of an unsigned package" >&2
    exit 3
fi
# The package written again with the certificate's subject as its Publisher (any older
# signature dropped), signed, and its signature entry given the package's time stamp.
python3 "$root/tools/msix/make_msix.py" republish "$package" "$publisher"
sign "$package"
python3 "$root/tools/msix/make_msix.py" settle "$package"
echo "Publisher: $publisher"

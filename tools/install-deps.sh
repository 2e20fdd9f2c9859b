#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (python3 packs and checks
# the release zip; msitools' wixl writes the installer packages, msiinfo reads them;
# osslsigncode signs the programs and the MSIX package, openssl reads the certificate);
# does nothing when all are present. Idempotent and safe to run on a fresh Debian
# machine as root.
#   tools/install-deps.sh            the packages below
#   tools/install-deps.sh NAME...    only the packages named (tools/x86-emulator.sh's)
set -euo pipefail
packages=("$@")
[ $# -gt 0 ] || packages=(
    cmake clang libclang-rt-14-dev googletest clang-format
    g++-mingw-w64-i686-posix g++-mingw-w64-x86-64-posix
    binutils-mingw-w64-i686 binutils-mingw-w64-x86-64 mingw-w64-tools
    libwine-dev wine wine64 wine32:i386
    xvfb xauth x11-apps imagemagick fonts-ipafont-gothic locales
    chromium
    python3
    msitools wixl
    osslsigncode openssl
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
# A mirror caught mid-sync serves an index that does not match its Release file; apt keeps
# its old list for that one (none, on a fresh machine) and says so. An i386 list missing
# beside its amd64 twin leaves the two architectures' shared libraries at different
# versions, so the install then takes its packages from the release's own lists (-t), which
# hold both architectures at one version. It still fails if what it needs is not there.
release=()
update_lists() {
    $SUDO apt-get update -qq && return
    echo "install-deps: apt-get update could not read every package list (above); installing from $codename's own lists"
    release=(-t "$codename")
}
if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
    update_lists
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${release[@]}" \
        "${missing[@]}" >/dev/null
fi
[ $# -eq 0 ] || exit 0
# osslsigncode signs MSIX packages from 2.7 on; Debian 12 has 2.5, its backports a later one.
if ! dpkg --compare-versions "$(dpkg-query -W -f='${Version}' osslsigncode)" ge 2.7; then
    backports=$codename-backports
    echo "installing: osslsigncode from $backports (2.7 or later, to sign the MSIX package)"
    echo "deb http://deb.debian.org/debian $backports main" |
        $SUDO tee /etc/apt/sources.list.d/tovak-backports.list >/dev/null
    update_lists
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends \
        -t "$backports" osslsigncode >/dev/null
fi

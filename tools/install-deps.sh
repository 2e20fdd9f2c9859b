#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (python3 packs and checks
# the release zip; msitools' wixl writes the installer packages, msiinfo reads them;
# osslsigncode signs the programs and the MSIX package, openssl reads the certificate);
# does nothing when all are present. Idempotent and safe to run on a fresh Debian
# machine as root.
set -euo pipefail
packages=(
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
[ ${#missing[@]} -eq 0 ] && exit 0
echo "installing: ${missing[*]}"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO=sudo
dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null

#!/usr/bin/env bash
# Writes the release into dist/: TovakLite.msix and its logos in dist/x64/, the package
# that gives the x64 folder package identity and the menu of Windows 11
# (tools/msix/make_msix.py), signed with the programs by tools/sign.sh when a certificate
# is given (TOVAK_SIGN_PKCS12, TOVAK_SIGN_PASSWORD); the installer packages
# TovakLite-<version>-x64.msi, -x86.msi and -x64-user.msi (tools/msi/make_msi.py, with
# wixl), and
# TovakLite-<version>.zip, the package a user downloads, which holds the shipped files,
# the installer packages, README.txt and SHA256SUMS (tools/package.py). The shipped files
# of both architectures and the native lister of the DLL's registry entries are built
# first where they are missing or out of date (only those: no Wine needed).
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
cd "$TOVAK_ROOT"
mkdir -p "$TMPDIR"
for arch in x86 x64; do
    case $arch in x86) triple=i686 ;; x64) triple=x86_64 ;; esac
    if [ ! -f "$TOVAK_BUILD/$arch/CMakeCache.txt" ]; then
        cmake -S . -B "$TOVAK_BUILD/$arch" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
            -DCMAKE_TOOLCHAIN_FILE="$TOVAK_ROOT/cmake/toolchain-$triple.cmake" >/dev/null
    fi
    cmake --build "$TOVAK_BUILD/$arch" -j "$(nproc)" --target tovak TovakSetup setup_help_page \
        >/dev/null
done
if [ ! -f "$TOVAK_BUILD/native/CMakeCache.txt" ]; then
    CC=clang CXX=clang++ cmake -S . -B "$TOVAK_BUILD/native" -G "Unix Makefiles" \
        -DCMAKE_BUILD_TYPE=Debug >/dev/null
fi
cmake --build "$TOVAK_BUILD/native" -j "$(nproc)" --target msi_registry_rows >/dev/null
version=$(cat "$TOVAK_BUILD/x64/generated/version.txt")
product_version=$(cat "$TOVAK_BUILD/x64/generated/product_version.txt")
python3 tools/msix/make_msix.py build --version "$product_version" \
    --clsids common/explorer_command_ids.h --icon resources/tovak.ico --folder dist/x64
if [ -n "${TOVAK_SIGN_PKCS12:-}" ]; then
    tools/sign.sh dist
fi
for flavour in x64 x86 x64-user; do
    python3 tools/msi/make_msi.py --flavour "$flavour" --dist dist --version "$product_version" \
        --rows-tool "$TOVAK_BUILD/native/tools/msi/msi_registry_rows" \
        --script resources/tovak.rgs \
        --typelib-x64 "$TOVAK_BUILD/x64/generated/halvint.tlb" \
        --typelib-x86 "$TOVAK_BUILD/x86/generated/halvint.tlb" \
        --work "$TOVAK_BUILD/msi/$flavour" --output "dist/TovakLite-$version-$flavour.msi"
done
zip="dist/TovakLite-$version.zip"
python3 tools/package.py dist "$version" resources/readme-ja.txt "$zip"
echo "$zip: $(stat -c %s "$zip") bytes"

#!/usr/bin/env bash
# Writes dist/TovakLite-<version>.zip, the package a user downloads: builds the shipped
# files of both architectures first where they are missing or out of date (only those:
# no Wine needed), then packs them with README.txt and SHA256SUMS (tools/package.py).
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
version=$(cat "$TOVAK_BUILD/x64/generated/version.txt")
zip="dist/TovakLite-$version.zip"
python3 tools/package.py dist "$version" resources/readme-ja.txt "$zip"
echo "$zip: $(stat -c %s "$zip") bytes"

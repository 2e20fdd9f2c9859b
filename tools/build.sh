#!/usr/bin/env bash
# Builds what the tests or the main job need:
#   tools/build.sh           everything: both Windows architectures (into dist/x86 and
#                            dist/x64) with their tests and benchmarks, the native tree of
#                            the portable logic, and the release package. Needs the Wine
#                            session up: test discovery runs the x64 test programs.
#   tools/build.sh ARCH      only what the main job shows for ARCH (x64 or x86): the
#                            shipped files and right_click_demo.exe. No Wine needed.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
cd "$TOVAK_ROOT"
jobs=$(nproc)

configure() {
    local arch=$1 triple mode=native
    case $arch in x86) triple=i686 ;; x64) triple=x86_64 ;; *) echo "no architecture $arch" >&2; return 2 ;; esac
    # How the x86 test programs run here (cmake/wine_tests.cmake).
    [ "$arch" = x64 ] || mode=$TOVAK_WINE32
    cmake -S . -B "$TOVAK_BUILD/$arch" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
        -DTOVAK_WINE_MODE="$mode" \
        -DCMAKE_TOOLCHAIN_FILE="$TOVAK_ROOT/cmake/toolchain-$triple.cmake" >/dev/null
}

if [ $# -gt 0 ]; then
    for arch in "$@"; do
        configure "$arch"
        cmake --build "$TOVAK_BUILD/$arch" -j "$jobs" --target tovak TovakSetup right_click_demo
    done
    exit 0
fi

for arch in x64 x86; do
    configure "$arch"
    cmake --build "$TOVAK_BUILD/$arch" -j "$jobs"
done
CC=clang CXX=clang++ cmake -S . -B "$TOVAK_BUILD/native" -G "Unix Makefiles" \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$TOVAK_BUILD/native" -j "$jobs"
# The package a user downloads, dist/TovakLite-<version>.zip, from what was just built.
tools/package.sh >/dev/null
# One CTest run over all three trees.
printf 'subdirs("native" "x86" "x64")\n' >"$TOVAK_BUILD/CTestTestfile.cmake"

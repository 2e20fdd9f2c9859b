#!/usr/bin/env bash
# Builds both Windows architectures (into dist/x86 and dist/x64) and the native tree of
# the portable logic. Needs the Wine session up: test discovery runs the test programs.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
cd "$TOVAK_ROOT"
jobs=$(nproc)
for arch in x86 x64; do
    case $arch in x86) triple=i686 ;; x64) triple=x86_64 ;; esac
    run_tests=ON
    [ "$arch" = x64 ] || [ "$TOVAK_WINE32" = yes ] || run_tests=OFF
    cmake -S . -B "$TOVAK_BUILD/$arch" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
        -DTOVAK_RUN_WINE_TESTS=$run_tests \
        -DCMAKE_TOOLCHAIN_FILE="$TOVAK_ROOT/cmake/toolchain-$triple.cmake" >/dev/null
    cmake --build "$TOVAK_BUILD/$arch" -j "$jobs"
done
CC=clang CXX=clang++ cmake -S . -B "$TOVAK_BUILD/native" -G "Unix Makefiles" \
    -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$TOVAK_BUILD/native" -j "$jobs"
# One CTest run over all three trees.
printf 'subdirs("native" "x86" "x64")\n' >"$TOVAK_BUILD/CTestTestfile.cmake"

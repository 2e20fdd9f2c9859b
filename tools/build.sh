#!/usr/bin/env bash
# Builds what the tests or the main job need:
#   tools/build.sh                 everything: both Windows architectures (into dist/x86
#                                  and dist/x64) with their tests and benchmarks, the
#                                  native tree of the portable logic, and the release
#                                  package. Needs the Wine session up: test discovery runs
#                                  the test programs that run natively.
#   tools/build.sh --tree NAME     one whole tree: x64, x86 or native.
#   tools/build.sh --shipped ARCH  only what the main job shows for ARCH (x64 or x86): the
#                                  shipped files and right_click_demo.exe. No Wine needed.
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
cd "$TOVAK_ROOT"
jobs=$(nproc)

# configure TREE: x64 and x86 cross-compile; native builds the portable logic with clang
# under the sanitizers.
configure() {
    local tree=$1 triple mode=native
    if [ "$tree" = native ]; then
        CC=clang CXX=clang++ cmake -S . -B "$TOVAK_BUILD/native" -G "Unix Makefiles" \
            -DCMAKE_BUILD_TYPE=Debug >/dev/null
        return
    fi
    case $tree in x86) triple=i686 ;; x64) triple=x86_64 ;; *) echo "no tree $tree" >&2; return 2 ;; esac
    # How the x86 test programs run here (cmake/wine_tests.cmake).
    [ "$tree" = x64 ] || mode=$TOVAK_WINE32
    cmake -S . -B "$TOVAK_BUILD/$tree" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
        -DTOVAK_WINE_MODE="$mode" \
        -DCMAKE_TOOLCHAIN_FILE="$TOVAK_ROOT/cmake/toolchain-$triple.cmake" >/dev/null
}

build_tree() {
    configure "$1"
    cmake --build "$TOVAK_BUILD/$1" -j "$jobs"
}

case "${1:-}" in
--tree)
    build_tree "$2"
    ;;
--shipped)
    configure "$2"
    cmake --build "$TOVAK_BUILD/$2" -j "$jobs" --target tovak TovakSetup right_click_demo
    ;;
"")
    for tree in x64 x86 native; do build_tree "$tree"; done
    # The package a user downloads, dist/TovakLite-<version>.zip, from what was just built.
    tools/package.sh >/dev/null
    # One CTest run over all three trees.
    printf 'subdirs("native" "x86" "x64")\n' >"$TOVAK_BUILD/CTestTestfile.cmake"
    ;;
*)
    echo "usage: $0 [--tree x64|x86|native | --shipped x64|x86]" >&2
    exit 2
    ;;
esac

#!/usr/bin/env bash
# Builds tovak.dll a second time from a copy of the sources in another folder, into
# another build folder, and compares the shipped file byte for byte with the first
# build's, and the debug files too. Only this one target is built again, so the check
# costs one compile of the DLL, not a second release.
#
#   reproducible_build.sh <source root> <first build folder> <first dist folder> \
#                         <toolchain file name> <work folder>
set -euo pipefail
source_root=$1 first_build=$2 first_dist=$3 toolchain=$4 work=$5
rm -rf "$work"
copy="$work/elsewhere/tovak-copy"
mkdir -p "$copy"
# The files of the commit as they are in the work tree, without build/ and dist/.
if git -C "$source_root" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    git -C "$source_root" ls-files -z --cached --others --exclude-standard |
        (cd "$source_root" && xargs -0 cp --parents -t "$copy" 2>/dev/null || true)
else
    tar -C "$source_root" --exclude=./build --exclude=./dist -cf - . | tar -C "$copy" -xf -
fi
second_build="$work/second-build"
second_dist="$work/second-dist"
cmake -S "$copy" -B "$second_build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$copy/cmake/$toolchain" -DTOVAK_DIST_DIR="$second_dist" >/dev/null
cmake --build "$second_build" -j "$(nproc)" --target tovak >/dev/null

status=0
compare() {
    sha256sum "$1" "$2"
    if cmp "$1" "$2"; then echo "same bytes"; else status=1; fi
}
compare "$first_dist/tovak.dll" "$second_dist/tovak.dll"
compare "$first_build/bin/tovak.dll.debug" "$second_build/bin/tovak.dll.debug"
compare "$first_build/bin/tovak.dll" "$second_build/bin/tovak.dll"
[ $status -eq 0 ] && echo "3 passed, 0 failed" || echo "the two builds differ"
exit $status

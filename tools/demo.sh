#!/usr/bin/env bash
# The main job: installs what is missing, builds everything, then plays a right-click on
# real files under Wine for both architectures, in ANSI code pages 1252 and 932, and
# prints what lands on the clipboard. Each run registers dist/<arch>/tovak.dll with
# regsvr32, lets COM load it as Explorer would, and unregisters it at the end.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
. tools/wine-env.sh
tools/wine-session.sh up
trap 'status=$?; "$TOVAK_ROOT/tools/wine-session.sh" down; exit $status' EXIT
tools/build.sh >"$TOVAK_BUILD/build.log" 2>&1 || { tail -40 "$TOVAK_BUILD/build.log"; exit 1; }
echo "built: $(ls dist/x86 dist/x64 | tr '\n' ' ')"
for arch in x86 x64; do
    if [ "$arch" = x86 ] && [ "$TOVAK_WINE32" = no ]; then
        echo
        echo "x86: built (dist/x86), not run: this machine runs no 32-bit programs"
        continue
    fi
    dll=$(winepath -w "$TOVAK_ROOT/dist/$arch/tovak.dll")
    for codepage in 1252 932; do
        echo
        TOVAK_CODEPAGE=$codepage tools/wine-exec.sh "$TOVAK_BUILD/$arch/bin/right_click_demo.exe" "$dll"
    done
done

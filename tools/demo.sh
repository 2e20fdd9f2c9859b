#!/usr/bin/env bash
# The main job: installs what is missing, builds what it shows (the shipped files and the
# right-click driver), then plays a right-click on real files under Wine, x64 first and
# then x86, in ANSI code pages 1252 and 932, and prints what lands on the clipboard. Each
# run registers dist/<arch>/tovak.dll with regsvr32, lets COM load it as Explorer would,
# and unregisters it at the end. One line per stage says what it did and how long it took.
#
# The main job has Wine prefixes of its own, so that the x64 right-click need not wait for
# a prefix's 32-bit half: build/wine-demo for x64, and build/wine-demo-x86, made with its
# 32-bit half (emulated where the kernel runs no 32-bit programs), for x86.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
mkdir -p build
log=build/demo-stage.log

# stage TITLE COMMAND...: runs a quiet stage, its output kept in build/demo-stage.log and
# shown only when it fails.
stage() {
    local title=$1 start=$SECONDS
    shift
    printf '[%4d s] %s ...' "$SECONDS" "$title"
    if "$@" >"$log" 2>&1; then
        printf ' %d s\n' $((SECONDS - start))
    else
        local status=$?
        printf ' failed (status %d) after %d s:\n' "$status" $((SECONDS - start))
        tail -40 "$log"
        exit "$status"
    fi
}

# right_click ARCH: the right-click in both code pages, its output as it comes.
right_click() {
    local arch=$1 codepage start dll report=${TOVAK_HANG_REPORT:-100}
    # An emulated x86 right-click takes minutes: a report of its threads after 100 s
    # would read as a hang.
    if [ "$arch" = x86 ] && [ "$TOVAK_WINE32" = emulated ]; then report=900; fi
    dll=$(winepath -w "$root/dist/$arch/tovak.dll" 2>/dev/null)
    for codepage in 1252 932; do
        start=$SECONDS
        printf '\n[%4d s] right-click, %s, code page %s:\n' "$SECONDS" "$arch" "$codepage"
        TOVAK_HANG_REPORT=$report TOVAK_CODEPAGE=$codepage \
            tools/wine-exec.sh "$TOVAK_BUILD/$arch/bin/right_click_demo.exe" "$dll"
        printf '[%4d s] right-click, %s, code page %s: %d s\n' "$SECONDS" "$arch" "$codepage" \
            $((SECONDS - start))
    done
}

# use_prefix NAME: the environment of tools/wine-env.sh for the prefix build/NAME, with
# the way x86 runs told anew.
use_prefix() {
    unset TOVAK_WINE32 WINELOADER
    export TOVAK_WINEPREFIX="$root/build/$1" TOVAK_DPI144=no
    . tools/wine-env.sh
}

# The Wine session is made while its architecture builds: both take a while.
session_up() {
    session_log=$TOVAK_BUILD/demo-session.log
    tools/wine-session.sh up >"$session_log" 2>&1 &
    session=$!
}
session_wait() {
    local status=0
    wait "$session" || status=$?
    cat "$session_log"
    return $status
}

stage "packages" tools/install-deps.sh
trap 'status=$?; "$root/tools/wine-session.sh" down; "$root/tools/x86-emulator.sh" down; exit $status' EXIT
use_prefix wine-demo
mkdir -p "$TOVAK_BUILD"
session_up
stage "build x64: tovak.dll, TovakSetup.exe, right_click_demo.exe" tools/build.sh --shipped x64
stage "Wine session for x64: $WINEPREFIX" session_wait
right_click x64

echo
tools/wine-session.sh down
stage "x86 emulator (only where the kernel runs no 32-bit programs)" tools/x86-emulator.sh up
use_prefix wine-demo-x86
if [ "$TOVAK_WINE32" != no ]; then session_up; fi
stage "build x86: tovak.dll, TovakSetup.exe, right_click_demo.exe" tools/build.sh --shipped x86
if [ "$TOVAK_WINE32" = no ]; then
    printf '[%4d s] x86: built (dist/x86), %s\n' "$SECONDS" "$(tools/wine-session.sh x86)"
else
    stage "Wine session for x86 ($(tools/wine-session.sh x86)): $WINEPREFIX" session_wait
    right_click x86
fi
printf '\n[%4d s] done: dist/x64 and dist/x86 each hold %s\n' "$SECONDS" "$(ls dist/x64 | tr '\n' ' ')"

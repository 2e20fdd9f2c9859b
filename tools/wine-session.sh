#!/usr/bin/env bash
# Starts (up) or stops (down) what every Wine test shares: an Xvfb display, the
# project's Wine prefix and its 144-DPI twin (each created once) and a persistent
# wineserver for each.
set -u
. "$(dirname "$0")/wine-env.sh"
xvfb_pid="$TOVAK_BUILD/xvfb.pid"
mkdir -p "$TMPDIR"

up() {
    if [ ! -d "$LOCPATH/ja_JP.UTF-8" ]; then
        mkdir -p "$LOCPATH"
        localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" >/dev/null 2>&1 ||
            { echo "localedef ja_JP.UTF-8 failed" >&2; return 1; }
    fi
    local n=${DISPLAY#:}
    if ! { [ -f "$xvfb_pid" ] && kill -0 "$(cat "$xvfb_pid")" 2>/dev/null; }; then
        rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n"
        setsid Xvfb "$DISPLAY" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
        echo $! >"$xvfb_pid"
        for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
        [ -e "/tmp/.X11-unix/X$n" ] || { echo "Xvfb did not start on $DISPLAY" >&2; return 1; }
    fi
    if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
        setsid -w wineboot -i </dev/null >/dev/null 2>&1
    fi
    setsid wineserver -p </dev/null >/dev/null 2>&1
    # Start the desktop process once, so later programs attach to a live desktop.
    setsid -w wine cmd /c exit </dev/null >/dev/null 2>&1
    [ -d "$WINEPREFIX/drive_c/windows/system32" ] || { echo "Wine prefix was not created" >&2; return 1; }
    # The programs that test the menu on older Windows versions run as those versions.
    local version
    for version in nt40 win98 win2k; do
        wine reg add "HKCU\\Software\\Wine\\AppDefaults\\menu_${version}_test.exe" \
            /v Version /d "$version" /f >/dev/null 2>&1 ||
            { echo "could not set the Windows version of menu_${version}_test.exe" >&2; return 1; }
    done
    # The prefix at 150 % scaling: made once, with LogPixels 144 set before any program
    # of its runs; the shared prefix above stays at 96 DPI for every other test.
    if [ ! -d "$TOVAK_DPI144_PREFIX/drive_c/windows/system32" ]; then
        WINEPREFIX="$TOVAK_DPI144_PREFIX" setsid -w wineboot -i </dev/null >/dev/null 2>&1
        WINEPREFIX="$TOVAK_DPI144_PREFIX" wine reg add 'HKCU\Control Panel\Desktop' \
            /v LogPixels /t REG_DWORD /d 144 /f >/dev/null 2>&1 ||
            { echo "could not set LogPixels 144 in $TOVAK_DPI144_PREFIX" >&2; return 1; }
        WINEPREFIX="$TOVAK_DPI144_PREFIX" wineserver -k >/dev/null 2>&1  # saves the registry
    fi
    WINEPREFIX="$TOVAK_DPI144_PREFIX" setsid wineserver -p </dev/null >/dev/null 2>&1
    WINEPREFIX="$TOVAK_DPI144_PREFIX" setsid -w wine cmd /c exit </dev/null >/dev/null 2>&1
    echo "wine prefix ready: $WINEPREFIX on display $DISPLAY (and $TOVAK_DPI144_PREFIX at 144 DPI)"
}

down() {
    wineserver -k >/dev/null 2>&1
    WINEPREFIX="$TOVAK_DPI144_PREFIX" wineserver -k >/dev/null 2>&1
    if [ -f "$xvfb_pid" ]; then kill "$(cat "$xvfb_pid")" 2>/dev/null; rm -f "$xvfb_pid"; fi
    return 0
}

case "${1:-}" in
up) up ;;
down) down ;;
*) echo "usage: $0 up|down" >&2; exit 2 ;;
esac

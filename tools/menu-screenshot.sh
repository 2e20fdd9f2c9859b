#!/usr/bin/env bash
# Shows a real popup menu with the two owner-drawn items under Xvfb and Wine, in the
# Japanese ANSI code page (932, IPA Gothic from fonts-ipafont-gothic), and saves it as
# docs/menu-normal.png and docs/menu-selected.png at 96 DPI, and as
# docs/menu-normal-144dpi.png and docs/menu-selected-144dpi.png at 150 % scaling (the
# session's prefix with LogPixels 144). Builds the x86 tree (x64 where 32-bit programs cannot run) if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
. tools/wine-env.sh
fc-list | grep -qi 'IPAGothic' || { echo "the IPA Gothic font is missing" >&2; exit 1; }
tools/wine-session.sh up >/dev/null
trap 'status=$?; "$TOVAK_ROOT/tools/wine-session.sh" down; exit $status' EXIT

# The x86 tree where 32-bit programs run natively, else the x64 one.
arch=x86 triple=i686
if [ "$TOVAK_WINE32" != native ]; then arch=x64 triple=x86_64; fi
build="$TOVAK_BUILD/$arch"
cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$TOVAK_ROOT/cmake/toolchain-$triple.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" --target menu_screenshot >/dev/null

# shoot <prefix> <suffix>: the menu as a program in that Wine prefix shows it, saved as
# docs/menu-normal<suffix>.png and docs/menu-selected<suffix>.png.
shoot() (
    export WINEPREFIX=$1
    local suffix=$2
    # The prefix was made in the C locale, so its menu font is an ANSI_CHARSET one, with
    # which the captions' Shift-JIS bytes come out as Western characters. A Japanese
    # system's menu font has SHIFTJIS_CHARSET (128, byte 23 of the LOGFONT): use that
    # for the shot and put the old value back afterwards.
    local metrics='HKCU\Control Panel\Desktop\WindowMetrics'
    local menu_font
    menu_font=$(wine reg query "$metrics" /v MenuFont 2>/dev/null | tr -d '\r' |
        awk '$1 == "MenuFont" { print $3 }')
    if [ -n "$menu_font" ]; then
        local japanese_font="${menu_font:0:46}80${menu_font:48}"
        wine reg add "$metrics" /v MenuFont /t REG_BINARY /d "$japanese_font" /f >/dev/null 2>&1
    fi

    local shots="$TMPDIR/menu-screenshot$suffix"
    rm -rf "$shots"
    mkdir -p "$shots" docs
    local status=0
    (cd "$shots" && TOVAK_WINEPREFIX="$WINEPREFIX" TOVAK_CODEPAGE=932 \
        "$TOVAK_ROOT/tools/wine-exec.sh" "$build/bin/menu_screenshot.exe" \
        normal.bmp selected.bmp) || status=$?

    if [ -n "$menu_font" ]; then
        wine reg add "$metrics" /v MenuFont /t REG_BINARY /d "$menu_font" /f >/dev/null 2>&1
    fi
    [ "$status" = 0 ] || { echo "menu_screenshot failed ($status) in $WINEPREFIX" >&2; exit 1; }

    local look
    for look in normal selected; do
        convert "$shots/$look.bmp" -strip "docs/menu-$look$suffix.png"
        echo "docs/menu-$look$suffix.png: $(identify -format '%wx%h' "docs/menu-$look$suffix.png")"
    done
)

shoot "$WINEPREFIX" ""
shoot "$TOVAK_DPI144_PREFIX" "-144dpi"

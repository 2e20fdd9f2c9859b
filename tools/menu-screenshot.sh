#!/usr/bin/env bash
# Shows a real popup menu with the two owner-drawn items under Xvfb and Wine, in the
# Japanese ANSI code page (932, IPA Gothic from fonts-ipafont-gothic), and saves it as
# docs/menu-normal.png and docs/menu-selected.png. Builds the x86 tree if needed.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
. tools/wine-env.sh
fc-list | grep -qi 'IPAGothic' || { echo "the IPA Gothic font is missing" >&2; exit 1; }
tools/wine-session.sh up >/dev/null
trap 'status=$?; "$TOVAK_ROOT/tools/wine-session.sh" down; exit $status' EXIT

build="$TOVAK_BUILD/x86"
cmake -S . -B "$build" -G "Unix Makefiles" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$TOVAK_ROOT/cmake/toolchain-i686.cmake" >/dev/null
cmake --build "$build" -j "$(nproc)" --target menu_screenshot >/dev/null

# Windows shows an .ico file with its own picture; a fresh Wine prefix lacks that
# association, so it is added for the shot and removed again if it was not there.
added_association=0
if ! wine reg query 'HKCR\.ico' >/dev/null 2>&1; then
    wine reg add 'HKCR\.ico' /ve /d icofile /f >/dev/null 2>&1
    wine reg add 'HKCR\icofile\DefaultIcon' /ve /d '%1' /f >/dev/null 2>&1
    added_association=1
fi

# The prefix was made in the C locale, so its menu font is an ANSI_CHARSET one, with
# which the captions' Shift-JIS bytes come out as Western characters. A Japanese
# system's menu font has SHIFTJIS_CHARSET (128, byte 23 of the LOGFONT): use that for
# the shot and put the old value back afterwards.
metrics='HKCU\Control Panel\Desktop\WindowMetrics'
menu_font=$(wine reg query "$metrics" /v MenuFont 2>/dev/null | tr -d '\r' |
    awk '$1 == "MenuFont" { print $3 }')
if [ -n "$menu_font" ]; then
    japanese_font="${menu_font:0:46}80${menu_font:48}"
    wine reg add "$metrics" /v MenuFont /t REG_BINARY /d "$japanese_font" /f >/dev/null 2>&1
fi

shots="$TMPDIR/menu-screenshot"
rm -rf "$shots"
mkdir -p "$shots" docs
status=0
(cd "$shots" && TOVAK_CODEPAGE=932 "$TOVAK_ROOT/tools/wine-exec.sh" "$build/bin/menu_screenshot.exe" \
    normal.bmp selected.bmp) || status=$?

if [ -n "$menu_font" ]; then
    wine reg add "$metrics" /v MenuFont /t REG_BINARY /d "$menu_font" /f >/dev/null 2>&1
fi
if [ "$added_association" = 1 ]; then
    wine reg delete 'HKCR\.ico' /f >/dev/null 2>&1
    wine reg delete 'HKCR\icofile' /f >/dev/null 2>&1
fi
[ "$status" = 0 ] || { echo "menu_screenshot failed ($status)" >&2; exit 1; }

for look in normal selected; do
    convert "$shots/$look.bmp" -strip "docs/menu-$look.png"
    echo "docs/menu-$look.png: $(identify -format '%wx%h' "docs/menu-$look.png")"
done

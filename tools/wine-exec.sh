#!/usr/bin/env bash
# Runs one Windows program in the project's Wine prefix (the CTest emulator).
# TOVAK_CODEPAGE=932 runs it with the Japanese ANSI code page.
. "$(dirname "$0")/wine-env.sh"
locale=C.UTF-8
if [ "${TOVAK_CODEPAGE:-}" = 932 ]; then locale=ja_JP.UTF-8; fi
# Programs named *_dpi144_test run at 150 % scaling, in the prefix whose LogPixels is 144,
# on its display.
case "$(basename "${1:-}")" in
*_dpi144_test.exe) export WINEPREFIX="$TOVAK_DPI144_PREFIX" DISPLAY="$TOVAK_SIDE_DISPLAY" ;;
esac
exec env LC_ALL="$locale" wine "$@"

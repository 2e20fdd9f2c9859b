#!/usr/bin/env bash
# Runs one Windows program in the project's Wine prefix (the CTest emulator).
# TOVAK_CODEPAGE=932 runs it with the Japanese ANSI code page.
. "$(dirname "$0")/wine-env.sh"
if [ "${TOVAK_CODEPAGE:-}" = 932 ]; then export LC_ALL=ja_JP.UTF-8; else export LC_ALL=C.UTF-8; fi
exec wine "$@"

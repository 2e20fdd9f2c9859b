#!/bin/sh
# Runs an x86 test program whose subject is the same in both architectures (the x64 run
# covers it) under the emulator only when asked, by tools/test.sh --x86-all; otherwise
# reports it skipped (77) with the reason.
if [ "${TOVAK_X86_ALL:-}" = yes ]; then exec "$(dirname "$0")/wine-exec.sh" "$@"; fi
echo "NOT RUN: the same in both architectures and covered by the x64 run;" \
    "tools/test.sh --x86-all runs $(basename "$1") under the emulator"
exit 77

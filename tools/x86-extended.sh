#!/bin/sh
# Runs an x86 test program whose subject is the same in both architectures, or which
# starts a 32-bit program per step, under the emulator only when asked, by
# tools/test.sh --x86-all; otherwise reports it skipped (77) with the reason.
if [ "${TOVAK_X86_ALL:-}" = yes ]; then exec "$(dirname "$0")/wine-exec.sh" "$@"; fi
echo "NOT RUN: too slow under the emulator for every run, or the same in both" \
    "architectures; tools/test.sh --x86-all runs $(basename "$1")"
exit 77

#!/usr/bin/env bash
# A program started through `wine` (tools/wine-env.sh), and the program it starts in turn,
# run without address-space randomisation, their heap just above the loader and below the
# shared user data at 0x7ffe0000 (where a randomised heap now and then lands, and Wine
# cannot start). Skipped (77) where the kernel refuses to start a program unrandomised.
set -u
. "$(dirname "$0")/../../tools/wine-env.sh"
setarch "$(uname -m)" -R true 2>/dev/null ||
    { echo "SKIPPED: the kernel refuses personality(ADDR_NO_RANDOMIZE) here"; exit 77; }
work=$(mktemp -d)
trap 'exec 3>&-; wait; rm -rf "$work"' EXIT
mkfifo "$work/input"
exec 3<>"$work/input"
mark="TOVAK_LOADER_TEST=$$"
# The outer cmd starts an inner one, which waits for a line on the pipe.
env "$mark" wine cmd /c "cmd /c set /p line=" <&3 >/dev/null 2>&1 &

ours() {
    local process
    for process in $(pgrep -f 'cmd|start'); do
        tr '\0' '\n' 2>/dev/null <"/proc/$process/environ" | grep -qx "$mark" && echo "$process"
    done
}
heap_end() { awk '/\[heap\]/ { split($1, range, "-"); print range[2] }' "/proc/$1/maps" 2>/dev/null; }
# start.exe, the outer cmd and the inner cmd, each with its heap mapped: waited for until
# the inner one has started and taken its first memory.
ready() {
    local process count=0
    for process in $(ours); do
        [ -n "$(heap_end "$process")" ] || return 1
        count=$((count + 1))
    done
    [ "$count" -ge 3 ]
}
for _ in $(seq 600); do
    ready && break
    sleep 0.1
done
failures=0
processes=$(ours)
ready || { echo "FAILED: within 60 s, not all of start.exe, cmd and its inner cmd ran"; failures=1; }
for process in $processes; do
    name=$(cat "/proc/$process/comm")
    personality=$(cat "/proc/$process/personality")
    end=$(heap_end "$process")
    if (((0x$personality & 0x0040000) != 0)) && [ -n "$end" ] && ((0x$end < 0x7ffe0000)); then
        echo "ok: $name (pid $process): personality $personality, heap ends at 0x$end"
    else
        echo "FAILED: $name (pid $process): personality $personality, heap ends at 0x${end:-?}"
        failures=$((failures + 1))
    fi
done
echo >&3
exit $((failures > 0))

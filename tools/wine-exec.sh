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

# Where each thread of the program $2 (started as process $1) stands, and what else runs
# in the prefix. Wine starts a program named by a Unix path from start.exe, in a process
# of its own.
report_threads() {
    local process task prefixed=""
    for process in $(pgrep -f '[.]exe|wineserver'); do
        { tr '\0' '\n' <"/proc/$process/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$WINEPREFIX" &&
            prefixed="$prefixed $process"
    done
    echo "wine-exec: $(basename "$2") still running after ${TOVAK_HANG_REPORT:-100} s; its threads:"
    for process in "$1" ${prefixed//" $1"/}; do
        case "$process $(cat "/proc/$process/comm" 2>/dev/null)" in
        "$1 "*) ;;
        *" bash" | *" timeout" | *" sh") continue ;;
        *) grep -qF "$(basename "$2")" "/proc/$process/cmdline" 2>/dev/null || continue ;;
        esac
        for task in /proc/"$process"/task/*; do
            echo "  $process/${task##*/} $(cat "$task/comm" 2>/dev/null)" \
                "state $(cut -d' ' -f3 "$task/stat" 2>/dev/null) in $(cat "$task/wchan" 2>/dev/null)," \
                "system call $(cut -d' ' -f1 "$task/syscall" 2>/dev/null)"
        done
    done
    echo "wine-exec: the prefix's programs:"
    [ -z "$prefixed" ] || ps -o pid,stat,etime,args -p "$(echo $prefixed | tr " " ,)" | sed 's/^/  /'
    for process in $prefixed; do
        tr '\0' '\n' <"/proc/$process/environ" 2>/dev/null | grep -qx "TMPDIR=$TMPDIR" ||
            echo "  $process has $(tr '\0' '\n' <"/proc/$process/environ" 2>/dev/null | grep ^TMPDIR= || echo "no TMPDIR")"
    done
    echo "wine-exec: the prefix's server folders (its wineserver file: $(cat "$WINEPREFIX/wineserver" 2>/dev/null)," \
        "the prefix folder: $(stat -c '%D %i' "$WINEPREFIX"))"
    ls -ld --time-style=+%T "$TMPDIR"/wine-*/* /tmp/wine-*/* 2>/dev/null | sed 's/^/  /'
    cat "$TOVAK_BUILD"/wineserver*.ended 2>/dev/null | sed 's/^/  /'
}

# Wine's own word on a program that cannot start or load what it imports (a DLL not found
# or failing to initialise, memory it cannot map, a display it cannot open): without it
# such a program ends at once with no output at all.
started=$EPOCHREALTIME
env LC_ALL="$locale" WINEDEBUG="$WINEDEBUG,err+module,err+virtual,err+winediag" wine "$@" &
program=$!
trap 'kill "$program" 2>/dev/null' TERM INT
# A program that outlives every limit but the longest says where it stands, once, and is
# still waited for: a hang's report comes with the test's own failure.
sleep "${TOVAK_HANG_REPORT:-100}" &
watch=$!
wait -n "$program" "$watch"
if kill -0 "$program" 2>/dev/null; then
    report_threads "$program" "${1:-}" >&2
else
    kill "$watch" 2>/dev/null
fi
wait "$program"
status=$?
# A program that fails says how it ended: its status, or the signal that ended it (the
# shell names no SIGTERM, SIGINT or SIGPIPE).
if [ "$status" -ne 0 ]; then
    how="status $status"
    [ "$status" -le 128 ] || how="$how (SIG$(kill -l "$status" 2>/dev/null || echo "?"), or a Windows exit code ending in that byte)"
    ms=$(((${EPOCHREALTIME//[.,]/} - ${started//[.,]/}) / 1000))
    printf 'wine-exec: %s ended with %s after %d.%03d s\n' "$(basename "${1:-}")" "$how" \
        $((ms / 1000)) $((ms % 1000)) >&2
fi
exit "$status"

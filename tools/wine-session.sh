#!/usr/bin/env bash
# Starts (up), checks (check) or stops (down) what every Wine test shares: an Xvfb
# display, the project's Wine prefix (created once), one persistent wineserver and one
# keeper process that holds the desktop and the system services up for the session;
# and a second display for the other prefixes (tools/wine-env.sh says why), with the
# prefix at 150 % scaling and its own persistent wineserver.
set -u
. "$(dirname "$0")/wine-env.sh"
keeper_pid="$TOVAK_BUILD/keeper.pid"
keeper_out="$TOVAK_BUILD/keeper.out"
mkdir -p "$TMPDIR"

fail() { echo "wine session: $*" >&2; return 1; }

# Waits up to $2 seconds for file $1 to hold a whole line: another process writes it
# when it is ready, so the wait ends at readiness, not at a first sign of life.
wait_for_line() {
    local _
    for _ in $(seq $(($2 * 10))); do
        grep -q . "$1" 2>/dev/null && [ -z "$(tail -c1 "$1")" ] && return 0
        sleep 0.1
    done
    return 1
}

# start_display NAME DISPLAY: an Xvfb on DISPLAY, its pid in $TOVAK_BUILD/NAME.pid.
start_display() {
    local pid_file="$TOVAK_BUILD/$1.pid" ready="$TOVAK_BUILD/$1.ready" n=${2#:}
    case $2 in
    :*[!0-9]* | : | [!:]*) fail "display $2 is not a local display number such as :91" || return 1 ;;
    esac
    if ! { [ -f "$pid_file" ] && kill -0 "$(cat "$pid_file")" 2>/dev/null; }; then
        # Started with -displayfd, Xvfb takes no lock file: a display of another tree's
        # session would be taken over, not refused, so one that answers is refused here.
        if python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).connect(sys.argv[1])' \
            "/tmp/.X11-unix/X$n" 2>/dev/null; then
            fail "display $2 is another session's: give this tree a TOVAK_DISPLAY of its own"
            return 1
        fi
        rm -f "/tmp/.X$n-lock" "/tmp/.X11-unix/X$n" "$ready"
        # Xvfb writes the display number to -displayfd once it accepts connections.
        setsid Xvfb "$2" -screen 0 1024x768x24 -nolisten tcp -displayfd 3 \
            3>"$ready" </dev/null >/dev/null 2>&1 &
        echo $! >"$pid_file"
        wait_for_line "$ready" 120 || fail "Xvfb did not start on $2"
    fi
}

# A server that Wine starts by itself lingers for no time once its last process has
# ended (Debian's wineserver wrapper passes -p0), and "wineserver -p" does nothing while
# another server of the prefix runs. So any server of the prefix is ended and waited
# for first, and the persistent one must be the one that answers.
#
# The persistent server runs in the foreground of a watcher that writes down when and how
# it ended (status 128+N: signal N), after whatever the server wrote to its standard
# error, in $TOVAK_BUILD/NAME.ended; the watcher, whose pid is in
# $TOVAK_BUILD/NAME.pid, lives as long as the server. Ready is when its socket exists, in the folder
# that Debian's Wine names in the prefix's "wineserver" file (under TMPDIR) and the prefix
# folder's device and inode.
start_server() {
    local name=$1 _ folder
    wineserver -k >/dev/null 2>&1
    timeout 60 wineserver -w >/dev/null 2>&1 || fail "the prefix's old wineserver did not end" || return 1
    rm -f "$TOVAK_BUILD/$name.ended" "$TOVAK_BUILD/$name.pid"
    setsid bash -c 'exec 3>>"$1.ended"; echo $$ >"$1.pid"; wineserver -f -p 2>&3 3>&-
        status=$?; echo "$(date -u +%T) the wineserver of $WINEPREFIX (watched by pid $$) ended: status $status" >&3' \
        server "$TOVAK_BUILD/$name" </dev/null >/dev/null 2>&1 &
    for _ in $(seq 600); do
        folder="$TMPDIR/$(cat "$WINEPREFIX/wineserver" 2>/dev/null)"
        folder="$folder/$(printf 'server-%s-%x' "$(stat -c %D "$WINEPREFIX")" "$(stat -c %i "$WINEPREFIX")")"
        [ -S "$folder/socket" ] && return 0
        [ ! -s "$TOVAK_BUILD/$name.pid" ] || server_alive "$name" || break
        sleep 0.1
    done
    fail "the persistent wineserver did not start: $(cat "$TOVAK_BUILD/$name.ended" 2>/dev/null)"
}

# alive PIDFILE: the process named there runs. One that has ended may stay a zombie for a
# while (its parent, the machine's first process, takes its time), and counts as ended.
alive() {
    local state
    [ -f "$1" ] && state=$(cut -d' ' -f3 "/proc/$(cat "$1")/stat" 2>/dev/null) && [ "$state" != Z ]
}

# server_alive NAME: the persistent server started as NAME still runs.
server_alive() { alive "$TOVAK_BUILD/$1.pid"; }

# How x86 runs, as every summary says it.
x86_mode() {
    case $TOVAK_WINE32 in
    native) echo "native" ;;
    emulated) echo "emulated (qemu-user-static through binfmt_misc)" ;;
    *) echo "not run: this machine runs no 32-bit programs$([ "$(id -u)" -eq 0 ] || echo ", and only root can register an emulator")" ;;
    esac
}

keeper_alive() { alive "$keeper_pid"; }

start_keeper() {
    local exe="$TOVAK_BUILD/session_keeper.exe"
    if [ ! -f "$exe" ] || [ "$TOVAK_ROOT/tools/session_keeper.c" -nt "$exe" ]; then
        x86_64-w64-mingw32-gcc -O2 -o "$exe" "$TOVAK_ROOT/tools/session_keeper.c" ||
            fail "could not build the session keeper" || return 1
    fi
    rm -f "$keeper_out"
    setsid wine "$exe" </dev/null >"$keeper_out" 2>/dev/null &
    echo $! >"$keeper_pid"
    wait_for_line "$keeper_out" 300 || fail "the session keeper did not take the desktop" || return 1
    # The services are up once a first program has finished with them.
    setsid -w wine cmd /c exit </dev/null >/dev/null 2>&1
    keeper_alive || fail "the session keeper did not last its start"
}

# The prefix at 150 % scaling for the programs named *_dpi144_test (tools/wine-exec.sh
# runs them there): made once, with LogPixels 144 set before any program of its runs, so
# that the shared prefix stays at 96 DPI for every other test.
make_dpi144() (
    export WINEPREFIX="$TOVAK_DPI144_PREFIX" DISPLAY="$TOVAK_SIDE_DISPLAY"
    if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
        setsid -w wine wineboot -i </dev/null >/dev/null 2>&1
        [ -d "$WINEPREFIX/drive_c/windows/system32" ] || fail "$WINEPREFIX was not created" || return 1
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d 144 /f \
            >/dev/null 2>&1 || fail "could not set LogPixels 144 in $WINEPREFIX" || return 1
    fi
)
start_dpi144() (
    export WINEPREFIX="$TOVAK_DPI144_PREFIX" DISPLAY="$TOVAK_SIDE_DISPLAY"
    start_server wineserver-dpi144 || return 1
    setsid -w wine cmd /c exit </dev/null >/dev/null 2>&1
)

up() {
    if [ ! -d "$LOCPATH/ja_JP.UTF-8" ]; then
        mkdir -p "$LOCPATH"
        localedef -i ja_JP -f UTF-8 "$LOCPATH/ja_JP.UTF-8" >/dev/null 2>&1 ||
            fail "localedef ja_JP.UTF-8 failed" || return 1
    fi
    start_display xvfb "$DISPLAY" || return 1
    start_display xvfb-side "$TOVAK_SIDE_DISPLAY" || return 1
    # TOVAK_DPI144=no leaves the second prefix out (the main job needs none). The two
    # prefixes are made side by side: each takes minutes where x86 runs emulated.
    local dpi144=""
    if [ "${TOVAK_DPI144:-yes}" != no ]; then
        make_dpi144 &
        dpi144=$!
    fi
    if [ ! -d "$WINEPREFIX/drive_c/windows/system32" ]; then
        setsid -w wine wineboot -i </dev/null >/dev/null 2>&1
        [ -d "$WINEPREFIX/drive_c/windows/system32" ] || fail "Wine prefix was not created" || return 1
    fi
    if [ -n "$dpi144" ]; then wait "$dpi144" || return 1; fi
    if ! keeper_alive; then
        start_server wineserver || return 1
        start_keeper || return 1
        [ "${TOVAK_DPI144:-yes}" = no ] || start_dpi144 || return 1
    fi
    # The programs that test the menu on older Windows versions run as those versions.
    local version
    for version in nt40 win98 win2k; do
        wine reg add "HKCU\\Software\\Wine\\AppDefaults\\menu_${version}_test.exe" \
            /v Version /d "$version" /f >/dev/null 2>&1 ||
            fail "could not set the Windows version of menu_${version}_test.exe" || return 1
    done
    local second=" (and $TOVAK_DPI144_PREFIX at 144 DPI on $TOVAK_SIDE_DISPLAY)"
    [ "${TOVAK_DPI144:-yes}" = yes ] || second=""
    echo "wine prefix ready: $WINEPREFIX on display $DISPLAY$second; x86: $(x86_mode)"
}

# The keeper still running means the server and the desktop stayed up all along.
check() {
    server_alive wineserver ||
        fail "the prefix's persistent wineserver went away during the run: $(cat "$TOVAK_BUILD/wineserver.ended" 2>/dev/null)" ||
        return 1
    keeper_alive || fail "the session keeper has gone: the desktop went away during the run"
}

down() {
    wineserver -k >/dev/null 2>&1
    [ ! -d "$TOVAK_DPI144_PREFIX" ] || WINEPREFIX="$TOVAK_DPI144_PREFIX" wineserver -k >/dev/null 2>&1
    rm -f "$keeper_pid"
    local display
    for display in xvfb xvfb-side; do
        if [ -f "$TOVAK_BUILD/$display.pid" ]; then
            kill "$(cat "$TOVAK_BUILD/$display.pid")" 2>/dev/null
            rm -f "$TOVAK_BUILD/$display.pid"
        fi
    done
    return 0
}

case "${1:-}" in
up) up ;;
x86) x86_mode ;;
check) check ;;
down) down ;;
*) echo "usage: $0 up|check|down|x86" >&2; exit 2 ;;
esac

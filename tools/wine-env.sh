# Environment shared by every Wine call of the project: one prefix, one display,
# one TMPDIR, quiet debug channels. Source it; it sets TOVAK_ROOT as well.
TOVAK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)
export TOVAK_ROOT
export TOVAK_BUILD="${TOVAK_BUILD:-$TOVAK_ROOT/build}"
export WINEPREFIX="${TOVAK_WINEPREFIX:-$TOVAK_BUILD/wine}"
# The second prefix, at 150 % scaling (LogPixels 144), for the programs that test it.
export TOVAK_DPI144_PREFIX="$TOVAK_BUILD/wine-dpi144"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export DISPLAY="${TOVAK_DISPLAY:-:97}"
# Every other prefix (the one at 150 %, the installer checks' copies) shows on a display
# of its own. Wine keeps each prefix's clipboard in step with its display's CLIPBOARD
# selection, so prefixes on one display share one clipboard: when a program of another
# prefix puts something on its clipboard, the shared prefix's clipboard manager empties
# the clipboard a test is reading to take in what the other prefix offers.
export TOVAK_SIDE_DISPLAY="${TOVAK_SIDE_DISPLAY:-:$((${DISPLAY#:} + 100))}"
export TMPDIR="$TOVAK_BUILD/tmp"
export LOCPATH="$TOVAK_BUILD/locale"
# Wine ends a process's other threads through pthread_exit when the process exits, and
# glibc loads its unwinder, libgcc_s.so.1, the first time a thread of the process does
# that: a library load racing with the exiting thread's exit(), whose check of the loaded
# libraries then now and then failed ("Inconsistency detected by ld.so: dl-fini.c: 87",
# status 127, after every test had passed). Loaded at start, it is never loaded at exit;
# Wine passes the setting on to the processes a Windows program starts.
case ":${LD_PRELOAD:-}:" in
*:libgcc_s.so.1:*) ;;
*) export LD_PRELOAD="libgcc_s.so.1${LD_PRELOAD:+:$LD_PRELOAD}" ;;
esac

# How 32-bit Windows programs run here (TOVAK_WINE32): "native", where the kernel runs
# Wine's i386 loader; "emulated", through an i386 handler of qemu-user-static registered
# with binfmt_misc (tools/x86-emulator.sh registers one for a run where needed); "no"
# where neither works: there the 64-bit loader serves every call and the x86 programs
# are built but not run.
tovak_i386_handler() {
    local entry
    grep -qsx enabled /proc/sys/fs/binfmt_misc/status || return 1
    for entry in /proc/sys/fs/binfmt_misc/*; do
        grep -qsx enabled "$entry" && grep -qs '^interpreter .*qemu-i386' "$entry" && return 0
    done
    return 1
}
if [ -z "${TOVAK_WINE32:-}" ]; then
    TOVAK_WINE32=no
    if tovak_i386_handler && /usr/lib/wine/wine --version >/dev/null 2>&1; then
        TOVAK_WINE32=emulated
    elif [ ! -e /usr/lib/wine/wine ] || /usr/lib/wine/wine --version >/dev/null 2>&1; then
        TOVAK_WINE32=native
    fi
fi
export TOVAK_WINE32
# Unless x86 runs natively, the 64-bit loader starts every program: Wine's i386 loader,
# emulated, would take most of a minute to hand each 64-bit program on to it. For a
# 32-bit program the 64-bit loader starts the i386 one itself.
if [ "$TOVAK_WINE32" != native ] && [ -x /usr/lib/wine/wine64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
    # Written once and put in place by a rename: test programs start through these
    # while other tests source this file, and a script being rewritten cannot be run.
    for tool in wine wine-stable; do
        if [ ! -x "$TOVAK_BUILD/wine64-bin/$tool" ]; then
            mkdir -p "$TOVAK_BUILD/wine64-bin"
            printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$TOVAK_BUILD/wine64-bin/$tool.$$"
            chmod +x "$TOVAK_BUILD/wine64-bin/$tool.$$"
            mv -f "$TOVAK_BUILD/wine64-bin/$tool.$$" "$TOVAK_BUILD/wine64-bin/$tool"
        fi
    done
    case ":$PATH:" in *":$TOVAK_BUILD/wine64-bin:"*) ;; *) export PATH="$TOVAK_BUILD/wine64-bin:$PATH" ;; esac
fi

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
# Every program starts through wrappers of `wine` in $TOVAK_BUILD/wine-bin (first on
# PATH). Unless x86 runs natively, they start the 64-bit loader: Wine's i386 loader,
# emulated, would take most of a minute to hand each 64-bit program on to it. For a
# 32-bit program the 64-bit loader starts the i386 one itself.
#
# They also start it without address-space randomisation, where the kernel allows that
# (setarch -R; the programs Wine starts inherit it). Wine maps the shared user data at
# the fixed address 0x7ffe0000, and Debian's Wine has no preloader to reserve it before
# anything else is mapped; randomised, the kernel puts the loader's heap anywhere in the
# gigabyte above the loader (0x7d000000), now and then over that page, and the program
# then ends at once with status 1, silent under WINEDEBUG=-all ("failed to map the shared
# user data: c0000018"): about one start in ten thousand.
tovak_wine_bin="$TOVAK_BUILD/wine-bin"
if [ "$TOVAK_WINE32" != native ] && [ -x /usr/lib/wine/wine64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
fi
# Written once and put in place by a rename: test programs start through these while
# other tests source this file, and a script being rewritten cannot be run.
for tovak_tool in wine wine-stable; do
    [ ! -x "$tovak_wine_bin/$tovak_tool" ] || continue
    if [ -n "${WINELOADER:-}" ]; then
        tovak_target=$WINELOADER
    else
        tovak_target=$(PATH=$(printf '%s' "$PATH" | tr : '\n' | grep -vx "$tovak_wine_bin" | paste -sd:) &&
            command -v "$tovak_tool") || continue
    fi
    tovak_norandom=""
    ! setarch "$(uname -m)" -R true 2>/dev/null || tovak_norandom="setarch $(uname -m) -R "
    mkdir -p "$tovak_wine_bin"
    printf '#!/bin/sh\nexec %s%s "$@"\n' "$tovak_norandom" "$tovak_target" >"$tovak_wine_bin/$tovak_tool.$$"
    chmod +x "$tovak_wine_bin/$tovak_tool.$$"
    mv -f "$tovak_wine_bin/$tovak_tool.$$" "$tovak_wine_bin/$tovak_tool"
done
case ":$PATH:" in *":$tovak_wine_bin:"*) ;; *) export PATH="$tovak_wine_bin:$PATH" ;; esac

# Environment shared by every Wine call of the project: one prefix, one display,
# one TMPDIR, quiet debug channels. Source it; it sets TOVAK_ROOT as well.
TOVAK_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]:-$0}")/.." && pwd)
export TOVAK_ROOT
export TOVAK_BUILD="${TOVAK_BUILD:-$TOVAK_ROOT/build}"
export WINEPREFIX="${TOVAK_WINEPREFIX:-$TOVAK_BUILD/wine}"
export WINEARCH=win64
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"
export DISPLAY="${TOVAK_DISPLAY:-:97}"
export TMPDIR="$TOVAK_BUILD/tmp"
export LOCPATH="$TOVAK_BUILD/locale"

# 32-bit Windows programs need a kernel that runs 32-bit Linux programs (Wine's i386
# loader). Some virtual machines run none: there the 64-bit loader serves every call,
# and TOVAK_WINE32=no tells the build that the x86 programs cannot be run here.
if [ -z "${TOVAK_WINE32:-}" ]; then
    if [ ! -e /usr/lib/wine/wine ] || /usr/lib/wine/wine --version >/dev/null 2>&1; then
        TOVAK_WINE32=yes
    else
        TOVAK_WINE32=no
    fi
fi
export TOVAK_WINE32
if [ "$TOVAK_WINE32" = no ] && [ -x /usr/lib/wine/wine64 ]; then
    export WINELOADER=/usr/lib/wine/wine64
    mkdir -p "$TOVAK_BUILD/wine64-bin"
    for tool in wine wine-stable; do
        printf '#!/bin/sh\nexec /usr/lib/wine/wine64 "$@"\n' >"$TOVAK_BUILD/wine64-bin/$tool"
        chmod +x "$TOVAK_BUILD/wine64-bin/$tool"
    done
    case ":$PATH:" in *":$TOVAK_BUILD/wine64-bin:"*) ;; *) export PATH="$TOVAK_BUILD/wine64-bin:$PATH" ;; esac
fi

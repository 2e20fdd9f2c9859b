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
export TMPDIR="$TOVAK_BUILD/tmp"
export LOCPATH="$TOVAK_BUILD/locale"

#!/usr/bin/env bash
# windows11_run.sh <windows11_run_test.exe> <dist/x64> <work folder>
# Runs the setup tool's Windows 11 test in a Wine prefix of its own that reports Windows
# 10.0.22000 and has no powershell.exe: a copy of the shared prefix, shown on the side
# display, with the tool, tovak.dll and an unsigned TovakLite.msix in "C:\Tovak's
# Windows 11". The shared prefix is only read. The copy's wineserver and every program in
# it end, and the copy goes, when this script ends, however it ends but by SIGKILL; a copy
# an earlier run left is removed first.
set -uo pipefail
driver=$1 dist=$2 work=$3
. "$(dirname "$0")/../../tools/wine-env.sh"
shared=$WINEPREFIX
prefix=$work/prefix
export WINEPREFIX=$prefix DISPLAY=$TOVAK_SIDE_DISPLAY
# The copy keeps the shared prefix's "wineserver" file, so its server's folder lies
# beside the shared one's, under the copy's own device and inode.
cleanup() {
    if [ -d "$prefix" ]; then
        wineserver -k 2>/dev/null
        wineserver -w
        rm -rf "$TMPDIR/$(cat "$prefix/wineserver" 2>/dev/null)/$(printf 'server-%s-%x' \
            "$(stat -c %D "$prefix")" "$(stat -c %i "$prefix")")"
    fi
    rm -rf "$work"
}
cleanup
trap cleanup EXIT
trap 'exit 1' TERM INT HUP
mkdir -p "$work" "$TMPDIR"
# Other tests write into the shared prefix meanwhile (their own files, under C:\), and a
# file they remove while it is copied makes cp say so and fail: the copy counts when it
# holds the prefix's registry and its system folder.
cp -a "$shared" "$prefix" 2>/dev/null
[ -s "$prefix/system.reg" ] && [ -s "$prefix/user.reg" ] &&
    [ -d "$prefix/drive_c/windows/system32" ] || { echo "could not copy $shared" >&2; exit 1; }

# Wine 8 has no Windows 11 setting; it reports the version these values name (the
# shared prefix's are Windows 7 SP1's).
set_version() {
    wine reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion' /v "$1" /t "$2" /d "$3" \
        /f >/dev/null
}
set_version CurrentVersion REG_SZ 10.0 && set_version CSDVersion REG_SZ "" &&
    set_version CurrentMajorVersionNumber REG_DWORD 10 &&
    set_version CurrentMinorVersionNumber REG_DWORD 0 &&
    set_version CurrentBuild REG_SZ 22000 && set_version CurrentBuildNumber REG_SZ 22000 || exit 1

# Wine 8's powershell.exe is a stub that ends with 0 whatever it is asked and deploys
# nothing; the copy has none, as a Windows where PowerShell cannot add the package.
rm "$prefix/drive_c/windows/system32/WindowsPowerShell/v1.0/powershell.exe" || exit 1

folder="$prefix/drive_c/Tovak's Windows 11"
mkdir -p "$folder"
cp "$dist/TovakSetup.exe" "$dist/tovak.dll" "$dist/tovak.ico" "$folder/" || exit 1
python3 "$TOVAK_ROOT/tools/msix/make_msix.py" build --version 1.0.0.0 \
    --clsids "$TOVAK_ROOT/common/explorer_command_ids.h" --icon "$TOVAK_ROOT/resources/tovak.ico" \
    --folder "$folder" >/dev/null || exit 1

# Ended before CTest's own limit, so that the clean-up above still runs.
TOVAK_WINEPREFIX=$prefix TOVAK_DISPLAY=$DISPLAY TOVAK_CODEPAGE=932 \
    TOVAK_WINDOWS11_FOLDER="C:\\Tovak's Windows 11" \
    timeout 800 "$TOVAK_ROOT/tools/wine-exec.sh" "$driver"

#!/usr/bin/env bash
# Screenshots of TovakSetup.exe under Xvfb and Wine in code page 932: the main dialog and
# the About box, written to docs/setup-dialog.png and docs/about-box.png. The real-run
# test takes them while it drives the program (TOVAK_SCREENSHOT_DIR). Needs a build
# (tools/build.sh); starts the Wine session if it is not up. TOVAK_SCREENSHOT_ARCH=x64
# takes them from the 64-bit build (for a machine that runs no 32-bit programs).
set -euo pipefail
cd "$(dirname "$0")/.."
. tools/wine-env.sh
tools/wine-session.sh up >/dev/null
arch="${TOVAK_SCREENSHOT_ARCH:-x86}"
[ -f "dist/$arch/TovakSetup.exe" ] || tools/build.sh

# The dialogs ask for "ＭＳ Ｐゴシック"; IPAPGothic (fonts-ipafont-gothic) takes its place.
# Unmanaged windows get their caption and frame drawn by Wine itself, as there is no
# window manager on the Xvfb display; that setting is undone afterwards.
export LC_ALL=ja_JP.UTF-8
wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v 'ＭＳ Ｐゴシック' /d IPAPGothic /f >/dev/null
if ! wine reg query 'HKCU\Software\Wine\X11 Driver' /v Managed >/dev/null 2>&1; then
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null
    restore() { wine reg delete 'HKCU\Software\Wine\X11 Driver' /v Managed /f >/dev/null 2>&1 || true; }
    trap restore EXIT
fi

shots="$TOVAK_BUILD/screenshots"
rm -rf "$shots"
mkdir -p "$shots" docs
TOVAK_CODEPAGE=932 TOVAK_SCREENSHOT_DIR="Z:${shots//\//\\}" tools/wine-exec.sh \
    "$TOVAK_BUILD/$arch/bin/setup_run_test.exe" \
    --gtest_filter='SetupRun.StartsWith*:SetupRun.AboutBox*' >"$shots/run.log" 2>&1 ||
    { cat "$shots/run.log" >&2; exit 1; }
for name in setup-dialog about-box; do
    [ -s "$shots/$name.bmp" ] || { echo "no screenshot $name" >&2; exit 1; }
    convert "$shots/$name.bmp" -strip "docs/$name.png"
    echo "wrote docs/$name.png"
done

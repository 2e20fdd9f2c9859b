#!/usr/bin/env bash
# Runs every test: installs what is missing, lets x86 programs run where they can (under
# an emulator where the kernel runs no 32-bit programs), builds both Windows
# architectures and the native tree, starts the Wine session once, and runs one CTest
# pass over all of it.
#   tools/test.sh            every test; where x86 runs emulated, the x86 programs that
#                            catch what differs between the architectures
#   tools/test.sh --x86-all  the same, with every x86 program run under the emulator
set -euo pipefail
case "${1:-}" in
--x86-all) export TOVAK_X86_ALL=yes ;;
"") ;;
*) echo "usage: $0 [--x86-all]" >&2; exit 2 ;;
esac
cd "$(dirname "$0")/.."
root=$PWD
tools/install-deps.sh
trap 'status=$?; "$root/tools/wine-session.sh" down; "$root/tools/x86-emulator.sh" down; exit $status' EXIT
tools/x86-emulator.sh up
. tools/wine-env.sh
mkdir -p "$TOVAK_BUILD"
# The Wine session (minutes where x86 is emulated) is made while what needs no Wine
# builds: the native tree, and the x86 tree where its programs are not discovered under
# Wine.
session_log=$TOVAK_BUILD/session.log
tools/wine-session.sh up >"$session_log" 2>&1 &
session=$!
tools/build.sh --tree native
[ "$TOVAK_WINE32" = native ] || tools/build.sh --tree x86
wait "$session" || { cat "$session_log"; exit 1; }
cat "$session_log"
tools/build.sh
cd "$TOVAK_BUILD"
status=0
ctest -j "$(nproc)" --output-on-failure --no-label-summary || status=$?
# A run is sound only if the Wine session it started lasted the whole run.
"$root/tools/wine-session.sh" check || status=1
echo "x86: $("$root/tools/wine-session.sh" x86)"
exit $status

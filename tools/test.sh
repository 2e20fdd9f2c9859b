#!/usr/bin/env bash
# Runs every test: installs what is missing, builds both Windows architectures and the
# native tree, starts the Wine session once, and runs one CTest pass over all of it.
set -euo pipefail
cd "$(dirname "$0")/.."
tools/install-deps.sh
. tools/wine-env.sh
tools/wine-session.sh up
trap 'status=$?; "$TOVAK_ROOT/tools/wine-session.sh" down; exit $status' EXIT
tools/build.sh
cd "$TOVAK_BUILD"
status=0
ctest -j "$(nproc)" --output-on-failure --no-label-summary || status=$?
# A run is sound only if the Wine session it started lasted the whole run.
"$TOVAK_ROOT/tools/wine-session.sh" check || status=1
exit $status

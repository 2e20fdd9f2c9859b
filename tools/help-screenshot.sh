#!/usr/bin/env bash
# Renders resources/help.html with headless Chromium into docs/help.png, to check by eye
# that the Japanese help page displays as meant.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-docs/help.png}"
mkdir -p "$(dirname "$out")"
profile=$(mktemp -d)
trap 'rm -rf "$profile"' EXIT
chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$profile" --hide-scrollbars --window-size=900,2150 \
    --screenshot="$PWD/$out" "file://$PWD/resources/help.html" >/dev/null 2>&1
[ -s "$out" ] || { echo "no screenshot written" >&2; exit 1; }
echo "wrote $out"

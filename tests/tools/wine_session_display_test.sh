#!/usr/bin/env bash
# tools/wine-session.sh refuses a display name that is not a local display number (:N)
# at once, by name, before it starts anything.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
build=$(mktemp -d)
trap 'rm -rf "$build"' EXIT
failures=0
for name in 91 :9a : localhost:91 :91.0; do
    said=$(TOVAK_BUILD="$build" TOVAK_DISPLAY="$name" TOVAK_SIDE_DISPLAY=:1 \
        "$root/tools/wine-session.sh" up 2>&1)
    status=$?
    if [ "$status" -ne 0 ] && [[ "$said" == *"display $name is not a local display number"* ]] &&
        [ ! -e "$build/xvfb.pid" ]; then
        echo "ok: $name refused"
    else
        echo "FAILED: $name: status $status, said: $said"
        failures=$((failures + 1))
    fi
done
exit $((failures > 0))

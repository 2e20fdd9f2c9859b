#!/usr/bin/env bash
# tools/x86-emulator.sh on a machine that registered an i386 handler of its own: "up"
# registers nothing more, x86 is told as emulated, and "down" leaves the machine's
# handler as it was; a handler of the run's own goes with "down". Needs root and
# binfmt_misc (exit 77, skipped, elsewhere: there the script registers nothing either).
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
binfmt=/proc/sys/fs/binfmt_misc
[ "$(id -u)" -eq 0 ] && [ -e "$binfmt/register" ] && [ -x /usr/bin/qemu-i386-static ] ||
    { echo "SKIPPED: needs root, a mounted binfmt_misc and qemu-user-static"; exit 77; }
machine=tovak-test-machine-$$
build=$(mktemp -d)
own="tovak-i386-$(printf '%s' "$build" | md5sum | cut -c1-8)"
trap '[ ! -e "$binfmt/$machine" ] || echo -1 >"$binfmt/$machine"
      [ ! -e "$binfmt/$own" ] || echo -1 >"$binfmt/$own"; rm -rf "$build"' EXIT
emulator() { env -u TOVAK_WINE32 TOVAK_BUILD="$build" "$root/tools/x86-emulator.sh" "$1"; }
failures=0
check() { if eval "$2"; then echo "ok: $1"; else echo "FAILED: $1"; failures=$((failures + 1)); fi; }

printf ':%s:M::%s:%s:/usr/bin/qemu-i386-static:F' "$machine" \
    '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00' \
    '\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' >"$binfmt/register"
emulator up
check "up registers nothing beside the machine's handler" '[ ! -e "$binfmt/$own" ]'
told=$(env -u TOVAK_WINE32 TOVAK_BUILD="$build" bash -c '. "$1/tools/wine-env.sh"; echo "$TOVAK_WINE32"' _ "$root")
check "x86 is told as emulated" '[ "$told" = emulated ]'
emulator down
check "down leaves the machine's handler" 'grep -qsx enabled "$binfmt/$machine"'

# A handler under the run's own name (here for a made-up file extension) goes with down.
printf ':%s:E::tovaktest::/usr/bin/qemu-i386-static:' "$own" >"$binfmt/register"
emulator down
check "down removes the run's own handler" '[ ! -e "$binfmt/$own" ]'
echo "$((4 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]

#!/usr/bin/env bash
# 32-bit Windows programs need a kernel that runs 32-bit Linux programs (Wine's i386
# loader). Where the kernel runs none, Debian's qemu-user-static runs them in user-mode
# emulation once its i386 handler is registered with binfmt_misc (root only).
#   up    where 32-bit programs do not run and the user is root: installs
#         qemu-user-static and registers its i386 handler for this run, mounting
#         binfmt_misc where needed. Does nothing where they run, natively or through a
#         handler the machine registered itself.
#   down  removes the handler "up" registered, and nothing else.
# tools/wine-env.sh tells which way x86 runs (TOVAK_WINE32: native, emulated or no).
set -uo pipefail
. "$(dirname "$0")/wine-env.sh"
binfmt=/proc/sys/fs/binfmt_misc
# One handler per build folder: two runs on one machine each remove only their own.
name="tovak-i386-$(printf '%s' "$TOVAK_BUILD" | md5sum | cut -c1-8)"
magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'

# An enabled qemu i386 handler that no run of this project registered: the machine's own.
machine_handler() {
    local entry
    for entry in "$binfmt"/*; do
        case ${entry##*/} in register | status | tovak-i386-*) continue ;; esac
        grep -qsx enabled "$entry" && grep -qs '^interpreter .*qemu-i386' "$entry" && return 0
    done
    return 1
}

up() {
    # Another run's handler would go with that run: each run registers its own.
    [ "$TOVAK_WINE32" != native ] || return 0
    machine_handler && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "x86 emulator: not root, so no i386 handler can be registered" >&2
        return 0
    fi
    if [ ! -x /usr/bin/qemu-i386-static ]; then
        "$TOVAK_ROOT/tools/install-deps.sh" qemu-user-static ||
            { echo "x86 emulator: qemu-user-static did not install" >&2; return 1; }
    fi
    if [ ! -e "$binfmt/register" ]; then
        mount -t binfmt_misc binfmt_misc "$binfmt" || { echo "x86 emulator: cannot mount binfmt_misc" >&2; return 1; }
    fi
    [ -e "$binfmt/$name" ] ||
        printf ':%s:M::%s:%s:/usr/bin/qemu-i386-static:F' "$name" "$magic" "$mask" >"$binfmt/register" ||
        { echo "x86 emulator: the i386 handler was not registered" >&2; return 1; }
    /usr/lib/wine/wine --version >/dev/null 2>&1 || { echo "x86 emulator: Wine's i386 loader still does not run" >&2; return 1; }
}

down() {
    [ -e "$binfmt/$name" ] && echo -1 >"$binfmt/$name"
    return 0
}

case "${1:-}" in
up) up ;;
down) down ;;
*) echo "usage: $0 up|down" >&2; exit 2 ;;
esac

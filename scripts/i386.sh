#!/usr/bin/env bash
# Whether this machine runs 32-bit x86 programs, and so the 32-bit Wine that
# runs the 32-bit Kalv.exe.
#
# Some Linux kernels run no 32-bit x86 code at all (built without IA32
# emulation, or booted with ia32_emulation=0), whatever their configuration
# file says: an i386 program gets "Exec format error". So the answer comes from
# running one, a program of 96 bytes that exits with code 42. Where the kernel
# cannot run it, user-mode emulation can: qemu-i386-static, registered with
# the kernel's binfmt_misc for i386 programs. test.sh registers it for its own
# run, as root, and removes it again at its end.
#
#   i386.sh mode DIR         native, emulated or none (the probe is written to DIR)
#   i386.sh wine32 DIR       native or emulated where the 32-bit Wine starts,
#                            else "none: " and why
#   i386.sh emulate DIR      registers the emulator if nothing runs i386 programs
#                            yet; prints "registered" when it did
#   i386.sh unemulate        removes what "emulate" registered
set -u
. "$(dirname "${BASH_SOURCE[0]}")/debian.sh"

binfmt=/proc/sys/fs/binfmt_misc
entry=kalv-i386

# Runs the probe: 0 if it ran and exited with 42.
runs_i386() {
    local probe
    mkdir -p "$1" && probe=$(mktemp "$1/i386-probe.XXXXXX") || return 1
    {
        printf '\177ELF\1\1\1\0\0\0\0\0\0\0\0\0'        # 32-bit, little-endian, version 1
        printf '\2\0\3\0\1\0\0\0'                        # executable, i386, version 1
        printf '\124\200\4\10'                           # entry point 0x08048054, below
        printf '\64\0\0\0\0\0\0\0\0\0\0\0'               # program header at 52; no sections
        printf '\64\0\40\0\1\0\0\0\0\0\0\0'              # header sizes; one program header
        printf '\1\0\0\0\0\0\0\0\0\200\4\10\0\200\4\10'  # load it all at 0x08048000,
        printf '\140\0\0\0\140\0\0\0\5\0\0\0\0\20\0\0'   #   96 bytes, readable and executable
        printf '\270\1\0\0\0\273\52\0\0\0\315\200'       # exit(42) by int 0x80
    } >"$probe"
    chmod +x "$probe"
    local rc=0
    "$probe" 2>/dev/null || rc=$?
    rm -f "$probe"
    [ $rc = 42 ]
}

# Whether an enabled binfmt_misc entry hands i386 programs to an interpreter.
emulator_registered() {
    local f
    [ "$(cat "$binfmt/status" 2>/dev/null)" = enabled ] || return 1
    for f in "$binfmt"/*; do
        case "${f##*/}" in status | register) continue ;; esac
        grep -qx enabled "$f" 2>/dev/null || continue
        grep -q '^magic 7f454c46010101' "$f" && grep -q '^magic .\{32\}02000300' "$f" && return 0
    done
    return 1
}

mode() {
    if ! runs_i386 "$1"; then
        echo none
    elif emulator_registered; then
        echo emulated
    else
        echo native
    fi
}

as_root() {
    if [ "$(id -u)" = 0 ]; then "$@"; else sudo -n "$@"; fi
}

case "${1:-}" in
    mode)
        mode "$2"
        ;;
    wine32)
        m=$(mode "$2")
        if [ ! -x "$kalv_wine32" ]; then
            echo "none: Wine's 32-bit half ($kalv_wine32_package) is not installed; scripts/setup.sh installs it where it can"
        elif [ "$m" = none ]; then
            echo "none: this machine runs no 32-bit x86 programs and has no emulator for them; ./test.sh registers $kalv_qemu_i386 as root"
        elif ! out=$("$kalv_wine32" --version 2>&1); then
            echo "none: the 32-bit Wine does not start: $(tail -n 1 <<<"$out")"
        else
            echo "$m"
        fi
        ;;
    emulate)
        [ "$(mode "$2")" = none ] || exit 0
        [ -x "$kalv_qemu_i386" ] || { echo "$kalv_emulator_package is not installed" >&2; exit 1; }
        if [ ! -e "$binfmt/register" ]; then
            as_root mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || {
                echo "binfmt_misc cannot be mounted here (needs root)" >&2
                exit 1
            }
            as_root touch "/run/$entry.mounted" 2>/dev/null
        fi
        # The kernel reads the escapes itself. i386 executables and shared
        # objects (type 2 or 3); flag F: the emulator is opened now, so that it
        # serves in any mount namespace.
        printf '%s' ":$entry:M::\\x7fELF\\x01\\x01\\x01\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x00\\x02\\x00\\x03\\x00:\\xff\\xff\\xff\\xff\\xff\\xfe\\xfe\\x00\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xff\\xfe\\xff\\xff\\xff:$kalv_qemu_i386:F" |
            as_root tee "$binfmt/register" >/dev/null 2>&1 || {
            echo "binfmt_misc refused the entry (needs root)" >&2
            exit 1
        }
        runs_i386 "$2" || { "$0" unemulate; echo "the emulator does not run the probe" >&2; exit 1; }
        echo registered
        ;;
    unemulate)
        [ -e "$binfmt/$entry" ] && echo -1 | as_root tee "$binfmt/$entry" >/dev/null
        if [ -e "/run/$entry.mounted" ]; then
            as_root umount "$binfmt" 2>/dev/null
            as_root rm -f "/run/$entry.mounted"
        fi
        exit 0
        ;;
    *)
        echo "usage: $0 mode DIR | wine32 DIR | emulate DIR | unemulate" >&2
        exit 2
        ;;
esac

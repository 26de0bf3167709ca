#!/usr/bin/env bash
# Runs one Windows program under Wine on a virtual display of its own and passes
# its exit code through. CTest uses it as the cross-compiling emulator:
#
#   wine-run.sh --prefix DIR [--bits 32] program.exe [args...]
#   wine-run.sh --prefix DIR [--bits 32] --start    make the prefix, and keep a
#                                                   display and its Wine server
#                                                   up for the runs that follow
#   wine-run.sh --prefix DIR --stop                 end them
#
# A 64-bit program is started by Wine's 64-bit loader, a 32-bit one (--bits 32)
# by the 32-bit loader: never the other way round, and never through
# /usr/bin/wine, which takes the 32-bit loader whenever it is installed, even
# where it cannot run.
#
# Programs of one prefix take turns: a run holds the prefix's lock from its
# start to its end. On its own, a run starts an Xvfb display of its own, makes
# the prefix if need be, runs the program, and then ends the prefix's Wine
# server (and with it whatever the program left running) and its display. So
# nothing outlives it, even when the program was killed, and nothing else it
# did not start is ended. Starting Wine's server and services costs a second or
# two, so test.sh starts them once (--start) before a preset's tests and ends
# them (--stop) after: runs in between use that display and server, and leave
# them running.
#
# KALV_SCREEN=WxH chooses the screen size (default 1280x1024).
# KALV_LOCALE chooses the system's language (default cs_CZ.UTF-8, whose ANSI
# code page is 1250); Wine takes it from the name, installed here or not.
# KALV_FAKETIME=2026-03-14T10:59:58 stops the program's wall clock at that
# moment (libfaketime), and "@2026-03-14T23:59:50" starts it there and lets it
# run; the monotonic clock, which Wine's timeouts use, runs on. 64-bit programs
# only: libfaketime is preloaded in its x86_64 build.
set -u
root=$(cd "$(dirname "$0")/.." && pwd)
. "$root/scripts/debian.sh"

die() { echo "wine-run: $*" >&2; exit 125; }

prefix=
bits=64
mode=run
while [ $# -gt 0 ]; do
    case "$1" in
        --prefix) prefix=$2; shift 2 ;;
        --bits) bits=$2; shift 2 ;;
        --start) mode=start; shift ;;
        --stop) mode=stop; shift ;;
        *) break ;;
    esac
done
[ -n "$prefix" ] || die "--prefix DIR is required"
[ $mode != run ] || [ $# -ge 1 ] || die "no program given"
case "$bits" in
    64) loader=$kalv_wine64 ;;
    32) loader=$kalv_wine32 ;;
    *) die "--bits is 32 or 64, not '$bits'" ;;
esac
[ -x "$loader" ] || die "$loader is missing: Wine's $bits-bit half is not installed (scripts/setup.sh)"
command -v Xvfb >/dev/null || die "Xvfb is not installed (scripts/setup.sh)"
screen=${KALV_SCREEN:-1280x1024}
[[ "$screen" =~ ^[0-9]+x[0-9]+$ ]] || die "KALV_SCREEN must look like 1280x1024, not '$screen'"
clock=()
if [ -n "${KALV_FAKETIME:-}" ]; then
    [ "$bits" = 64 ] || die "KALV_FAKETIME works for 64-bit programs only"
    [ -f "$kalv_faketime_lib" ] || die "KALV_FAKETIME needs libfaketime (scripts/setup.sh)"
    clock=(LD_PRELOAD="$kalv_faketime_lib" FAKETIME="${KALV_FAKETIME/T/ }" FAKETIME_DONT_FAKE_MONOTONIC=1)
fi

[ $mode = stop ] && [ ! -d "$prefix" ] && exit 0 # nothing was started
mkdir -p "$prefix" || die "cannot create $prefix"
prefix=$(cd "$prefix" && pwd)
export WINEPREFIX=$prefix
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml=" # no Mono or Gecko install dialogs
export WINEARCH=win64
# Under qemu-i386 (a kernel that runs no 32-bit code), the emulator's address
# space ends 16 MiB above Windows' 2 GiB, where qemu puts its own mappings.
# Otherwise they take the address of Windows' shared user data (0x7ffe0000),
# and Wine, reserving the space above it page by page, takes most of a minute
# to start, then fails. Nothing else reads this.
export QEMU_RESERVED_VA=0x81000000
# The locale is set only in Wine's environment: this shell need not have it.
wenv() { env LC_ALL="${KALV_LOCALE:-cs_CZ.UTF-8}" "$@"; }

exec 9>"$prefix.lock"
flock 9

# A session: "Xvfb's process id, its display, its screen size".
session=$prefix.session
read -r session_xvfb session_display session_screen 2>/dev/null <"$session"
if [ $mode = stop ]; then
    "$kalv_wineserver" -k >/dev/null 2>&1
    [ -n "${session_xvfb:-}" ] && kill "$session_xvfb" 2>/dev/null
    rm -f "$session"
    exit 0
fi

work=$(mktemp -d "$prefix.run.XXXXXX")
xvfb=
finish() {
    if [ -n "$xvfb" ]; then # ours alone
        "$kalv_wineserver" -k >/dev/null 2>&1
        kill "$xvfb" 2>/dev/null
    fi
    rm -rf "$work"
}
trap finish EXIT
trap 'exit 143' TERM INT

if [ "${session_screen:-}" = "$screen" ] && kill -0 "$session_xvfb" 2>/dev/null; then
    export DISPLAY=$session_display
else
    # Xvfb picks a free display number itself and writes it once it accepts
    # connections, so runs for other prefixes never race for one. A session's
    # outlives this script, in a process group of its own.
    launch=()
    [ $mode = start ] && launch=(setsid)
    "${launch[@]}" Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3>"$work/display" \
        </dev/null >"$work/xvfb.log" 2>&1 9>&- &
    xvfb=$!
    for _ in $(seq 200); do
        [ -s "$work/display" ] && break
        kill -0 "$xvfb" 2>/dev/null || die "Xvfb did not start: $(tail -n 3 "$work/xvfb.log")"
        sleep 0.05
    done
    [ -s "$work/display" ] || die "Xvfb gave no display number"
    export DISPLAY=":$(cat "$work/display")"
fi

# A prefix made while the 32-bit Wine could not run has no 32-bit system files,
# and none of its 32-bit programs would start.
if [ "$bits" = 32 ] && [ -f "$prefix/system.reg" ] && [ ! -e "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "wine-run: $prefix has no 32-bit half: making it anew" >&2
    "$kalv_wineserver" -k >/dev/null 2>&1
    find "$prefix" -mindepth 1 -delete
fi
if [ ! -f "$prefix/system.reg" ]; then
    wenv "$kalv_wine64" wineboot -i </dev/null >"$prefix.wineboot.log" 2>&1 9>&-
    # Xvfb has no window manager: Wine would wait two seconds for one each
    # time a visible window goes away (every message box). Windows here are
    # unmanaged.
    wenv "$kalv_wine64" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        </dev/null >>"$prefix.wineboot.log" 2>&1 9>&-
    # The registry reaches its files when the server ends, a moment after
    # its last program.
    "$kalv_wineserver" -w
    [ -f "$prefix/system.reg" ] || die "Wine could not make $prefix: see $prefix.wineboot.log"
fi
if [ $mode = start ]; then
    wenv "$kalv_wineserver" -p </dev/null >/dev/null 2>&1 9>&-
    [ -n "$xvfb" ] && echo "$xvfb $DISPLAY $screen" >"$session"
    xvfb= # the session's now
    exit 0
fi

# The program's output goes through a file: services that Wine starts on the
# way inherit it and outlive the program, and would hold the caller's pipe open.
wenv "${clock[@]}" "$loader" "$@" 9>&- </dev/null >"$work/out" 2>&1
rc=$?
cat "$work/out"
exit $rc

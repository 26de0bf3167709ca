#!/usr/bin/env bash
# Runs one Windows program under Wine on a virtual display of its own and passes
# its exit code through. CTest uses it as the cross-compiling emulator:
#
#   wine-run.sh --prefix DIR program.exe [args...]
#   wine-run.sh --prefix DIR --shutdown      end the display and Wine server now
#
# Several copies may run at once (ctest -j): they share one Xvfb display and one
# Wine server per prefix, each copy listed by its process id under a lock (a copy
# that was killed drops off the list by itself). The last copy to leave schedules a
# short-lived reaper that ends both unless another copy has arrived meanwhile, so a
# run of many tests pays for Wine's start only once and nothing is left behind.
#
# KALV_SCREEN=WxH chooses the screen size (default 1280x1024); each size gets its
# own prefix and display, since one Wine server drives one display.
# KALV_LOCALE chooses the system's language (default cs_CZ.UTF-8, whose ANSI
# code page is 1250); Wine takes it from the name, installed here or not.
# KALV_FAKETIME=2026-03-14T10:59:58 stops the program's wall clock at that
# moment (libfaketime), and "@2026-03-14T23:59:50" starts it there and lets it
# run; the monotonic clock, which Wine's timeouts use, runs on. Only 64-bit
# programs get the fake clock: libfaketime is preloaded in its x86_64 build,
# which the 32-bit half of Wine cannot load.
#
# Programs in one prefix run one at a time, so that test trees which share a
# prefix (the 64-bit and the 32-bit build) never show windows at once.
set -u

die() { echo "wine-run: $*" >&2; exit 125; }
. "$(dirname "$0")/wine-prefix.sh"

prefix_base=
shutdown=0
while [ $# -gt 0 ]; do
    case "$1" in
        --prefix) prefix_base=$2; shift 2 ;;
        --prefix=*) prefix_base=${1#--prefix=}; shift ;;
        --shutdown) shutdown=1; shift ;;
        *) break ;;
    esac
done
[ -n "$prefix_base" ] || die "--prefix DIR is required"
[ $shutdown = 1 ] || [ $# -ge 1 ] || die "no program given"

screen=${KALV_SCREEN:-1280x1024}
case "$screen" in
    [0-9]*x[0-9]*) ;;
    *) die "KALV_SCREEN must look like 1280x1024, not '$screen'" ;;
esac

prefix=$prefix_base
[ "$screen" = 1280x1024 ] || prefix="$prefix_base-$screen"
mkdir -p "$prefix" || die "cannot create $prefix"
prefix=$(cd "$prefix" && pwd)
state="$prefix.run"
mkdir -p "$state"

export WINEPREFIX="$prefix"
export WINEDEBUG=-all
# The locale is set only in Wine's environment: this shell need not have it.
wenv() { env LC_ALL="${KALV_LOCALE:-cs_CZ.UTF-8}" "$@"; }
export WINEDLLOVERRIDES="mscoree,mshtml="   # no Mono or Gecko install dialogs
export WINEARCH=win64

exec 9>"$state/lock"

read_state() { cat "$state/$1" 2>/dev/null || echo "$2"; }
# How many copies still run: the listed ones whose process lives.
users() {
    local f n=0
    for f in "$state"/user.*; do
        [ -e "$f" ] || continue
        if kill -0 "${f##*.}" 2>/dev/null; then n=$((n + 1)); else rm -f "$f"; fi
    done
    echo $n
}

# Ends the display and the Wine server of this prefix. Called with the lock held.
stop_all() {
    wenv wineserver -k >/dev/null 2>&1 9>&-
    local pid
    pid=$(read_state xvfb.pid "")
    if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
        kill "$pid" 2>/dev/null
        for _ in 1 2 3 4 5 6 7 8 9 10; do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    fi
    rm -f "$state/xvfb.pid" "$state/display" "$state"/user.*
}

if [ $shutdown = 1 ]; then
    flock 9
    stop_all
    exit 0
fi

command -v wine >/dev/null || die "wine is not installed (run scripts/setup.sh)"
command -v Xvfb >/dev/null || die "Xvfb is not installed (run scripts/setup.sh)"
clock=()
if [ -n "${KALV_FAKETIME:-}" ]; then
    lib=/usr/lib/x86_64-linux-gnu/faketime/libfaketime.so.1
    [ -f "$lib" ] || die "KALV_FAKETIME needs libfaketime (run scripts/setup.sh)"
    clock=(LD_PRELOAD="$lib" FAKETIME="${KALV_FAKETIME/T/ }" FAKETIME_DONT_FAKE_MONOTONIC=1)
fi

flock 9

# The display: reuse ours while its server lives, else start one on a free number.
pid=$(read_state xvfb.pid "")
display=$(read_state display "")
if [ -z "$pid" ] || ! kill -0 "$pid" 2>/dev/null; then
    # Xvfb picks a free display number itself and writes it once it accepts
    # connections, so copies for other prefixes (other build trees) never race.
    : >"$state/display.num"
    setsid Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp -noreset \
        3>"$state/display.num" </dev/null >"$state/xvfb.log" 2>&1 9>&- &
    pid=$!
    n=
    for _ in $(seq 200); do
        n=$(cat "$state/display.num")
        [ -n "$n" ] && break
        kill -0 "$pid" 2>/dev/null || die "Xvfb did not start: $(tail -n 3 "$state/xvfb.log")"
        sleep 0.05
    done
    [ -n "$n" ] || die "Xvfb gave no display number"
    echo "$pid" >"$state/xvfb.pid"
    display=":$n"
    echo "$display" >"$state/display"
fi
export DISPLAY="$display"

# The prefix is made once, then kept warm by a persistent server until the reaper
# ends it. Neither may hold the caller's output: ctest would wait for them.
if kalv_prefix_is_stale "$prefix"; then
    echo "wine-run: $prefix was made without 32-bit Wine, which is here now: making it anew" >&2
    stop_all
    rm -rf "$prefix"
    mkdir -p "$prefix"
fi
if [ ! -f "$prefix/system.reg" ]; then
    wenv wineboot -i </dev/null >"$state/wineboot.log" 2>&1 9>&-
fi
wenv wineserver -p </dev/null >/dev/null 2>&1 9>&-
# Xvfb has no window manager: Wine would wait two seconds for one each time a
# visible window goes away (every message box). Test windows are unmanaged.
if [ ! -f "$prefix/.kalv-unmanaged" ]; then
    wenv wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
        </dev/null >/dev/null 2>&1 9>&- && touch "$prefix/.kalv-unmanaged"
fi
: >"$state/user.$$"
flock -u 9

# The program's output goes through a file: services that Wine starts on the
# way inherit it and outlive the program, and would hold the caller's pipe open.
out=$(mktemp "$state/out.XXXXXX")
exec 8>"$state/program.lock"
flock 8
wenv "${clock[@]}" wine "$@" 8>&- 9>&- </dev/null >"$out" 2>&1
rc=$?
flock -u 8
cat "$out"
rm -f "$out"

flock 9
rm -f "$state/user.$$"
if [ "$(users)" = 0 ]; then
    # Linger a moment so that the next test finds everything running.
    setsid bash -c "$(declare -f users)"'
        state=$1
        exec 9>"$1/lock"
        sleep 3
        flock 9
        [ "$(users)" = 0 ] || exit 0
        WINEPREFIX="$2" wineserver -k >/dev/null 2>&1 9>&-
        pid=$(cat "$1/xvfb.pid" 2>/dev/null) && kill "$pid" 2>/dev/null
        rm -f "$1/xvfb.pid" "$1/display"
    ' reaper "$state" "$prefix" </dev/null >/dev/null 2>&1 9>&- &
fi
flock -u 9
exit $rc

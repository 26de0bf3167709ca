#!/usr/bin/env bash
# Measures what an idle game costs: starts Kalv.exe under Wine on a virtual
# display, leaves it alone for a while and prints its CPU time over wall time.
#   bench/idle.sh [Kalv.exe] [seconds]
#
# Other games may be running (tests, another benchmark): the one measured and
# ended is the one this script started, known by the scratch folder it runs in.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$root/build/windows/Kalv.exe}
seconds=${2:-10}
[ -f "$exe" ] || { echo "idle: $exe not found (build the windows preset first)" >&2; exit 1; }
exe=$(realpath "$exe")

work=$(realpath "$(mktemp -d)")
runner=
pid=
# The game is the process in our folder (Wine keeps the folder it was started
# from) whose program is the game's; the runner script shares the folder.
name=$(basename "$exe")
ours() {
    local d argv0
    for d in /proc/[0-9]*; do
        [ "$(readlink "$d/cwd" 2>/dev/null)" = "$work" ] || continue
        argv0=
        IFS= read -r -d '' argv0 <"$d/cmdline" 2>/dev/null || true
        case "$argv0" in
            *"$name") echo "${d#/proc/}"; return ;;
        esac
    done
}
runner_ends() {  # within $1 tenths of a second
    for _ in $(seq "$1"); do
        kill -0 "$runner" 2>/dev/null || return 0
        sleep 0.1
    done
    return 1
}
# Ends only what this script started: the game, then the runner that waits for
# it (which then ends the display and the Wine server it started).
finish() {
    if [ -z "$pid" ] && [ -n "$runner" ]; then pid=$(ours); fi  # started late
    if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
    if [ -n "$runner" ]; then
        if ! runner_ends 100 && [ -n "$pid" ]; then  # the game ignored the request
            kill -9 "$pid" 2>/dev/null || true
        fi
        if runner_ends 50; then
            wait "$runner" 2>/dev/null || true
        else
            echo "idle: the runner (pid $runner) has not ended; not waiting for it" >&2
        fi
    fi
    rm -rf "$work"
}
trap finish EXIT
cp "$root/game/Kalv.ini" "$work/"
export KALV_SCREEN=${KALV_SCREEN:-1280x1024}
prefix=$root/build/windows/wineprefix-bench

# Start the game through the test runner (display, prefix), in the background.
(cd "$work" && exec "$root/cmake/wine-run.sh" --prefix "$prefix" "$exe" >/dev/null 2>&1) &
runner=$!

for _ in $(seq 600); do
    pid=$(ours)
    [ -n "$pid" ] && break
    kill -0 "$runner" 2>/dev/null || break
    sleep 0.1
done
[ -n "$pid" ] || { echo "idle: Kalv.exe did not start" >&2; exit 1; }
sleep 2  # past start-up

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
hz=$(getconf CLK_TCK)
t0=$(ticks "$pid")
w0=$(date +%s.%N)
sleep "$seconds"
t1=$(ticks "$pid")
w1=$(date +%s.%N)

awk -v t0="$t0" -v t1="$t1" -v w0="$w0" -v w1="$w1" -v hz="$hz" 'BEGIN {
    cpu = (t1 - t0) / hz; wall = w1 - w0
    printf "idle: %.2f s CPU in %.2f s wall = %.2f %%\n", cpu, wall, 100 * cpu / wall
}'

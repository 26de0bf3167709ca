#!/usr/bin/env bash
# Measures what an idle game costs: starts Kalv.exe under Wine on a virtual
# display, leaves it alone for a while and prints its CPU time over wall time.
#   bench/idle.sh [Kalv.exe] [seconds]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
exe=${1:-$root/build/windows/Kalv.exe}
seconds=${2:-10}
[ -f "$exe" ] || { echo "idle: $exe not found (build the windows preset first)" >&2; exit 1; }
exe=$(realpath "$exe")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$root/game/Kalv.ini" "$work/"
export KALV_SCREEN=${KALV_SCREEN:-1280x1024}
prefix=$root/build/windows/wineprefix-bench

# Start the game through the test runner (display, prefix), in the background.
(cd "$work" && "$root/cmake/wine-run.sh" --prefix "$prefix" "$exe" >/dev/null 2>&1) &
runner=$!

pid=
for _ in $(seq 600); do
    pid=$(pgrep -f '^[^ ]*Kalv\.exe$' | head -n 1 || true)
    [ -n "$pid" ] && break
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

kill "$pid" 2>/dev/null || true
wait "$runner" 2>/dev/null || true
"$root/cmake/wine-run.sh" --prefix "$prefix" --shutdown

awk -v t0="$t0" -v t1="$t1" -v w0="$w0" -v w1="$w1" -v hz="$hz" 'BEGIN {
    cpu = (t1 - t0) / hz; wall = w1 - w0
    printf "idle: %.2f s CPU in %.2f s wall = %.2f %%\n", cpu, wall, 100 * cpu / wall
}'

#!/usr/bin/env bash
# Runs every benchmark and prints a short table:
#   - a move, and the repaint after one cell or every cell changed, on the
#     largest board that fits a 3840x2160 screen, against one copy of the
#     whole board to the window;
#   - start-up to the first painted frame;
#   - an idle game's CPU time over wall time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh game
mkdir -p build  # for the log, before anything else has made the folder (a fresh clone)
{ cmake --preset windows && cmake --build --preset windows --target bench_paint bench_startup Kalv; } \
    >build/bench-build.log 2>&1 || { tail -n 30 build/bench-build.log; exit 1; }
bin=build/windows/bench
run=cmake/wine-run.sh
. scripts/debian.sh

echo "machine: $(nproc) cores, $(grep -m1 'model name' /proc/cpuinfo | cut -d: -f2 | sed 's/^ *//'), $("$kalv_wine64" --version 2>/dev/null), Xvfb"
KALV_SCREEN=3840x2160 $run --prefix build/windows/wineprefix-bench "$bin/bench_paint.exe" "${RUNS:-60}" 2>/dev/null
$run --prefix build/windows/wineprefix-bench "$bin/bench_startup.exe" 7 2>/dev/null
bench/idle.sh build/windows/Kalv.exe 10

#!/usr/bin/env bash
# Builds Kalv.exe and starts it from game/, the folder that holds the default
# Kalv.ini. With no $DISPLAY the game starts on a virtual display instead: a
# screenshot of its window is saved as a PNG, and the game is ended.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD

bash scripts/setup.sh
mkdir -p build
echo "play: building Kalv.exe (log: build/play.log)"
if ! { cmake --preset windows && cmake --build --preset windows --target Kalv; } >build/play.log 2>&1; then
    tail -n 30 build/play.log
    echo "play: the build failed" >&2
    exit 1
fi
exe=$root/build/windows/Kalv.exe

export WINEPREFIX=${WINEPREFIX:-$root/build/windows/wineprefix-play}
export WINEDEBUG=-all

export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win64
cd "$root/game"

if [ -n "${DISPLAY:-}" ]; then
    echo "play: starting Kalv (the first start of a new Wine prefix takes a few seconds)"
    exec env LC_ALL=cs_CZ.UTF-8 wine "$exe"
fi

# No display: a virtual one, a screenshot, and the game ended.
n=100
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    wineserver -k >/dev/null 2>&1 || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY=":$n"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.05; done

# Without a window manager Wine draws the frame and caption itself only for
# unmanaged windows; a prefix of its own keeps that from a desktop session.
export WINEPREFIX=$root/build/windows/wineprefix-shot
env LC_ALL=cs_CZ.UTF-8 wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f \
    </dev/null >/dev/null 2>&1

echo "play: no display; starting Kalv on the virtual display $DISPLAY"
env LC_ALL=cs_CZ.UTF-8 wine "$exe" </dev/null >/dev/null 2>&1 &
window=
for _ in $(seq 600); do
    window=$(xdotool search --name 'Hled' 2>/dev/null | head -n 1 || true)
    [ -n "$window" ] && break
    sleep 0.1
done
if [ -z "$window" ]; then
    echo "play: the game window did not appear" >&2
    exit 1
fi
sleep 1
shot=$root/build/kalv-screenshot.png
import -window "$window" -frame "$shot" 2>/dev/null || import -window root "$shot"
echo "play: screenshot of the game window saved to $shot"
echo "play: ending the game"

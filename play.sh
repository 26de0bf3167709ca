#!/usr/bin/env bash
# Builds Kalv.exe and starts it from game/, the folder that holds the default
# Kalv.ini. With no $DISPLAY the game starts on a virtual display instead: a
# screenshot of its window is saved as a PNG, and the game is ended.
set -euo pipefail
cd "$(dirname "$0")"
root=$PWD
. scripts/debian.sh

bash scripts/setup.sh game
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
# Kalv.exe is a 64-bit program: Wine's 64-bit loader starts it. /usr/bin/wine
# would take the 32-bit one whenever that is installed, even on a kernel that
# runs no 32-bit code.
wine64() { env LC_ALL=cs_CZ.UTF-8 "$kalv_wine64" "$@" </dev/null >>"$winelog" 2>&1; }

# Wine's own messages (making a new prefix, and whatever it reports while the
# game runs) go to a log: they are not the player's business unless it fails.
winelog=$root/build/play-wine.log
: >"$winelog"
prepare_prefix() {
    [ -f "$WINEPREFIX/system.reg" ] && return 0
    echo "play: preparing Wine's folder $WINEPREFIX (first start only, a few seconds)"
    wine64 wineboot -i && return 0
    echo "play: Wine could not prepare $WINEPREFIX; its messages are in $winelog" >&2
    exit 1
}

if [ -n "${DISPLAY:-}" ]; then
    prepare_prefix
    echo "play: starting Kalv"
    rc=0
    wine64 "$exe" || rc=$?
    [ $rc -eq 0 ] || echo "play: Kalv ended with exit code $rc; Wine's messages are in $winelog" >&2
    exit $rc
fi

# No display: a virtual one, a screenshot, and the game ended.
numfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numfile" </dev/null >/dev/null 2>&1 &
xvfb=$!
cleanup() {
    "$kalv_wineserver" -k >/dev/null 2>&1 || true
    kill "$xvfb" 2>/dev/null || true
    rm -f "$numfile"
}
trap cleanup EXIT
n=
for _ in $(seq 200); do n=$(cat "$numfile"); [ -n "$n" ] && break; sleep 0.05; done
[ -n "$n" ] || { echo "play: Xvfb did not start" >&2; exit 1; }
export DISPLAY=":$n"

# Without a window manager Wine draws the frame and caption itself only for
# unmanaged windows; a prefix of its own keeps that from a desktop session.
export WINEPREFIX=$root/build/windows/wineprefix-shot
prepare_prefix
wine64 reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
# Wine draws those caption buttons with the symbols of its own Marlett font.
# Debian's Wine 8 does not load the fonts of its data folder, so without a copy
# in the prefix another font stands in and the buttons read "0 1 r".
if [ -f "$kalv_marlett" ]; then
    cp "$kalv_marlett" "$WINEPREFIX/drive_c/windows/Fonts/"
else
    echo "play: $kalv_marlett is missing (package fonts-wine): the caption buttons show as letters" >&2
fi

echo "play: no display; starting Kalv on the virtual display $DISPLAY"
wine64 "$exe" &
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

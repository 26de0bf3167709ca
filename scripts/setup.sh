#!/usr/bin/env bash
# Installs, with apt, whatever Kalv's build and tests need and this machine lacks.
# Safe to run again: it does nothing when everything is there.
set -euo pipefail

packages=(
    cmake make g++                 # native build
    g++-mingw-w64-x86-64           # cross compiler and windres (posix threads)
    wine wine64 xvfb xauth         # running and testing the Windows program
    fonts-wine                     # Wine's own fonts: the caption buttons' symbols
    fonts-ipafont-gothic           # a Japanese font: the tests' Japanese system has one
    googletest                     # test framework, built from source
    clang libclang-rt-14-dev       # fuzzing
    xdotool imagemagick            # real clicks and screenshots
    libfaketime                    # a test with the wall clock stopped
    zip unzip                      # release package, and checking one
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}" >&2
sudo=
if [ "$(id -u)" != 0 ]; then
    command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
echo "setup: done" >&2

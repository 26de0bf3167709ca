#!/usr/bin/env bash
# Installs, with apt, whatever Kalv's build and tests need and this machine lacks.
# Safe to run again: it does nothing when everything is there.
#
# Besides packages, it changes one thing on the machine, and says so when it
# does: the 32-bit Kalv.exe runs under Wine's 32-bit half (wine32), which
# Debian builds for its i386 architecture, so that architecture is added to
# dpkg (dpkg --add-architecture i386), and apt then lists i386 packages too.
# Wine prefixes made before wine32 was there stop working with it; the tests
# and play.sh make theirs anew.
set -euo pipefail

packages=(
    cmake make g++                 # native build
    g++-mingw-w64-x86-64           # cross compilers and windres (posix threads):
    g++-mingw-w64-i686             #   64-bit and 32-bit Windows
    wine wine64 xvfb xauth         # running and testing the Windows programs,
    wine32:i386                    #   the 32-bit ones with Wine's 32-bit half
    fonts-wine                     # Wine's own fonts: the caption buttons' symbols
    fonts-ipafont-gothic           # a Japanese font: the tests' Japanese system has one
    googletest                     # test framework, built from source
    clang libclang-rt-14-dev       # fuzzing
    xdotool imagemagick            # real clicks and screenshots
    libfaketime                    # a wall clock that stands still or runs fast, by hand
    zip unzip                      # release packages, and checking them
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [ "$status" = "install ok installed" ] || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=
if [ "$(id -u)" != 0 ]; then
    command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${missing[*]}" >&2; exit 1; }
    sudo=sudo
fi
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture to dpkg, for Wine's 32-bit half (wine32:i386)" >&2
    $sudo dpkg --add-architecture i386
fi
echo "setup: installing ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "${missing[@]}" >/dev/null
echo "setup: done" >&2

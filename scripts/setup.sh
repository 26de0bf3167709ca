#!/usr/bin/env bash
# Installs, with apt, whatever Kalv's build and tests need and this machine
# lacks. Safe to run again: it does nothing when everything is there.
#
# Two steps. The required one: everything the native, fuzz and 64-bit builds
# and their tests need, amd64 packages only; if apt cannot install them, setup
# fails with apt's reason. Then, apart, Wine's 32-bit half for the 32-bit
# Kalv.exe's tests, and only where it can run: on a machine that runs 32-bit
# x86 programs, or where the kernel runs none, under qemu-user-static's
# emulation (scripts/i386.sh). That step adds the i386 architecture to dpkg,
# and says so; it installs nothing unless apt's plan removes no package, and
# when it installs nothing it says so in one line, and what that costs.
#
# apt-get update fails as a whole when one index fails to download, as when a
# mirror is in the middle of a sync. It is tried a few times with pauses, and
# an index that still fails is reported in one line: what apt can see decides.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/debian.sh

installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

missing=()
for p in "${kalv_required_packages[@]}"; do
    installed "$p" || missing+=("$p")
done

# The 32-bit part: wanted where the probe's program runs, natively or under
# an emulator already registered, or where root can register one.
mkdir -p build
i386=$(scripts/i386.sh mode build)
can_emulate=0
if [ "$i386" = none ] && { [ "$(id -u)" = 0 ] || sudo -n true 2>/dev/null; } &&
    { [ -e /proc/sys/fs/binfmt_misc/register ] || grep -qw binfmt_misc /proc/filesystems; }; then
    can_emulate=1
fi
optional=()
if [ "$i386" != none ] || [ $can_emulate = 1 ]; then
    installed "$kalv_wine32_package" || optional+=("$kalv_wine32_package")
    if [ "$i386" = none ] && ! installed "$kalv_emulator_package"; then
        optional=("$kalv_emulator_package" "${optional[@]}")
    fi
fi
[ ${#missing[@]} -eq 0 ] && [ ${#optional[@]} -eq 0 ] && exit 0

sudo=
if [ "$(id -u)" != 0 ]; then
    command -v sudo >/dev/null || { echo "setup: need root or sudo to install: ${missing[*]} ${optional[*]}" >&2; exit 1; }
    sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive

# apt-get update, up to four times, 5, 15 and 40 seconds apart.
update() {
    local pause out
    for pause in 5 15 40 stop; do
        out=$($sudo apt-get update -q 2>&1) && return 0
        [ "$pause" = stop ] && break
        echo "setup: apt-get update failed; trying again in $pause s" >&2
        sleep "$pause"
    done
    echo "setup: apt-get update still fails, going on with what apt can see: $(grep -m1 -A1 '^Err:' <<<"$out" | tr -s ' \n' ' ')" >&2
}

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}" >&2
    update
    if ! out=$($sudo apt-get install -y -q "${missing[@]}" 2>&1); then
        grep -E '^(E:|W:| )' <<<"$out" | tail -n 20 >&2
        echo "setup: apt could not install what the build needs" >&2
        exit 1
    fi
fi

[ ${#optional[@]} -eq 0 ] && { echo "setup: done" >&2; exit 0; }
added_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture to dpkg, for Wine's 32-bit half ($kalv_wine32_package)" >&2
    $sudo dpkg --add-architecture i386
    added_i386=1
    update
elif [ ${#missing[@]} -eq 0 ]; then
    update
fi
# Installs only a plan that removes nothing: apt can see amd64 libraries newer
# than their i386 twins (a mirror mid-sync), and then would trade the 64-bit
# Wine for the 32-bit one.
plan=$($sudo apt-get install -s --no-remove -q "${optional[@]}" 2>&1)
if [ $? = 0 ] && ! grep -q '^Remv ' <<<"$plan" &&
    out=$($sudo apt-get install -y -q --no-remove "${optional[@]}" 2>&1); then
    echo "setup: installed ${optional[*]}; done" >&2
    exit 0
fi
reason=$(grep -m1 -E '^E:|^ [^ ].* : ' <<<"$plan${out:+$'\n'$out}" | tr -s ' ')
echo "setup: not installed: ${optional[*]} (apt:${reason:- its plan removes packages}); the 32-bit Kalv.exe is still built and checked, but its Wine tests are skipped" >&2
if [ $added_i386 = 1 ]; then
    $sudo dpkg --remove-architecture i386 2>/dev/null
fi
exit 0

#!/usr/bin/env bash
# Installs, with apt, whatever Kalv's build and tests need and this machine
# lacks. Safe to run again: when everything is there it does nothing, prints
# nothing and never runs apt.
#
#   scripts/setup.sh         what every test needs, then Wine's 32-bit half
#                            where the 32-bit tests will use it
#   scripts/setup.sh game    only what building the 64-bit Kalv.exe and
#                            running it under Wine need (play.sh, bench/run.sh)
#
# The required step installs amd64 packages only; if apt cannot install them,
# setup fails with apt's reason. apt-get update fails as a whole when one index
# fails to download (a mirror in the middle of a sync), so for this step it is
# tried a few times with pauses, and an index that still fails is reported in
# one line: what apt can see decides.
#
# Wine's 32-bit half (wine32:i386, and qemu-user-static where the kernel runs
# no 32-bit x86 programs: scripts/i386.sh) is wanted only where the tests will
# run it: on a machine that runs 32-bit programs, or where root can register
# the emulator and KALV_EMULATE_32BIT is not 0. That step adds dpkg's i386
# architecture, updates apt's lists once, and installs only a plan that removes
# nothing. When it installs nothing it says why in one line, takes i386 away
# again if it added it, and remembers the failure in build/: later runs do not
# try again until apt's lists or sources change, or KALV_RETRY_32BIT=1 asks.
set -uo pipefail
cd "$(dirname "$0")/.."
. scripts/debian.sh

case "${1:-tests}" in
    tests) required=("${kalv_game_packages[@]}" "${kalv_test_packages[@]}") ;;
    game) required=("${kalv_game_packages[@]}") ;;
    *)
        echo "usage: $0 [game]" >&2
        exit 2
        ;;
esac

installed() {
    [ "$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null)" = "install ok installed" ]
}

missing=()
for p in "${required[@]}"; do
    installed "$p" || missing+=("$p")
done

# The 32-bit step: what it would install, if the tests will use it.
optional=()
memory=build/setup-32bit.txt
if [ "${1:-tests}" = tests ]; then
    mkdir -p build
    i386=$(scripts/i386.sh mode build)
    can_emulate=0
    if [ "$i386" = none ] && [ "${KALV_EMULATE_32BIT:-1}" != 0 ] &&
        { [ "$(id -u)" = 0 ] || sudo -n true 2>/dev/null; } &&
        { [ -e /proc/sys/fs/binfmt_misc/register ] || grep -qw binfmt_misc /proc/filesystems; }; then
        can_emulate=1
    fi
    if [ "$i386" != none ] || [ $can_emulate = 1 ]; then
        if [ "$i386" = none ] && ! installed "$kalv_emulator_package"; then
            optional+=("$kalv_emulator_package")
        fi
        installed "$kalv_wine32_package" || optional+=("$kalv_wine32_package")
        # Installed since (by hand, say): nothing left to remember.
        [ ${#optional[@]} -eq 0 ] && rm -f "$memory"
    fi
fi
[ ${#missing[@]} -eq 0 ] && [ ${#optional[@]} -eq 0 ] && exit 0

sudo=
if [ "$(id -u)" != 0 ]; then
    if ! command -v sudo >/dev/null; then
        if [ ${#missing[@]} -gt 0 ]; then
            echo "setup: need root or sudo to install: ${missing[*]}" >&2
            exit 1
        fi
        echo "setup: not installed: ${optional[*]} (needs root or sudo); the 32-bit Kalv.exe is still built and checked, but its Wine tests are skipped" >&2
        exit 0
    fi
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
    echo "setup: apt-get update still fails, going on with what apt can see: $(failed_index <<<"$out")" >&2
}

# The first index apt-get update could not fetch, preferring an i386 one, in
# apt's words: "URL SUITE/COMPONENT ARCH Packages: why".
failed_index() {
    awk '/^Err:/ { sub(/^Err:[0-9]+ /, ""); index_ = $0; next }
         index_ != "" { sub(/^ +/, ""); sub(/ \[IP: [^]]*\]$/, "")
                        line = index_ ": " $0; index_ = ""
                        if (first == "") first = line
                        if (i386 == "" && line ~ / i386 /) i386 = line }
         END { print (i386 != "" ? i386 : first) }'
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
if [ ${#optional[@]} -eq 0 ]; then
    echo "setup: done" >&2
    exit 0
fi

# What apt sees: its sources and the suites' release files. A failure of the
# 32-bit step is tried again only once this changes (an apt-get update that
# brings the mirror's newer lists, other sources), or when asked.
apt_state() {
    {
        echo "${optional[*]}"
        cat /etc/apt/sources.list /etc/apt/sources.list.d/* /var/lib/apt/lists/*Release 2>/dev/null
    } | md5sum | cut -d' ' -f1
}
not_installed() {
    echo "setup: not installed: ${optional[*]} ($1); tried again once apt's lists change, or now with KALV_RETRY_32BIT=1; the 32-bit Kalv.exe is still built and checked, but its Wine tests are skipped" >&2
}
if [ "${KALV_RETRY_32BIT:-0}" != 1 ] && [ -f "$memory" ] &&
    [ "$(head -n 1 "$memory")" = "$(apt_state)" ]; then
    not_installed "$(sed -n 2p "$memory")"
    exit 0
fi

added_i386=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
    echo "setup: adding the i386 architecture to dpkg, for Wine's 32-bit half ($kalv_wine32_package)" >&2
    $sudo dpkg --add-architecture i386
    added_i386=1
fi
# One update, without pauses: an i386 index that fails here fails the same way
# a minute later, and the failure is remembered.
reason=
if ! out=$($sudo apt-get update -q 2>&1); then
    reason=$(failed_index <<<"$out")
    reason=${reason:-$(grep -m1 '^E:' <<<"$out")}
fi
# Installs only a plan that removes nothing: apt can see amd64 libraries newer
# than their i386 twins (a mirror mid-sync), and then would trade the 64-bit
# Wine for the 32-bit one.
plan=$($sudo apt-get install -s --no-remove -q "${optional[@]}" 2>&1)
planned=$?
removed=$(sed -n 's/^Remv \([^ ]*\).*/\1/p' <<<"$plan" | tr '\n' ' ')
if [ $planned = 0 ] && [ -z "$removed" ] &&
    out=$($sudo apt-get install -y -q --no-remove "${optional[@]}" 2>&1); then
    rm -f "$memory"
    echo "setup: installed ${optional[*]}; done" >&2
    exit 0
fi
# Why, in apt's words: the index that failed; else what a package asked for,
# or one it depends on directly, cannot have; else the first i386 package
# that cannot be installed; never an unrelated package that apt lists beside
# them. Else what the plan removes, or apt's error.
unmet() {
    grep -m1 -F " $1 : " <<<"$unmet_lines" | tr -s ' ' | sed 's/^ //'
}
if [ -z "$reason" ]; then
    all="$plan${out:+$'\n'$out}"
    unmet_lines=$(grep -E '^ [^ ]+ : ' <<<"$all")
    for p in "${optional[@]}"; do
        reason=$(unmet "$p")
        [ -n "$reason" ] && break
        for d in $(apt-cache depends --important "$p" 2>/dev/null | sed -n 's/^ *\(Pre\)\{0,1\}Depends: //p'); do
            line=$(unmet "$d")
            if [ -n "$line" ]; then
                reason="$p needs $line"
                break 2
            fi
        done
    done
    reason=${reason:-$(grep -m1 ':i386 : ' <<<"$unmet_lines" | tr -s ' ' | sed 's/^ //')}
    reason=${reason:-${removed:+its plan removes $removed}}
    reason=${reason:-$(grep -m1 '^E:' <<<"$all")}
fi
if [ $added_i386 = 1 ]; then
    $sudo dpkg --remove-architecture i386 2>/dev/null
fi
reason="apt, $(date -u '+%Y-%m-%d %H:%M UTC'): ${reason:-unknown}"
printf '%s\n%s\n' "$(apt_state)" "$reason" >"$memory"
not_installed "$reason"
exit 0

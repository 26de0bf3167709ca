#!/usr/bin/env bash
# Runs every Kalv test: installs what is missing, then builds and tests the
# native preset (portable code under ASan/UBSan), the fuzz preset (the settings
# reader under libFuzzer) and the windows and windows32 presets (the 64-bit and
# the 32-bit Kalv.exe, each with its tests under Wine), and checks that the
# tests stay within their share of the code. The fuzz run takes a fixed time on
# one core, so it goes on while the Windows programs are built. Ends with one
# line "N passed, N failed, N skipped".
#
# The 32-bit Kalv.exe's Wine tests need a machine that runs 32-bit x86
# programs. Where the kernel runs none, they run under qemu-i386-static's
# emulation, which this script registers with the kernel (binfmt_misc, as
# root) for its own run and removes at its end; KALV_EMULATE_32BIT=0 leaves
# that out, for a quick run. Where they cannot run they are skipped, with the
# reason; KALV_REQUIRE_32BIT=1 counts them failed instead.
set -u
cd "$(dirname "$0")"

bash scripts/setup.sh || { echo "0 passed, 1 failed, 0 skipped"; exit 1; }

passed=0
failed=0
skipped=0
mkdir -p build

. scripts/debian.sh
emulating=0
finish() {
    cmake/wine-run.sh --prefix build/wineprefix --stop
    [ $emulating = 0 ] || scripts/i386.sh unemulate
}
trap finish EXIT
trap 'exit 130' INT TERM
if [ "${KALV_EMULATE_32BIT:-1}" = 0 ]; then
    echo "== KALV_EMULATE_32BIT=0: 32-bit x86 programs are not emulated in this run"
elif [ -x "$kalv_wine32" ] && [ "$(scripts/i386.sh mode build)" = none ]; then
    if why=$(scripts/i386.sh emulate build 2>&1); then
        emulating=1
        echo "== this kernel runs no 32-bit x86 programs: qemu-i386-static runs them, registered with its binfmt_misc as root until this run ends"
    else
        echo "== this kernel runs no 32-bit x86 programs, and they cannot be emulated here: $why"
    fi
fi

# The Wine prefix is made while the native code is built and tested, with its
# 32-bit half where 32-bit programs run; its display and Wine server then stay
# up for the Windows tests, which start faster so, and end with this run.
bits=64
[ -x "$kalv_wine32" ] && [ "$(scripts/i386.sh mode build)" != none ] && bits=32
KALV_LOCALE=ja_JP.UTF-8 cmake/wine-run.sh --prefix build/wineprefix --bits $bits --start \
    >build/test-prefix.log 2>&1 &
preparing=$!

# Configures and builds a preset, its output in build/test-PRESET.log.
build() {
    local log="build/test-$1.log"
    echo "== $1: configure and build (log: $log)"
    if { cmake --preset "$1" && cmake --build --preset "$1"; } >"$log" 2>&1; then
        return 0
    fi
    tail -n 40 "$log"
    echo "== $1: build FAILED"
    failed=$((failed + 1))
    return 1
}

# Counts what a preset's tests, run into its log, passed, failed and skipped.
count() {
    local log="build/test-$1.log" summary f t s
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$summary" ]; then
        echo "== $1: no test summary"
        failed=$((failed + 1))
        return
    fi
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
    t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
    s=$(grep -cE '^[[:space:]]+[0-9]+ - .* \((Disabled|Skipped)\)$' "$log")
    passed=$((passed + t - f))
    failed=$((failed + f))
    skipped=$((skipped + s))
    if [ "$s" -gt 0 ]; then
        echo "== $1: $s skipped, since $(sed 's/^none: //' "build/$1/wine32.txt" 2>/dev/null || echo "they were disabled")"
        if [ "${KALV_REQUIRE_32BIT:-0}" = 1 ]; then
            echo "== $1: KALV_REQUIRE_32BIT=1, so they count as failed"
            failed=$((failed + s))
            skipped=$((skipped - s))
        fi
    fi
}

run() {
    echo "== $1: test"
    ctest --preset "$1" 2>&1 | tee -a "build/test-$1.log"
    count "$1"
}

if build native; then
    run native
fi
fuzzing=
if build fuzz; then
    echo "== fuzz: test, while the Windows programs are built"
    ctest --preset fuzz >build/test-fuzz.run 2>&1 &
    fuzzing=$!
fi
windows=()
for preset in windows windows32; do
    build "$preset" && windows+=("$preset")
done
if [ -n "$fuzzing" ]; then
    wait "$fuzzing"
    echo "== fuzz: test"
    tee -a build/test-fuzz.log <build/test-fuzz.run
    count fuzz
fi
if ! wait "$preparing"; then
    echo "== Wine could not make its prefix build/wineprefix:"
    tail -n 5 build/test-prefix.log
fi
for preset in "${windows[@]}"; do
    run "$preset"
done

# The tests stay within their share of the code.
if scripts/test-share.sh; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
fi

echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" -eq 0 ]

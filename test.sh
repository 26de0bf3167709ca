#!/usr/bin/env bash
# Runs every Kalv test: installs what is missing, then builds and tests the
# native preset (portable code under ASan/UBSan), the fuzz preset (the settings
# reader under libFuzzer) and the windows and windows32 presets (the 64-bit and
# the 32-bit Kalv.exe, each with its tests under Wine), and checks that the
# tests stay within their share of the code. The fuzz run takes a fixed time on
# one core, so it goes on while the Windows programs are built. Ends with one
# line "N passed, N failed" over all of them.
set -u
cd "$(dirname "$0")"

bash scripts/setup.sh || { echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
mkdir -p build

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

# Counts what a preset's tests, run into its log, passed and failed.
count() {
    local summary f t
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "build/test-$1.log" | tail -n 1)
    if [ -z "$summary" ]; then
        echo "== $1: no test summary"
        failed=$((failed + 1))
        return
    fi
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
    t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
    passed=$((passed + t - f))
    failed=$((failed + f))
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
for preset in "${windows[@]}"; do
    run "$preset"
done

# The tests stay within their share of the code.
if scripts/test-share.sh; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
fi

# End the virtual displays and Wine servers the tests started.
for prefix in build/wineprefix build/wineprefix-* build/windows*/wineprefix build/windows*/wineprefix-*; do
    case "$prefix" in *.run) continue ;; esac
    [ -d "$prefix" ] && cmake/wine-run.sh --prefix "$prefix" --shutdown
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# Runs every Kalv test: installs what is missing, then builds and tests the
# native preset (portable code under ASan/UBSan), the fuzz preset (the settings
# reader under libFuzzer) and the windows preset (Kalv.exe and its tests under
# Wine), and checks that the tests stay within their share of the code. Ends
# with one line "N passed, N failed" over all of them.
set -u
cd "$(dirname "$0")"

bash scripts/setup.sh || { echo "0 passed, 1 failed"; exit 1; }

passed=0
failed=0
mkdir -p build
for preset in native fuzz windows; do
    log="build/test-$preset.log"
    echo "== $preset: configure and build (log: $log)"
    if ! { cmake --preset "$preset" && cmake --build --preset "$preset"; } >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "== $preset: build FAILED"
        failed=$((failed + 1))
        continue
    fi
    echo "== $preset: test"
    ctest --preset "$preset" 2>&1 | tee -a "$log"
    summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1)
    if [ -z "$summary" ]; then
        echo "== $preset: no test summary"
        failed=$((failed + 1))
        continue
    fi
    f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
    t=$(sed -E 's/.* failed out of ([0-9]+).*/\1/' <<<"$summary")
    passed=$((passed + t - f))
    failed=$((failed + f))
done

# The tests stay within their share of the code.
if scripts/test-share.sh; then
    passed=$((passed + 1))
else
    failed=$((failed + 1))
fi

# End the virtual displays and Wine servers the tests started.
for prefix in build/windows/wineprefix build/windows/wineprefix-*; do
    case "$prefix" in *.run) continue ;; esac
    [ -d "$prefix" ] && cmake/wine-run.sh --prefix "$prefix" --shutdown
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]

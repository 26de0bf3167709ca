#!/usr/bin/env bash
# Prints the tests' share of all the code and fails when it is above 35 %: the
# tests are meant to be a quarter to a third of the code, not more.
#
# Counted are the lines of the files git tracks that are neither blank nor only
# a comment (//, /* or * lines, and # lines that are no preprocessor
# directive): as product the C++ sources and headers and the resource script
# under src/ and resources/; as tests the code under tests/ and fuzz/ (C++,
# CMake and scripts). Tables of cases, the seed corpus and other data do not
# count.
set -euo pipefail
cd "$(dirname "$0")/.."

code_lines() {
    local files
    files=$(git ls-files -- "$@")
    [ -n "$files" ] || { echo 0; return; }
    # shellcheck disable=SC2086
    awk '!/^[[:space:]]*($|\/\/|\/\*|\*|#([^a-z]|$))/ { n++ } END { print n + 0 }' $files
}

product=$(code_lines 'src/*.cpp' 'src/*.h' 'resources/*.cpp' 'resources/*.h' 'resources/*.rc')
tests=$(code_lines 'tests/*.cpp' 'tests/*.h' 'tests/*.cmake' 'tests/*CMakeLists.txt' \
                   'fuzz/*.cpp' 'fuzz/*.h' 'fuzz/*.sh' 'fuzz/*CMakeLists.txt')
total=$((tests + product))
echo "test share: $tests test lines of $total, $((100 * tests / total)) % (at most 35 %)"
[ $((100 * tests)) -le $((35 * total)) ]

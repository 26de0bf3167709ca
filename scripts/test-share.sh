#!/usr/bin/env bash
# Prints the tests' share of all the code and fails when it is above 35 %: the
# tests are meant to be a quarter to a third of the code, not more.
#
# Counted are the lines that are neither blank nor only a comment (//, /* or *
# lines, and # lines that are no preprocessor directive): as product the C++
# sources and headers and the resource script under src/ and resources/; as
# tests the code under tests/ and fuzz/ (C++, CMake and scripts). Tables of
# cases, the seed corpus and other data do not count. In a git checkout the
# files are those git tracks; elsewhere (an unpacked copy of the sources),
# those that are there.
set -euo pipefail
cd "$(dirname "$0")/.."

in_git=0
git rev-parse --is-inside-work-tree >/dev/null 2>&1 && in_git=1

# The files under folder $1 whose names end in one of the suffixes after it.
files() {
    local dir=$1 suffix
    shift
    for suffix in "$@"; do
        if [ $in_git = 1 ]; then
            git ls-files -- "$dir/*$suffix"
        elif [ -d "$dir" ]; then
            find "$dir" -type f -name "*$suffix"
        fi
    done
}

code_lines() {
    local list
    list=$(cat)
    [ -n "$list" ] || { echo 0; return; }
    # shellcheck disable=SC2086
    awk '!/^[[:space:]]*($|\/\/|\/\*|\*|#([^a-z]|$))/ { n++ } END { print n + 0 }' $list
}

product=$({ files src .cpp .h; files resources .cpp .h .rc; } | code_lines)
tests=$({ files tests .cpp .h .cmake CMakeLists.txt; files fuzz .cpp .h .sh CMakeLists.txt; } | code_lines)
total=$((tests + product))
if [ "$product" -eq 0 ]; then
    echo "test share: no product code found under src/ and resources/" >&2
    exit 1
fi
share=$((1000 * tests / total))
echo "test share: $tests test lines of $total, $((share / 10)).$((share % 10)) % (at most 35 %)"
[ $((100 * tests)) -le $((35 * total)) ]

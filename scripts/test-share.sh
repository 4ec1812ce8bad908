#!/usr/bin/env bash
# Prints how many lines of tests stand against how many lines of code, per folder: the
# tests of tests/<dir> against the code of <dir>/, then the whole tree. The share the house
# aims for is a quarter to a third; a folder far above it is where tests repeat themselves.
#
#   bash scripts/test-share.sh
#
# Counts the source files git tracks (C++, .ui, CMake, shell, Python), blank lines included.
set -euo pipefail
cd "$(dirname "$0")/.."

lines() { # lines of the tracked sources below $1
    git ls-files -z -- "$1" | grep -zE '\.(cpp|h|ui|cmake|sh|py)$|CMakeLists\.txt$' \
        | xargs -0 -r cat | wc -l
}

printf '%-12s %7s %7s %6s\n' folder tests code share
for dir in tests/*/; do
    name=$(basename "$dir")
    t=$(lines "tests/$name")
    c=0
    [[ -d $name ]] && c=$(lines "$name")
    if ((c > 0)); then
        printf '%-12s %7d %7d %6.2f\n' "$name" "$t" "$c" "$(awk "BEGIN { print $t / $c }")"
    else
        printf '%-12s %7d %7s %6s\n' "$name" "$t" - -
    fi
done
t=$(lines tests)
c=$(($(lines .) - t))
printf '%-12s %7d %7d %6.2f\n' all "$t" "$c" "$(awk "BEGIN { print $t / $c }")"

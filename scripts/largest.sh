#!/usr/bin/env bash
# The largest classes (a header and its source together) and the longest functions of the
# program's own code, for keeping both small:  bash scripts/largest.sh [COUNT=10]
# Needs universal-ctags (Debian package universal-ctags).
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-10}
folders=(acquisition app archive collect files forms frames index platform ports res settings sites tools)

echo "Largest classes (lines of header + source):"
shopt -s nullglob
for h in $(find "${folders[@]}" -name '*.h'); do
    base=${h%.h}
    sources=("$base"_*.cpp)
    [[ -f $base.cpp ]] && sources+=("$base.cpp")
    lines=$(cat "$h" "${sources[@]}" | wc -l)
    echo "$lines $base"
done | sort -rn | head -n "$count" | awk '{printf "  %5d  %s\n", $1, $2}'

echo "Longest functions (lines):"
find "${folders[@]}" -name '*.cpp' -print0 |
    xargs -0 ctags --c++-kinds=f --fields=+ne -o - 2>/dev/null |
    awk -F'\t' '{
        line = 0; end = 0; scope = "";
        for (i = 4; i <= NF; ++i) {
            if ($i ~ /^line:/) line = substr($i, 6);
            if ($i ~ /^end:/) end = substr($i, 5);
            if ($i ~ /^(class|struct|namespace):/) scope = substr($i, index($i, ":") + 1) "::";
        }
        if (end > 0) printf "%d %s%s %s\n", end - line + 1, scope, $1, $2;
    }' | sort -rn | head -n "$count" | awk '{printf "  %5d  %s  (%s)\n", $1, $2, $3}'

#!/usr/bin/env bash
# The largest classes (a header and its source together) and the longest functions of the
# program's own code, for keeping both small:  bash scripts/largest.sh [COUNT=10]
# Needs universal-ctags (Debian package universal-ctags).
set -euo pipefail
cd "$(dirname "$0")/.."
count=${1:-10}
folders=(acquisition app archive collect files forms frames index modem platform ports res settings
         sites store tools)

echo "Largest classes (lines of header + source + its largest platform file):"
shopt -s nullglob
# A build holds one platform file of a class (Foo_posix.cpp or Foo_win32.cpp), never both.
for h in $(find "${folders[@]}" -name '*.h'); do
    base=${h%.h}
    lines=$(cat "$h" | wc -l)
    [[ -f $base.cpp ]] && lines=$((lines + $(wc -l < "$base.cpp")))
    largest=0
    for variant in "$base"_*.cpp; do
        n=$(wc -l < "$variant")
        ((n > largest)) && largest=$n
    done
    echo "$((lines + largest)) $base"
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

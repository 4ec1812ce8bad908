#!/usr/bin/env bash
# The table scripts' measure(): rows of a measure begun or ended at a load average above 1 lose
# their verdict, others keep it, and lines that are no verdict row pass unchanged.
#   bash tests/bench/LoadMarkingTest.sh <project root>
set -euo pipefail
root=${1:-$(dirname "$0")/../..}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export TABULON_LOADAVG=$work/loadavg
source "$root/bench/LoadAverage.sh"

failures=0
# A fake measure: prints its rows, the load average being `$1` when it ends.
fake_measure() {
    echo "<!-- round 1: 3.0 / 2.9 us -->"
    echo "| echo | 3.0 us | 2.9 us | 1.03 | <= 1.1 x bare | met |"
    echo "| paced | 3.9 % | 3.0 % | 1.30 | <= 1.2 x bare | MISSED |"
    echo "$1" >"$TABULON_LOADAVG"
}
# Each case: load before | load after | verdict of row 1 | of row 2.
L="loaded: not a verdict"
cases=(
    "0.52 0.61 0.70 1/100 1|0.80 0.70 0.70 1/100 1|met|MISSED"
    "1.00 0.61 0.70 1/100 1|0.95 0.61 0.70 1/100 1|met|MISSED"
    "1.01 0.20 0.20 1/100 1|0.50 0.20 0.20 1/100 1|$L|$L"
    "0.40 3.00 3.00 1/100 1|2.10 3.00 3.00 1/100 1|$L|$L"
)
for c in "${cases[@]}"; do
    IFS='|' read -r before after first second <<<"$c"
    echo "$before" >"$TABULON_LOADAVG"
    out=$(measure fake_measure "$after")
    expected="<!-- load average before: ${before% * *} -->
<!-- round 1: 3.0 / 2.9 us -->
| echo | 3.0 us | 2.9 us | 1.03 | <= 1.1 x bare | $first |
| paced | 3.9 % | 3.0 % | 1.30 | <= 1.2 x bare | $second |
<!-- load average after: ${after% * *} -->"
    if [[ $out != "$expected" ]]; then
        echo "case '$c': got"$'\n'"$out"$'\n'"expected"$'\n'"$expected"
        failures=$((failures + 1))
    fi
done

# A measure that fails fails the table.
echo "0.1 0.1 0.1 1/100 1" >"$TABULON_LOADAVG"
if measure false >/dev/null; then
    echo "a failing measure passed"
    failures=$((failures + 1))
fi
exit $((failures > 0))

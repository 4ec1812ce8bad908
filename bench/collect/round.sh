#!/usr/bin/env bash
# Builds the round benchmark and prints its tables (Markdown). Run by hand:
#   bash bench/collect/round.sh          64 sites behind 8 lines, about eight minutes
#   bash bench/collect/round.sh --quick  2 sites behind each of 8 lines, about two minutes
# The targets: the round with every line at once within 1.25 x the slowest line alone, at least
# 6 x faster than one site at a time, the collector's processor time a form no worse.
# A table taken while the load average was above 1 gives no verdict (bench/LoadAverage.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/LoadAverage.sh
build=${TABULON_BENCH_BUILD:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTABULON_BENCH=ON -DTABULON_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target round_bench >/dev/null
per_line=8
[[ "${1:-}" == "--quick" ]] && per_line=2
echo "A round over many lines, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
measure "$build/bench/collect/round_bench" "$per_line" 8

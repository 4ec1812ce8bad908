#!/usr/bin/env bash
# Builds the network benchmark and prints its table (Markdown). Run by hand:
#   bash bench/network/table.sh           20 KB with echo, 4 MB without, three rounds each
#   bash bench/network/table.sh --quick   5 KB, 1 MB, one round
# Each measure is run between two readings of the load average; a row taken while it was above 1
# gives no verdict (bench/LoadAverage.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/LoadAverage.sh
build=${TABULON_BENCH_BUILD:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTABULON_BENCH=ON -DTABULON_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target network_bench >/dev/null
bench="$build/bench/network/network_bench"

if [[ "${1:-}" == "--quick" ]]; then
    echo_bytes=5000 stream_mb=1 rounds=1
else
    echo_bytes=20000 stream_mb=4 rounds=3
fi
# The worker looks up its COM numbers in the per-user profile: one of its own for the run.
HOME=$(mktemp -d)
export HOME
trap 'rm -rf "$HOME"' EXIT
echo "Network benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
echo "Load average before: $(load_average)"
echo
"$bench" header
measure "$bench" echo "$echo_bytes" "$rounds"
measure "$bench" stream "$stream_mb" "$rounds"
echo
echo "Load average after: $(load_average)"

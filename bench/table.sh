#!/usr/bin/env bash
# Builds the acquisition benchmark and prints its table (Markdown). Run by hand:
#   bash bench/table.sh           the full run: 30 s silent pass, 200 KB with echo, 20 MB without,
#                                 20 s of a line at 19,200 bit/s, 30 s of the idle program
#   bash bench/table.sh --quick   a shorter run: 3 s, 50 KB, 5 MB, 6 s of the line, one round each
# The targets: at least 100 x the fastest line (0.2 MB/s) with the archive on; at 19,200 bit/s
# the processor time within 1.2 x a bare echoing process and thread (type 0, the median of the
# rounds), under 1 % of a core (type 4).
# Each measure is run between two readings of the load average; a row taken while it was above 1
# gives no verdict (bench/LoadAverage.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
source bench/LoadAverage.sh
build=${TABULON_BENCH_BUILD:-build-bench}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTABULON_BENCH=ON -DTABULON_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target acquisition_bench collect_bench idle_bench >/dev/null
bench="$build/bench/acquisition/acquisition_bench"

if [[ "${1:-}" == "--quick" ]]; then
    seconds=3 echo_bytes=50000 stream_mb=5 rounds=1 paced_seconds=6
else
    seconds=30 echo_bytes=200000 stream_mb=20 rounds=3 paced_seconds=20
fi
echo "Acquisition benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
echo "Load average before: $(load_average)"
echo
"$bench" header
measure "$bench" cpu "$seconds"
measure "$bench" echo "$echo_bytes" "$rounds"
measure "$bench" stream "$stream_mb" "$rounds"
echo
echo "Load average after: $(load_average)"
echo
collect="$build/bench/collect/collect_bench"
"$collect" header
measure "$collect" stream "$stream_mb" "$rounds"
measure "$collect" echo "$echo_bytes" "$rounds"
measure "$collect" memory
measure "$collect" paced "$paced_seconds" "$rounds"
echo
echo "Load average after: $(load_average)"
echo
idle="$build/bench/idle/idle_bench"
"$idle" header
measure "$idle" "$seconds"
echo
echo "Load average after: $(load_average)"

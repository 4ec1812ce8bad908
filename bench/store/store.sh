#!/usr/bin/env bash
# Builds the common archive's benchmark and prints its tables (Markdown). Run by hand, one
# measure a command:
#   bash bench/store/store.sh search    the first 100 hits over 100,000 forms uploaded to the
#                                       store, beside the local FTS5 index of the same forms
#                                       (about five minutes: the upload and the indexing)
#   bash bench/store/store.sh million   the first 100 hits over 1,000,000 forms, queries of
#                                       several kinds; the store is made by SQL the first time
#                                       (15 to 20 minutes on two idle cores) and kept in
#                                       $TABULON_BENCH_STORE (build-bench/store-million), after
#                                       which a run takes a minute
#   bash bench/store/store.sh month     "Сбор за месяц" of 500 sites read from the store (about
#                                       three minutes, most of it sending the month's records)
#   bash bench/store/store.sh upload    forms per second sent into an empty store (a minute)
#   bash bench/store/store.sh drain     a backlog of 100,000 forms sent in one go, and what a
#                                       form costs the store in bytes (about five minutes)
# The targets: under 100 ms for the first hits over a million forms, under 1 s for the month,
# 500 forms a second and more, a backlog of 100,000 forms drained in under 5 minutes.
# A table taken while the load average was above 1 gives no verdict (bench/LoadAverage.sh).
set -euo pipefail
cd "$(dirname "$0")/../.."
source bench/LoadAverage.sh
build=${TABULON_BENCH_BUILD:-build-bench}
# The store's PostgreSQL is the tests' fixture, so the tests are configured too.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DTABULON_BENCH=ON -DTABULON_TESTS=ON >/dev/null
cmake --build "$build" -j2 --target store_bench >/dev/null
export TABULON_BENCH_STORE=${TABULON_BENCH_STORE:-$PWD/$build/store-million}
what=${1:-}
case $what in
    search) title="Search: the store beside the local index, 100,000 forms" ;;
    million) title="Search: the store, 1,000,000 forms" ;;
    month) title="\"Сбор за месяц\" from the store" ;;
    upload) title="Upload: forms a second into an empty store" ;;
    drain) title="Upload: a backlog of 100,000 forms" ;;
    *) echo "usage: $0 search | million | month | upload | drain" >&2; exit 2 ;;
esac
echo "$title, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
measure "$build/bench/store/store_bench" "$what"

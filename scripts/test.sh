#!/usr/bin/env bash
# Builds Tabulon with its tests and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTABULON_TESTS=ON >/dev/null
cmake --build build -j2
cd build
ctest --output-on-failure -j2 --timeout 300

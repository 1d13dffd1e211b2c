#!/usr/bin/env bash
# `tomaria-cli --version` against the yardstick bench/qtcore_start.cpp (a
# program that links Qt Core alone and prints one line), as whole
# processes, turn by turn in one call of bench/vs.sh (A B A B ...). Prints
# its report: quote the median ratio A/B.
#
#   bench/startup.sh [BUILD_DIR] [RUNS]      (defaults: build/bench 31)
#
# Build first (Release):
#   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOMARIA_BENCH=ON -DTOMARIA_TESTS=OFF
#   cmake --build build/bench --target tomaria-cli qtcore_start
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
runs=${2:-31}
cli=$build/src/tomaria-cli
yardstick=$build/bench/qtcore_start
for f in "$cli" "$yardstick"; do
  [ -x "$f" ] || { echo "startup.sh: build $f first (see the top of this script)" >&2; exit 2; }
done
bench/vs.sh -n "$runs" --warmup 3 --vs "$yardstick" -- "$cli" --version

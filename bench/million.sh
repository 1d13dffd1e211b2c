#!/usr/bin/env bash
# The two-filter book search (author "calvino", title "notte") over
# 1,000,000 generated books, as whole processes: writes the archive once
# (3.2 GB, with `tomaria-cli sample`), lets the first search make the
# compact copy of the searched fields, then prints the median wall time of
# TURNS searches and the peak resident memory of one (with GNU time).
#
#   bench/million.sh [BUILD_DIR] [TURNS]      (defaults: build/bench 15)
#
# Build first (Release), as for bench/vs_sqlite.sh.
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
turns=${2:-15}
cli=$build/src/tomaria-cli
[ -x "$cli" ] || { echo "million.sh: build tomaria-cli into $build first" >&2; exit 2; }
folder=${TOMARIA_BENCH_ARCHIVES:-$build/archives}/books-1000000-bulk
if [ ! -f "$folder/Libri.pro" ]; then
  mkdir -p "$folder"
  "$cli" --folder "$folder" sample books 1000000 >/dev/null
fi
search=("$cli" --folder "$folder" search books --autore calvino --titolo notte)
# A copy is made only of an archive unchanged for two seconds; the first
# search makes it (a pass over every card), the second starts warm.
sleep 3
"${search[@]}" >/dev/null 2>&1
"${search[@]}" >/dev/null 2>&1
times=()
for ((i = 0; i < turns; i++)); do
  start=$EPOCHREALTIME
  "${search[@]}" >/dev/null 2>&1
  end=$EPOCHREALTIME
  times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) * 1000 }')")
done
median=$(printf '%s\n' "${times[@]}" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
lines=$("${search[@]}" 2>/dev/null | wc -l)
peak=n/a
if [ -x /usr/bin/time ]; then
  peak=$(/usr/bin/time -f '%M' "${search[@]}" 2>&1 >/dev/null | tail -n 1 | awk '{ printf "%.1f MB", $1 / 1024 }')
fi
printf 'tomaria-cli search, 1,000,000 books: median %.1f ms over %d turns, %d lines, peak memory %s\n' "$median" "$turns" "$lines" "$peak"

#!/usr/bin/env bash
# Whole processes side by side: `tomaria-cli search books` with two filters
# (author and title) against the `sqlite3` command answering the same query
# from a database of the same 100,000 cards, started turn by turn. The first,
# unmeasured turn makes the archive's compact copy of the searched fields
# (Libri.pro-search), which the measured turns read through. Prints,
# for the archive written card by card and for the one written in bulk, the
# median wall time of each, the median of the turn-by-turn ratios and the
# peak resident memory of one run of each (with GNU time, when installed).
#
#   bench/vs_sqlite.sh [BUILD_DIR] [TURNS]      (defaults: build/bench 21)
#
# Build first (Release):
#   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOMARIA_BENCH=ON -DTOMARIA_TESTS=OFF
#   cmake --build build/bench
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
turns=${2:-21}
cli=$build/src/tomaria-cli
prepare=$build/bench/bench_vs_sqlite
if [ ! -x "$cli" ] || [ ! -x "$prepare" ]; then
  echo "vs_sqlite.sh: build the benchmarks into $build first (see the top of this script)" >&2
  exit 2
fi
command -v sqlite3 >/dev/null || { echo "vs_sqlite.sh: needs the sqlite3 command (Debian package sqlite3)" >&2; exit 2; }

# The benchmark program writes (once) the archives and the database and
# says where they are and what the query is.
declare -A setup
while IFS='=' read -r key value; do
  setup[$key]=$value
done < <(QT_QPA_PLATFORM=offscreen "$prepare" --prepare)

# Wall milliseconds of one run of the command, its output thrown away.
elapsed() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>&1
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) * 1000 }'
}

median() {
  sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

peak() {
  if [ -x /usr/bin/time ]; then
    /usr/bin/time -f '%M' "$@" 2>&1 >/dev/null | tail -n 1 | awk '{ printf "%.1f MB", $1 / 1024 }'
  else
    echo "n/a"
  fi
}

# A copy is made only of an archive unchanged for two seconds.
sleep 3

for growth in card_by_card bulk; do
  folder=${setup[folder_$growth]}
  ours=("$cli" --folder "$folder" search books --autore "${setup[author]}" --titolo "${setup[title]}")
  theirs=(sqlite3 -readonly "${setup[database]}" "${setup[query]}")
  if cmp -s <("${ours[@]}" 2>/dev/null) <("${theirs[@]}"); then same=yes; else same=NO; fi
  # One turn of each unmeasured, so that both start warm (and the copy is
  # made).
  elapsed "${ours[@]}" >/dev/null
  elapsed "${theirs[@]}" >/dev/null
  a=() b=() r=()
  for ((i = 0; i < turns; i++)); do
    x=$(elapsed "${ours[@]}")
    y=$(elapsed "${theirs[@]}")
    a+=("$x") b+=("$y")
    r+=("$(awk -v x="$x" -v y="$y" 'BEGIN { printf "%.4f", x / y }')")
  done
  printf '%-12s tomaria-cli %6.1f ms  sqlite3 %6.1f ms  median ratio %.2f  (%d turns, same lines: %s)\n' "$growth" \
    "$(printf '%s\n' "${a[@]}" | median)" "$(printf '%s\n' "${b[@]}" | median)" "$(printf '%s\n' "${r[@]}" | median)" "$turns" "$same"
  printf '%-12s peak memory: tomaria-cli %s, sqlite3 %s\n' "" "$(peak "${ours[@]}")" "$(peak "${theirs[@]}")"
done

#!/usr/bin/env bash
# Whole processes side by side: `tomaria-cli lend CODE --to NAME` and
# `tomaria-cli return CODE` against the `sqlite3` command updating the
# borrower of the one row found by its code in a table of the same 100,000
# cards, started turn by turn (lend, UPDATE, return, UPDATE back). The
# archive and the database are copies in a scratch folder, so the shared
# benchmark archives never change. Prints, for a code index taken from the
# compact search copy (made once, before the turns) and with no copy at all,
# the median wall time of each, and `tomaria-cli --version` alone: what
# starting the process costs whatever it does.
#
#   bench/desk_vs_sqlite.sh [BUILD_DIR] [TURNS]      (defaults: build/bench 21)
#
# Build first (Release):
#   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOMARIA_BENCH=ON -DTOMARIA_TESTS=OFF
#   cmake --build build/bench
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
turns=${2:-21}
cli=$(realpath "$build/src/tomaria-cli")
# The program that writes the archives and the database may come from
# another build ($PREPARE): it only prepares, it is not measured.
prepare=${PREPARE:-$build/bench/bench_vs_sqlite}
if [ ! -x "$cli" ] || [ ! -x "$prepare" ]; then
  echo "desk_vs_sqlite.sh: build the benchmarks into $build first (see the top of this script)" >&2
  exit 2
fi
command -v sqlite3 >/dev/null || { echo "desk_vs_sqlite.sh: needs the sqlite3 command (Debian package sqlite3)" >&2; exit 2; }

declare -A setup
while IFS='=' read -r key value; do
  setup[$key]=$value
done < <(QT_QPA_PLATFORM=offscreen "$prepare" --prepare)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cp "${setup[folder_bulk]}/Libri.pro" "$scratch/"
cp "${setup[database]}" "$scratch/libri.db"
# The table as a program that looks rows up by code would keep it.
sqlite3 "$scratch/libri.db" "CREATE INDEX codice ON libri(Codice)"
code=$(sqlite3 "$scratch/libri.db" "SELECT Codice FROM libri WHERE Prestato = '' AND Codice <> '' LIMIT 1 OFFSET 50000")

elapsed() {
  local start=$EPOCHREALTIME
  "$@" >/dev/null 2>&1 || echo "desk_vs_sqlite.sh: failed: $*" >&2
  local end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) * 1000 }'
}

median() {
  sort -g | awk '{ v[NR] = $1 } END { if (NR % 2) print v[(NR + 1) / 2]; else printf "%.3f\n", (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}

turn() { # label
  local lend=() back=() upd=() undo=() start=()
  for ((i = 0; i < turns; i++)); do
    if [ "$1" = copy ]; then
      # Each turn starts from a copy that describes the archive as it is;
      # one is made only of an archive unchanged for a while.
      sleep 3
      rm -f "$scratch/Libri.pro-search"
      "$cli" --folder "$scratch" search books --titolo zzzz >/dev/null 2>&1 || true
      [ -f "$scratch/Libri.pro-search" ] || { echo "desk_vs_sqlite.sh: no compact copy made" >&2; exit 2; }
    else
      rm -f "$scratch/Libri.pro-search"
    fi
    lend+=("$(elapsed "$cli" --folder "$scratch" lend "$code" --to Banco)")
    upd+=("$(elapsed sqlite3 "$scratch/libri.db" "UPDATE libri SET Prestato = 'Banco' WHERE Codice = '$code'")")
    back+=("$(elapsed "$cli" --folder "$scratch" return "$code")")
    undo+=("$(elapsed sqlite3 "$scratch/libri.db" "UPDATE libri SET Prestato = '' WHERE Codice = '$code'")")
    start+=("$(elapsed "$cli" --version)")
  done
  printf '%-8s lend %6.1f ms  return %6.1f ms  | sqlite3 UPDATE %5.1f ms, back %5.1f ms  | tomaria-cli --version %5.1f ms  (%d turns)\n' "$1" \
    "$(printf '%s\n' "${lend[@]}" | median)" "$(printf '%s\n' "${back[@]}" | median)" \
    "$(printf '%s\n' "${upd[@]}" | median)" "$(printf '%s\n' "${undo[@]}" | median)" "$(printf '%s\n' "${start[@]}" | median)" "$turns"
}

echo "code $code, 100,000 books (bulk)"
turn copy
turn no-copy

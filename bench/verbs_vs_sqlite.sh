#!/usr/bin/env bash
# Whole processes, side by side with sqlite3 in one call of bench/vs.sh
# each (A B A B ..., the ratio A/B taken pair by pair), over 100,000
# generated books and a SQLite table of the same cards (the complete CSV
# export, imported with sqlite3's .import, an index on the code):
#
#   search        tomaria-cli search books --autore calvino --titolo notte
#                 against SELECT ... WHERE author LIKE ... AND title LIKE ...
#   lend+return   tomaria-cli lend CODE --to NAME, then return CODE, against
#                 two UPDATEs of one row found by its code
#   after a lend  lend, search, return, search against UPDATE, SELECT,
#                 UPDATE, SELECT: the searches right after a write
#   csv import    tomaria-cli import of the complete CSV into an empty
#                 folder against sqlite3 .import of the same file
#   xlsx export   the complete export to .xlsx against the complete CSV
#                 export of the same archive
#
#   bench/verbs_vs_sqlite.sh [BUILD_DIR] [RUNS] [BOOKS]   (defaults: build/bench 15 100000)
#
# Build first (Release): the command line and its plugins alone suffice.
#   cmake -S . -B build/bench -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOMARIA_BENCH=ON -DTOMARIA_TESTS=OFF
#   cmake --build build/bench --target tomaria-cli
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/bench}
runs=${2:-15}
books=${3:-100000}
cli=$(realpath "$build/src/tomaria-cli")
[ -x "$cli" ] || { echo "verbs_vs_sqlite.sh: build tomaria-cli into $build first" >&2; exit 2; }
command -v sqlite3 >/dev/null || { echo "verbs_vs_sqlite.sh: needs the sqlite3 command (Debian package sqlite3)" >&2; exit 2; }
work=$(realpath -m "${TOMARIA_BENCH_ARCHIVES:-$build/archives}/desk-$books")
folder=$work/folder
db=$work/books.db
csv=$work/books.csv
if [ ! -f "$db" ]; then
  rm -rf "$work"
  mkdir -p "$folder"
  "$cli" --folder "$folder" sample books "$books" >/dev/null
  "$cli" --folder "$folder" export books --csv --out "$csv" >/dev/null
  # The CSV begins with a byte-order mark and separates by semicolons;
  # sqlite3 takes the header row as the column names.
  sed '1s/^\xEF\xBB\xBF//' "$csv" >"$work/plain.csv"
  sqlite3 "$db" ".mode csv" ".separator ;" ".import $work/plain.csv books" "CREATE INDEX code ON books(Codice);"
fi
code=L000777
reader="Mario Rossi"
search=("$cli" --folder "$folder" search books --autore calvino --titolo notte)
select="SELECT Codice, Titolo, Autore FROM books WHERE Autore LIKE '%calvino%' AND Titolo LIKE '%notte%';"
lendSql="UPDATE books SET Prestato = '$reader', Scadenza = '11/12/2026' WHERE Codice = '$code';"
returnSql="UPDATE books SET Prestato = '', Scadenza = '' WHERE Codice = '$code';"
q() { printf "'%s'" "${1//\'/\'\\\'\'}"; }
# Any earlier turn's loan is given back; the search copy is made once the
# archive has not changed for two seconds.
"$cli" --folder "$folder" return "$code" >/dev/null 2>&1 || true
sleep 3
"${search[@]}" >/dev/null 2>&1

echo "== search, $books books"
bench/vs.sh -n "$runs" --warmup 2 --vs "sqlite3 -readonly $db $(q "$select")" -- "${search[@]}"
echo "== lend + return by code"
bench/vs.sh -n "$runs" --warmup 1 --vs "sh -c $(q "sqlite3 $db $(q "$lendSql") && sqlite3 $db $(q "$returnSql")")" -- \
  sh -c "$(q "$cli") --folder $(q "$folder") lend $code --to $(q "$reader") >/dev/null && $(q "$cli") --folder $(q "$folder") return $code >/dev/null"
echo "== lend, search, return, search"
s="$(q "$cli") --folder $(q "$folder") search books --autore calvino --titolo notte >/dev/null 2>&1"
bench/vs.sh -n "$runs" --warmup 1 \
  --vs "sh -c $(q "sqlite3 $db $(q "$lendSql") && sqlite3 $db $(q "$select") >/dev/null && sqlite3 $db $(q "$returnSql") && sqlite3 $db $(q "$select") >/dev/null")" -- \
  sh -c "$(q "$cli") --folder $(q "$folder") lend $code --to $(q "$reader") >/dev/null && $s && $(q "$cli") --folder $(q "$folder") return $code >/dev/null && $s"
echo "== complete CSV import into an empty folder"
bench/vs.sh -n 5 --warmup 1 --timeout 600 \
  --vs "sh -c $(q "rm -f $work/import.db && sqlite3 $work/import.db $(q ".mode csv") $(q ".separator ;") $(q ".import $work/plain.csv books")")" -- \
  sh -c "rm -rf $(q "$work/import") && mkdir $(q "$work/import") && $(q "$cli") --folder $(q "$work/import") import books $(q "$csv") >/dev/null"
echo "== complete .xlsx export against the complete CSV export"
bench/vs.sh -n 5 --warmup 1 --timeout 600 --vs "$cli --folder $folder export books --csv --out $work/export.csv" -- \
  "$cli" --folder "$folder" export books --complete --out "$work/export.xlsx"

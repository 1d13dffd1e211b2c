#!/usr/bin/env bash
# The web catalogue under load at 100,000 books on the loopback address:
# 50 clients and 5,000 requests of a two-word search, the same one (answered
# from the results the server keeps while the archive is unchanged) and 200
# different ones (each read through the compact copy), then wrk for 20
# seconds; the server's peak memory. Run from the repository with a Release
# build:  bench/web_load.sh build/bench/src/tomaria-cli
set -euo pipefail
cli=${1:-build/bench/src/tomaria-cli}
books=${BOOKS:-100000}
dir=$(mktemp -d)
pid=
trap 'kill "$pid" 2>/dev/null || true; rm -rf "$dir"' EXIT
"$cli" --folder "$dir" sample books "$books" > /dev/null
# The program's first search after a change makes the compact copy (of an
# archive unchanged for two seconds); the server itself never writes it.
sleep 3
"$cli" --folder "$dir" search books --titolo notte > /dev/null 2>&1
[ -f "$dir/Libri.pro-search" ] || { echo "no compact copy made" >&2; exit 1; }
"$cli" --folder "$dir" serve --port 0 --log "$dir/serve.log" > "$dir/url" 2> /dev/null &
pid=$!
for _ in $(seq 50); do [ -s "$dir/url" ] && break; sleep 0.2; done
url=$(head -1 "$dir/url")
here=$(dirname "$0")
echo "same two-word search:"
python3 "$here/web_load.py" "$url" 50 5000 "/?q=notte+lorenzo"
echo "200 different two-word searches:"
words=(notte lago sole vento mare casa strada bosco fiume luna storia isola cuore tempo)
paths=()
for a in "${words[@]}"; do for b in "${words[@]}"; do [ "$a" != "$b" ] && paths+=("/?q=$a+$b"); done; done
python3 "$here/web_load.py" "$url" 50 5000 "${paths[@]:0:182}"
if command -v wrk > /dev/null; then
  echo "wrk, 50 connections, 20 s, same search:"
  wrk -t2 -c50 -d20s --latency "${url}?q=notte+lorenzo" | grep -E "Requests/sec|99%|50%|Non-2xx|Socket errors" || true
fi
echo "peak memory of the server: $(grep VmHWM /proc/$pid/status)"

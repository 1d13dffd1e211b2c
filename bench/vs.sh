#!/usr/bin/env bash
# Times command A against command B as whole processes, turn by turn
# (A B A B ...), so that a load on the machine falls on both alike, and
# prints the median wall time of each and the median of the ratios A/B
# taken pair by pair. Only bash and awk are needed.
#
#   bench/vs.sh [-n RUNS] [--warmup N] [--timeout SECONDS] --vs "B COMMAND" -- A COMMAND...
#
# B is one string run by sh -c; A is run as given. Output goes nowhere.
set -euo pipefail
runs=15
warmup=1
timeout=0
against=
while [ $# -gt 0 ]; do
  case $1 in
    -n) runs=$2; shift 2 ;;
    --warmup) warmup=$2; shift 2 ;;
    --timeout) timeout=$2; shift 2 ;;
    --vs) against=$2; shift 2 ;;
    --) shift; break ;;
    *) echo "vs.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
[ $# -gt 0 ] && [ -n "$against" ] || { echo "usage: vs.sh [-n RUNS] [--warmup N] [--timeout S] --vs \"B\" -- A..." >&2; exit 2; }

# One run, its wall time in milliseconds on stdout; a failure or a time-out
# is said on stderr and ends the comparison.
once() {
  local start end
  start=$EPOCHREALTIME
  if [ "$timeout" != 0 ]; then
    timeout "$timeout" "$@" >/dev/null 2>&1 || { echo "vs.sh: failed or timed out: $*" >&2; exit 1; }
  else
    "$@" >/dev/null 2>&1 || { echo "vs.sh: failed: $*" >&2; exit 1; }
  fi
  end=$EPOCHREALTIME
  awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f\n", (b - a) * 1000 }'
}

for ((i = 0; i < warmup; i++)); do
  once "$@" >/dev/null
  once sh -c "$against" >/dev/null
done
a=() b=()
for ((i = 0; i < runs; i++)); do
  a+=("$(once "$@")")
  b+=("$(once sh -c "$against")")
done
awk -v runs="$runs" '
  function median(v, n,    i, j, t) {
    for (i = 2; i <= n; i++) { t = v[i]; for (j = i - 1; j >= 1 && v[j] > t; j--) v[j + 1] = v[j]; v[j + 1] = t }
    return n % 2 ? v[(n + 1) / 2] : (v[n / 2] + v[n / 2 + 1]) / 2
  }
  NR <= runs { A[NR] = $1; next }
  { B[NR - runs] = $1 }
  END {
    for (i = 1; i <= runs; i++) { R[i] = A[i] / B[i]; a[i] = A[i]; b[i] = B[i] }
    printf "A median %.1f ms, B median %.1f ms, ratio A/B median %.2f (%d pairs)\n", median(a, runs), median(b, runs), median(R, runs), runs
  }' <(printf '%s\n' "${a[@]}" "${b[@]}")

#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs every test headless. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

# The benchmarks are compiled with the tests (never run here), so that a
# change cannot leave them broken; clang and libFuzzer for the fuzz run.
TOMARIA_BENCH=1 TOMARIA_FUZZ=1 tools/install-deps.sh

# The code is written as .clang-format says (tables aligned by hand are
# fenced with "clang-format off"); an unformatted file fails the run.
find src tests bench fuzz tools \( -name '*.cpp' -o -name '*.h' \) -print0 | xargs -0 clang-format --dry-run --Werror

build=build/test
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug \
  -DTOMARIA_SANITIZE=ON -DTOMARIA_WERROR=ON -DTOMARIA_TESTS=ON -DTOMARIA_BENCH=ON
cmake --build "$build" --parallel "$(nproc)"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$PWD/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
ctest --test-dir "$build" --output-on-failure --parallel "$(nproc)"

# Every fuzz target fuzzed for a few seconds from its seed corpus (the
# replay above only reads the corpus), within libFuzzer's limits: an input
# that takes over 10 s, a process over 1 GB (the sanitizers' share
# included) or one allocation over 200 MB is a finding. A finding ends the
# run; its file is left in build/fuzz/findings/ and, once fixed, becomes a
# file of the target's seed corpus. About a minute for all of them.
fuzz=build/fuzz
targets=$(sed -n 's/^set(TOMARIA_FUZZ_TARGETS \(.*\))$/\1/p' fuzz/CMakeLists.txt)
CC=clang CXX=clang++ cmake -S . -B "$fuzz" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DTOMARIA_FUZZ=ON -DTOMARIA_SANITIZE=ON -DTOMARIA_TESTS=OFF >/dev/null
cmake --build "$fuzz" --parallel "$(nproc)" --target $(printf 'fuzz_%s ' $targets)
mkdir -p "$fuzz/findings"
for t in $targets; do
  rm -rf "$fuzz/work/$t" && mkdir -p "$fuzz/work/$t"
  ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=16 TMPDIR=${FUZZ_TMPDIR:-/tmp} \
    "$fuzz/fuzz/fuzz_$t" "$fuzz/work/$t" "fuzz/corpus/$t" -max_total_time="${FUZZ_SECONDS:-7}" \
    -timeout=10 -rss_limit_mb=1024 -malloc_limit_mb=200 -max_len=20000 \
    -artifact_prefix="$fuzz/findings/$t-" -print_final_stats=1 2>"$fuzz/work/$t.log" ||
    { tail -n 40 "$fuzz/work/$t.log"; echo "fuzz_$t: finding in $fuzz/findings/" >&2; exit 1; }
  grep -h '^stat::number_of_executed_units' "$fuzz/work/$t.log" | sed "s/^/fuzz_$t: /"
done

# The search's threads under ThreadSanitizer: the core and its search test
# only, in a build of their own. Races wholly inside Qt (not built for the
# sanitizer) are suppressed by name; every other race ends the run.
tsan=build/tsan
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOMARIA_TSAN=ON -DTOMARIA_WERROR=ON -DTOMARIA_TESTS=ON >/dev/null
cmake --build "$tsan" --parallel "$(nproc)" --target test_search
TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:suppressions=$PWD/tests/tsan.supp:print_suppressions=1} "$tsan/tests/test_search"

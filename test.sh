#!/usr/bin/env bash
# Sets up, builds with AddressSanitizer and UndefinedBehaviorSanitizer, and
# runs every test headless. Exits non-zero on any failure.
set -euo pipefail
cd "$(dirname "$0")"

# The benchmarks are compiled with the tests (never run here), so that a
# change cannot leave them broken.
TOMARIA_BENCH=1 tools/install-deps.sh

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

# The search's threads under ThreadSanitizer: the core and its search test
# only, in a build of their own. Races wholly inside Qt (not built for the
# sanitizer) are suppressed by name; every other race ends the run.
tsan=build/tsan
cmake -S . -B "$tsan" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTOMARIA_TSAN=ON -DTOMARIA_WERROR=ON -DTOMARIA_TESTS=ON >/dev/null
cmake --build "$tsan" --parallel "$(nproc)" --target test_search
TSAN_OPTIONS=${TSAN_OPTIONS:-halt_on_error=1:suppressions=$PWD/tests/tsan.supp:print_suppressions=1} "$tsan/tests/test_search"

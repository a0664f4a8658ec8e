#!/usr/bin/env bash
# The whole test suite again, built with AddressSanitizer (leak checking on)
# and UndefinedBehaviorSanitizer, in a build folder of its own. Any report
# fails the test that caused it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build-asan -DFV_SANITIZE=ON -DFV_BENCH=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-asan -j"$(nproc)"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# The outside-project check builds the whole project again; it gains nothing
# from the sanitizers.
ctest --test-dir build-asan --output-on-failure -j"$(nproc)" -E '^esterno$'

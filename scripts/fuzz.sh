#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time
# (FUZZ_SECONDS, 60 by default) from its seed corpus. A crash fails the run
# and leaves the input that caused it in build-fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
secondi=${FUZZ_SECONDS:-60}
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DFV_FUZZ=ON -DFV_TESTS=OFF -DFV_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build-fuzz -j"$(nproc)" --target fuzz_numeri fuzz_modello fuzz_sql fuzz_accesso
for nome in numeri modello sql accesso; do
  lavoro=build-fuzz/corpus-$nome
  mkdir -p "$lavoro"
  echo "fuzz_$nome: $secondi s"
  if ! (cd build-fuzz && ./tests/fuzz/fuzz_$nome -max_total_time="$secondi" -print_final_stats=1 \
          "../$lavoro" "../tests/fuzz/corpus/$nome" >"../$lavoro.log" 2>&1); then
    tail -n 60 "$lavoro.log" >&2
    echo "fuzz_$nome found a failing input (saved in build-fuzz/)" >&2
    exit 1
  fi
  grep -E '^Done|stat::number_of_executed_units' "$lavoro.log"
done

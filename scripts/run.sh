#!/usr/bin/env bash
# Set-up, build, and open the window on the bundled data (data.mdb beside the program).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build build -j"$(nproc)"
cd build
exec ./calcolo-fv

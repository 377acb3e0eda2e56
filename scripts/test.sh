#!/usr/bin/env bash
# Sets up the machine, builds everything and runs all tests.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
cmake --preset release -DZEMBERA_TESTS=ON -DZEMBERA_BENCH=ON >/dev/null
cmake --build --preset release -j"$(nproc)"
ctest --preset release -j"$(nproc)"

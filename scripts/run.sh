#!/usr/bin/env bash
# Sets up the machine, builds the program with its bundled data and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
cmake --preset release -DZEMBERA_TESTS=OFF -DZEMBERA_BENCH=OFF >/dev/null
cmake --build --preset release -j"$(nproc)"
exec build/release/program/zembera "$@"

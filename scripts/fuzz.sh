#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each one on its seed corpus.
# Usage: scripts/fuzz.sh [seconds per target]   (0: only replay the seeds)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}
bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
for source in fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  cmake --build --preset fuzz --target "$name" -j"$(nproc)"
  seeds="fuzz/corpus/${name%_fuzz}"
  work=$(mktemp -d)
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  if [ "$seconds" -gt 0 ]; then
    echo "== $name: ${seconds}s"
    "build/fuzz/fuzz/$name" -max_total_time="$seconds" -print_final_stats=1 "$work" 2>&1 | tail -n 3
  else
    echo "== $name: seeds"
    "build/fuzz/fuzz/$name" -runs=0 "$work" 2>&1 | tail -n 1
  fi
  rm -rf "$work"
done

#!/usr/bin/env bash
# Builds the libFuzzer targets and runs each one on its seed corpus, printing per target the
# inputs run, the coverage reached and the crashes found; exits non-zero when any target crashed.
# Usage: scripts/fuzz.sh [seconds per target]   (0: only replay the seeds, as CI does)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
seconds=${1:-60}
# Targets fed text: inputs up to 1 MB, so that a path quadratic in the input length shows up.
text_targets=" makam_file melody_file pitch_table record_file text_fields sample_names settings "
bash scripts/install-deps.sh
cmake --preset fuzz >/dev/null
failed=()
for source in fuzz/*_fuzz.cpp; do
  name=$(basename "$source" .cpp)
  target=${name%_fuzz}
  log=$(mktemp)
  if ! cmake --build --preset fuzz --target "$name" -j"$(nproc)" >"$log" 2>&1; then
    grep -m 5 -A 5 'error' "$log" || tail -n 30 "$log"
    echo "$target: build failed"
    exit 1
  fi
  work=$(mktemp -d)
  artifacts=$(mktemp -d)
  seeds="fuzz/corpus/$target"
  [ -d "$seeds" ] && cp -r "$seeds"/. "$work"/
  options=(-print_final_stats=1 -timeout=25 -artifact_prefix="$artifacts/")
  [[ $text_targets == *" $target "* ]] && options+=(-max_len=1048576)
  if [ "$seconds" -gt 0 ]; then
    options+=(-max_total_time="$seconds")
  else
    options+=(-runs=0)
  fi
  status=0
  "build/fuzz/fuzz/$name" "${options[@]}" "$work" >"$log" 2>&1 || status=$?
  runs=$(grep -o 'number_of_executed_units: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$' || true)
  cov=$(grep -o 'cov: [0-9]*' "$log" | tail -n 1 | grep -o '[0-9]*$' || true)
  crashes=$(find "$artifacts" -type f | wc -l)
  printf '%-18s runs %9s   cov %6s   crashes %s\n' "$target" "${runs:-?}" "${cov:-?}" "$crashes"
  if [ "$status" -ne 0 ] || [ "$crashes" -gt 0 ]; then
    failed+=("$target")
    grep -A 30 -m 1 -E '^==[0-9]+==|deadly signal|ERROR: libFuzzer' "$log" || tail -n 30 "$log"
    cp "$artifacts"/* build/fuzz/ 2>/dev/null && echo "  inputs kept in build/fuzz/" || true
  fi
  rm -rf "$work" "$artifacts" "$log"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "crashed: ${failed[*]}"
  exit 1
fi

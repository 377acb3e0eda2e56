#!/usr/bin/env bash
# Fails when a C++ file is not formatted as .clang-format says, and prints the fix.
set -euo pipefail
cd "$(dirname "$0")/.."
files=$(git ls-files '*.cpp' '*.h')
if ! clang-format --dry-run --Werror $files; then
  echo "Run: clang-format -i \$(git ls-files '*.cpp' '*.h')" >&2
  exit 1
fi

#!/usr/bin/env bash
# Builds and runs the tests under AddressSanitizer and UndefinedBehaviorSanitizer, then the sound
# tests under ThreadSanitizer.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
bash scripts/install-deps.sh
cmake --preset asan >/dev/null
cmake --build --preset asan -j"$(nproc)"
ctest --preset asan -j"$(nproc)"

# ThreadSanitizer: only the engine and the audio device with their tests, where the UI thread and
# the audio thread meet (the build preset builds test_engine and test_audio_device alone). The preset is a debug build, so the UI-thread
# assertions are compiled in. A race report makes the run exit non-zero. Address space layout
# randomisation is turned off for the run: ThreadSanitizer's fixed memory layout fails on kernels
# with many random mmap bits.
cmake --preset tsan >/dev/null
cmake --build --preset tsan -j"$(nproc)"
norandom=()
if setarch "$(uname -m)" -R true 2>/dev/null; then norandom=(setarch "$(uname -m)" -R); fi
for test in test_engine test_audio_device; do
  TSAN_OPTIONS="second_deadlock_stack=1 ${TSAN_OPTIONS:-}" "${norandom[@]}" build/tsan/tests/$test
done

#!/usr/bin/env bash
# Builds the engine and timer thread tests with ThreadSanitizer into
# build-tsan/ and runs them once; any data race fails the run.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
dir="$root/build-tsan"
cmake -S "$root" -B "$dir" -G Ninja -DPORONKA_TSAN=ON -DPORONKA_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j"$(nproc)" --target test_threads
TSAN_OPTIONS="halt_on_error=1 second_deadlock_stack=1 ${TSAN_OPTIONS:-}" "$dir/test_threads"

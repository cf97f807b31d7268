#!/usr/bin/env bash
# Sets up, builds and runs every test headless. PORONKA_SANITIZE=1 builds and
# runs them with AddressSanitizer and UndefinedBehaviorSanitizer.
# After the tests each fuzz harness runs for PORONKA_FUZZ_SECONDS (20; 0
# skips them) and the engine and timer thread tests run once under
# ThreadSanitizer (PORONKA_TSAN=0 skips that).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
dir="$("$root/scripts/build.sh" | tail -n 1)"
(
  export QT_QPA_PLATFORM=offscreen
  cd "$dir"
  ctest --output-on-failure -j"$(nproc)" --timeout 600
)
seconds="${PORONKA_FUZZ_SECONDS:-20}"
if [ "$seconds" != 0 ]; then
  "$root/scripts/fuzz.sh" all "$seconds"
fi
if [ "${PORONKA_TSAN:-1}" != 0 ]; then
  "$root/scripts/tsan.sh"
fi

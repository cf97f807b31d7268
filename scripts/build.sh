#!/usr/bin/env bash
# Configures and builds into build/ (or build-asan/ with PORONKA_SANITIZE=1).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/setup.sh"
dir="$root/build"
extra=()
if [ "${PORONKA_SANITIZE:-0}" = "1" ]; then
  dir="$root/build-asan"
  extra+=(-DPORONKA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug)
fi
cmake -S "$root" -B "$dir" -G Ninja "${extra[@]}" >/dev/null
cmake --build "$dir" -j"$(nproc)" "$@"
echo "$dir"

#!/usr/bin/env bash
# Builds the libFuzzer harnesses of fuzz/ with clang into build-fuzz/ and
# runs them: scripts/fuzz.sh [TARGET|all] [SECONDS]  (default: all, 60 s each).
# Targets: mbt, mbt_round_trip, smf, playlist, title. Each grows its corpus in
# build-fuzz/corpus/TARGET from fuzz/corpus/ and fuzz/seeds/, the examples and the
# test generator's score files (and the examples exported as MIDI files when
# build/poronka-cli has been built); a crash is written to
# build-fuzz/crashes/ and makes the script fail. FUZZ_ARGS adds libFuzzer
# options, e.g. FUZZ_ARGS=-runs=10000000; FUZZ_TIMEOUT is the seconds one input
# may take (30: the clock is the wall clock, and a loaded machine stalls runs).
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
all=(mbt mbt_round_trip smf playlist title)
target="${1:-all}"
seconds="${2:-60}"
if [ "$target" = all ]; then
  targets=("${all[@]}")
elif [[ " ${all[*]} " == *" $target "* ]]; then
  targets=("$target")
else
  echo "usage: scripts/fuzz.sh [${all[*]// /|}|all] [SECONDS]" >&2
  exit 2
fi
"$root/scripts/setup.sh"
dir="$root/build-fuzz"
CC=clang CXX=clang++ cmake -S "$root" -B "$dir" -G Ninja -DPORONKA_FUZZ=ON -DPORONKA_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$dir" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

seeds_of() {
  local t="$1" s="$dir/seeds/$1.$2"
  rm -rf "$s"
  mkdir -p "$s"
  case "$t" in
    mbt | mbt_round_trip)
      cp "$root"/examples/*.mbt "$s"/
      python3 "$root/tests/cli/gen_mbt_cases.py" "$s" >/dev/null
      ;;
    *) cp "$root/fuzz/seeds/$t"/* "$s"/ ;;
  esac
  # The corpus kept in the repository: the long runs' inputs, merged.
  if [ -d "$root/fuzz/corpus/$t" ]; then cp "$root/fuzz/corpus/$t"/* "$s"/; fi
  if [ "$t" = smf ] || [ "$t" = title ] && [ -x "$root/build/poronka-cli" ]; then
    for song in "$root"/examples/*.mbt; do
      "$root/build/poronka-cli" convert "$song" "$s/$(basename "${song%.mbt}").mid" >/dev/null 2>&1 || true
    done
  fi
  echo "$s"
}
dict_of() {
  case "$1" in
    mbt | mbt_round_trip) echo "$root/fuzz/dict/mbt.dict" ;;
    *) echo "$root/fuzz/dict/$1.dict" ;;
  esac
}

failed=()
for t in "${targets[@]}"; do
  corpus="$dir/corpus/$t"
  mkdir -p "$corpus" "$dir/crashes" "$dir/logs"
  # One log per run (two runs may share the folder); TARGET.log is the latest.
  log="$dir/logs/$t.$$.log"
  ln -sfn "$(basename "$log")" "$dir/logs/$t.log"
  seeds="$(seeds_of "$t" "$$")"
  echo "fuzz $t: ${seconds} s" >&2
  set +e
  # shellcheck disable=SC2086
  "$dir/fuzz/fuzz_$t" -max_total_time="$seconds" -timeout="${FUZZ_TIMEOUT:-30}" -rss_limit_mb=2048 \
    -dict="$(dict_of "$t")" -artifact_prefix="$dir/crashes/$t-" -print_final_stats=1 \
    ${FUZZ_ARGS:-} "$corpus" "$seeds" >"$log" 2>&1
  rc=$?
  set -e
  rm -rf "$seeds"
  # The last status line: executions, coverage, corpus; then the rate.
  status="$(grep -aE '^#[0-9]+' "$log" | tail -n 1 || true)"
  rate="$(grep -a 'average_exec_per_sec' "$log" | awk '{print $2}' || true)"
  echo "fuzz $t: ${status:-no status} exec/s: ${rate:-?}" >&2
  if [ "$rc" -ne 0 ]; then
    grep -aE 'ERROR|fuzz check failed|SUMMARY|Test unit written' "$log" >&2 || tail -n 30 "$log" >&2
    failed+=("$t")
  fi
done
if ((${#failed[@]})); then
  echo "fuzz: failed: ${failed[*]} (logs in $dir/logs, inputs in $dir/crashes)" >&2
  exit 1
fi

#!/usr/bin/env bash
# Fuzzes one input of the program for a fixed number of inputs (default 100000):
#   scripts/fuzz.sh import|settings|reference [INPUTS]
# import: one import file run through a complete import; settings: the settings file; reference:
# the two reference lists loaded into the admin database.
# Builds fuzz/TARGET_fuzzer with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer in
# build-fuzz, seeds it, and runs it at low priority on one core. A finding stops the run; its input
# lands in build-fuzz/findings/ as TARGET-crash-... Not part of CI.
# Environment: FUZZ_JOBS (processes sharing the inputs, default 1; their logs are
# build-fuzz/fuzz-N.log), FUZZ_BUILD (build folder), FUZZ_FLAGS (more libFuzzer options).
set -euo pipefail
cd "$(dirname "$0")/.."

target=${1:-}
case "$target" in
  import | settings | reference) ;;
  *)
    echo "Aufruf: $0 import|settings|reference [EINGABEN]" >&2
    exit 1
    ;;
esac
inputs=${2:-100000}
jobs=${FUZZ_JOBS:-1}
build=$(realpath -m "${FUZZ_BUILD:-build-fuzz}")

bash scripts/install-deps.sh --fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALMORA_FUZZ=ON \
  -DKALMORA_BUILD_GUI=OFF -DKALMORA_BUILD_TESTS=OFF >/dev/null
nice -n 10 cmake --build "$build" --target "${target}_fuzzer" kalmora-cli -j2
cli="$build/src/kalmora-cli"

seeds="$build/seeds/$target"
rm -rf "$seeds"
mkdir -p "$seeds" "$build/corpus/$target" "$build/findings"
generated=$(mktemp -d)
trap 'rm -rf "$generated"' EXIT

# An input is the file name, a line feed, then the file's bytes.
seed_import() {
  for file in tests/data/import/*/*.txt; do
    name=$(basename "$file")
    case "$name" in expected.txt | runs.txt) continue ;; esac
    { printf '%s\n' "$name"; cat "$file"; } >"$seeds/$(basename "$(dirname "$file")")-$name"
  done
  for seed in 1 2 3; do
    for department in "--hospital K002 --department 121001" "--hospital K001 --department 125101"; do
      # shellcheck disable=SC2086
      file=$("$cli" generate "$generated/$seed" $department --stays 8 --seed "$seed")
      { printf '%s\n' "$(basename "$file")"; cat "$file"; } >"$seeds/generated-$seed-$(basename "$file")"
    done
  done
}

# An input is the settings file: as setup writes it, and the kept findings and hand-made variants.
seed_settings() {
  "$cli" --ini "$generated/setup.ini" setup "$generated/installation" --reference data/reference >/dev/null
  cp "$generated/setup.ini" "$seeds/setup.ini"
  cp tests/data/fuzz/settings/* "$seeds/"
}

# An input is the hospitals list, a NUL byte, then the departments list: the shipped lists, and the
# kept findings and hand-made variants.
seed_reference() {
  { cat data/reference/hospitals.csv; printf '\0'; cat data/reference/departments.csv; } >"$seeds/shipped"
  cp tests/data/fuzz/reference/* "$seeds/"
}

"seed_$target"

# -max_len keeps inputs to a few dozen records or lines, which reaches every check (a settings value
# past the 254 characters it is cut to as well) while keeping each run short. A small quarantine and
# short allocation stacks halve the time per input; to read a finding's full stacks, run the fuzzer
# on it alone without ASAN_OPTIONS.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=1:malloc_context_size=2:max_malloc_fill_size=0}
options=(-max_len=4096 -timeout=30 -rss_limit_mb=2048 -artifact_prefix="$build/findings/$target-"
  -print_final_stats=1)
if [ "$jobs" -gt 1 ]; then
  options+=(-jobs="$jobs" -workers="$jobs")
fi
start=$(date +%s)
marker="$generated/started"
touch "$marker"
cd "$build"
status=0
# shellcheck disable=SC2086
nice -n 10 "$build/fuzz/${target}_fuzzer" -runs=$((inputs / jobs)) "${options[@]}" ${FUZZ_FLAGS:-} \
  "$build/corpus/$target" "$seeds" || status=$?
if [ "$jobs" -gt 1 ]; then
  grep -h "^Done" "$build"/fuzz-*.log || true
fi
# The other jobs run their share to the end when one stops at a finding: every finding is named.
found=$(find "$build/findings" -name "$target-*" -newer "$marker")
if [ "$status" -ne 0 ] || [ -n "$found" ]; then
  printf 'Befund:\n%s\n' "$found" >&2
  exit 2
fi
echo "$((inputs / jobs * jobs)) Eingaben in $(($(date +%s) - start)) s ohne Befund."

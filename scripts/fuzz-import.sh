#!/usr/bin/env bash
# Fuzzes the import of one file for a fixed number of inputs (default 100000):
#   scripts/fuzz-import.sh [INPUTS]
# Builds fuzz/import_fuzzer with clang, libFuzzer, AddressSanitizer and UndefinedBehaviorSanitizer in
# build-fuzz, seeds it with the import case files and generated files, and runs it at low priority
# on one core. A finding stops the run; its input lands in build-fuzz/findings/. Not part of CI.
# Environment: FUZZ_JOBS (processes sharing the inputs, default 1; their logs are
# build-fuzz/fuzz-N.log), FUZZ_BUILD (build folder), FUZZ_FLAGS (more libFuzzer options).
set -euo pipefail
cd "$(dirname "$0")/.."

inputs=${1:-100000}
jobs=${FUZZ_JOBS:-1}
build=$(realpath -m "${FUZZ_BUILD:-build-fuzz}")

# clang and its sanitizer and libFuzzer runtimes, and the libraries the core needs.
packages=(clang libclang-rt-14-dev cmake make libsqlite3-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

CC=clang CXX=clang++ cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKALMORA_FUZZ=ON \
  -DKALMORA_BUILD_GUI=OFF -DKALMORA_BUILD_TESTS=OFF >/dev/null
nice -n 10 cmake --build "$build" --target import_fuzzer kalmora-cli -j2

# Seeds: an input is the file name, a line feed, then the file's bytes.
seeds="$build/seeds"
rm -rf "$seeds"
mkdir -p "$seeds" "$build/corpus" "$build/findings"
for file in tests/data/import/*/*.txt; do
  name=$(basename "$file")
  case "$name" in expected.txt | runs.txt) continue ;; esac
  { printf '%s\n' "$name"; cat "$file"; } >"$seeds/$(basename "$(dirname "$file")")-$name"
done
generated=$(mktemp -d)
trap 'rm -rf "$generated"' EXIT
for seed in 1 2 3; do
  for department in "--hospital K002 --department 121001" "--hospital K001 --department 125101"; do
    # shellcheck disable=SC2086
    file=$("$build/src/kalmora-cli" generate "$generated/$seed" $department --stays 8 --seed "$seed")
    { printf '%s\n' "$(basename "$file")"; cat "$file"; } >"$seeds/generated-$seed-$(basename "$file")"
  done
done

# -max_len keeps inputs to a few dozen records, which reaches every check while keeping each run
# short. A small quarantine and short allocation stacks halve the time per input; to read a
# finding's full stacks, run the fuzzer on it alone without ASAN_OPTIONS.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=1:malloc_context_size=2:max_malloc_fill_size=0}
options=(-max_len=4096 -timeout=30 -rss_limit_mb=2048 -artifact_prefix="$build/findings/" -print_final_stats=1)
if [ "$jobs" -gt 1 ]; then
  options+=(-jobs="$jobs" -workers="$jobs")
fi
start=$(date +%s)
cd "$build"
# shellcheck disable=SC2086
nice -n 10 "$build/fuzz/import_fuzzer" -runs=$((inputs / jobs)) "${options[@]}" ${FUZZ_FLAGS:-} "$build/corpus" "$seeds"
if [ "$jobs" -gt 1 ]; then
  grep -h "^Done" "$build"/fuzz-*.log
fi
echo "$((inputs / jobs * jobs)) Eingaben in $(($(date +%s) - start)) s ohne Befund."

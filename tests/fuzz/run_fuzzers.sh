#!/usr/bin/env bash
# Runs every harness of a -DQUILLET_FUZZ=ON build tree for a bounded time, each from its
# corpus in the repository (seeds and the inputs of crashes found before: regression
# cases, run first). New inputs go to a scratch folder; a crash stops the run with the
# input kept in BUILD_DIR/fuzz-crashes. Prints the executions of each.
# Usage: tests/fuzz/run_fuzzers.sh BUILD_DIR SECONDS_EACH [more libFuzzer options]
set -euo pipefail
build=$1 seconds=$2
shift 2
here=$(cd "$(dirname "$0")" && pwd)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$build/fuzz-crashes"
total=0
for fuzzer in effect_state registry_file registry_script picture_reader frei0r_params; do
  mkdir -p "$scratch/$fuzzer"
  log=$scratch/$fuzzer.log
  if ! "$build/tests/fuzz/${fuzzer}_fuzzer" -max_total_time="$seconds" -max_len=4096 -timeout=30 \
      -artifact_prefix="$build/fuzz-crashes/$fuzzer-" -print_final_stats=1 "$@" \
      "$scratch/$fuzzer" "$here/corpus/$fuzzer" >"$log" 2>&1; then
    tail -n 60 "$log"
    echo "$fuzzer: failed; the input is kept in $build/fuzz-crashes" >&2
    exit 1
  fi
  runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  echo "$fuzzer: $runs executions in ${seconds} s"
  total=$((total + runs))
done
echo "all harnesses: $total executions"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every fuzz target of a fuzz build for SECONDS each, keeping a corpus per target under the
# build folder that starts from the committed one (corpus.sh). Fails on the first crash, sanitizer report or reference mismatch; the input that
# caused it is left in BUILD/fuzz-artifacts/.
# Usage: tests/fuzz/run.sh BUILD SECONDS
set -euo pipefail

build=${1:?usage: run.sh BUILD SECONDS}
seconds=${2:?usage: run.sh BUILD SECONDS}
artifacts="$build/fuzz-artifacts"
mkdir -p "$artifacts"

targets=("$build"/tests/fuzz/fuzz_*)
if [ ! -x "${targets[0]}" ]; then
  echo "Aucune cible de fuzzing dans $build/tests/fuzz" >&2
  exit 1
fi

passed=0
failed=0
for target in "${targets[@]}"; do
  [ -x "$target" ] || continue
  name=$(basename "$target")
  corpus="$build/fuzz-corpus/$name"
  bash "$(dirname "$0")/corpus.sh" unpack "$name" "$corpus"
  echo "== $name: ${seconds}s"
  if ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
     "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 -use_value_profile=1 \
       -artifact_prefix="$artifacts/$name-" "$corpus" >"$build/fuzz-$name.log" 2>&1; then
    passed=$((passed + 1))
    grep -E '^stat::number_of_executed_units' "$build/fuzz-$name.log" || true
  else
    failed=$((failed + 1))
    tail -n 40 "$build/fuzz-$name.log"
    echo "== $name FAILED (log: $build/fuzz-$name.log)"
  fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A long fuzzing campaign: every target of a fuzz build runs to RUNS executions or SECONDS, whichever
# comes first, JOBS at a time, starting from its committed corpus. Each grown corpus is minimized
# (libFuzzer's merge) and packed back into tests/fuzz/corpus/, where the short runs of
# tests/fuzz/run.sh start from it. Prints one table row per target; stops on the first crash,
# whose input is left in BUILD/campaign/. Names of targets after JOBS limit the campaign to them.
# Usage: tests/fuzz/campaign.sh BUILD [RUNS [SECONDS [JOBS [TARGET...]]]]
set -euo pipefail

build=${1:?usage: campaign.sh BUILD [RUNS [SECONDS [JOBS [TARGET...]]]]}
runs=${2:-10000000}
seconds=${3:-1800}
jobs=${4:-2}
shift $(($# < 4 ? $# : 4))
names=("$@")
here=$(cd "$(dirname "$0")" && pwd)
work="$build/campaign"
mkdir -p "$work"

# Runs one target and minimizes its corpus; writes its table row to $work/NAME.row.
campaign() {
  local target=$1 name corpus log started elapsed
  name=$(basename "$target")
  corpus="$work/$name"
  log="$work/$name.log"
  bash "$here/corpus.sh" unpack "$name" "$corpus"
  started=$(date +%s)
  if ! ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
       "$target" -runs="$runs" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
       -use_value_profile=1 -print_final_stats=1 -artifact_prefix="$work/$name-" "$corpus" \
       >"$log" 2>&1; then
    tail -n 40 "$log"
    echo "| $name | crash, see $log | | | |" >"$work/$name.row"
    return 1
  fi
  elapsed=$(($(date +%s) - started))
  local minimized="$work/$name.min"
  rm -rf "$minimized" && mkdir -p "$minimized"
  "$target" -merge=1 -use_value_profile=1 -timeout=10 "$minimized" "$corpus" >"$work/$name.merge.log" 2>&1
  bash "$here/corpus.sh" pack "$name" "$minimized"
  local executed rate
  executed=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
  echo "| $name | $rate | $executed | $elapsed s | 0 | $(ls "$minimized" | wc -l) |" >"$work/$name.row"
}

failed=0
running=0
for target in "$build"/tests/fuzz/fuzz_*; do
  [ -x "$target" ] || continue
  if [ "${#names[@]}" -gt 0 ] && [[ ! " ${names[*]} " =~ " $(basename "$target") " ]]; then
    continue
  fi
  if [ "$running" -ge "$jobs" ]; then
    wait -n || failed=1
    running=$((running - 1))
  fi
  echo "== $(basename "$target"): up to $runs executions or $seconds s"
  campaign "$target" &
  running=$((running + 1))
done
while [ "$running" -gt 0 ]; do
  wait -n || failed=1
  running=$((running - 1))
done

echo "| target | executions/s | executions | time | crashes | corpus inputs |"
echo "|---|---|---|---|---|---|"
cat "$work"/*.row
exit "$failed"

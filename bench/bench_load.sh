#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Loading a file into the text view (bench/view_bench load: the load and the line count, timed in
# the process) beside `wc -l` on the same file, and the peak memory of the whole process beside
# the file's size, for the corpus with CR LF breaks, with LF breaks and in UTF-8 (LF). Best of 3
# warm runs. Targets: memory <= 1.25 x the file, and the UTF-8 load at most 1.5 x the
# Windows-1252 load of the same text (LF). The load against wc -l is reported, not a goal: a
# load's floor is a read into fresh memory (see bench_cold.sh), which wc -l does not pay.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bench="$TROUVE_BUILD/bench/view_bench"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
source "$here/lib.sh"

load_seconds() { # the best of 3 in-process load times of $1
  local best="" t
  for _ in 1 2 3; do
    t=$("$bench" load "$1" 2>/dev/null | sed -n 's/^load \([0-9.]*\) s.*/\1/p')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}

printf '| %-10s | %11s | %9s | %7s | %7s | %8s | %9s | %9s |\n' \
  file bytes lines wc_s load_s load/wc peak_MiB peak/file
echo "|------------|-------------|-----------|---------|---------|----------|-----------|-----------|"
declare -A LOAD
for name in "CR LF" "LF" "UTF-8"; do
  case $name in
    "CR LF") file=$TROUVE_CORPUS ;;
    LF) file=$TROUVE_CORPUS_LF ;;
    UTF-8) file=$TROUVE_CORPUS_UTF8 ;;
  esac
  cat "$file" >/dev/null # warm the cache
  size=$(stat -c %s "$file")
  wc_s=$(best_seconds wc -l "$file")
  load_s=$(load_seconds "$file")
  lines=$("$bench" load "$file" 2>/dev/null | sed -n 's/.* s, \([0-9]*\) lines/\1/p')
  peak_kib=$( (/usr/bin/time -f %M "$bench" load "$file" >/dev/null) 2>&1 | tail -1)
  time_ratio=$(ratio "$load_s" "$wc_s")
  memory_ratio=$(awk -v k="$peak_kib" -v b="$size" 'BEGIN { printf "%.2f", k * 1024 / b }')
  printf '| %-10s | %11s | %9s | %7s | %7s | %8s | %9s | %9s |\n' \
    "$name" "$size" "$lines" "$wc_s" "$load_s" "$time_ratio" "$(mib "$peak_kib")" "$memory_ratio"
  LOAD[$name]=$load_s
  RESULTS+=("load memory $name|$memory_ratio|x file|1.25")
  REPORTS+=("load $name|$time_ratio|x wc -l")
done
reports "${REPORTS[@]}"
targets "${RESULTS[@]}"
target "load UTF-8 vs Windows-1252" "$(ratio "${LOAD[UTF-8]}" "${LOAD[LF]}")" "x the LF load" 1.5

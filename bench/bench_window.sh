#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The search run of the real window (bench/window_search: the file loaded through the open
# handler, then one click of Exec. timed inside the process, offscreen) beside rg and GNU grep on
# the same corpus in the same run; then the same four searches in the corpus re-encoded in UTF-8
# beside the window's runs in the Windows-1252 text. Best of 3 warm runs; peak memory of the whole
# window process (the loaded text included) by GNU time. Patterns as in bench_search.sh.
# Targets: the searches that find something <= 0.8 x rg; UTF-8 <= 1.5 x Windows-1252. The absent
# word against rg is reported, not a goal: rg maps the file, which the window reads so that a file
# shrinking under it cannot crash it.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${TROUVE_BUILD:-$here/../build}
out=${TROUVE_BENCH_OUT:-$here/out}
corpus=${TROUVE_CORPUS:-$out/corpus-256.txt}
utf8=${TROUVE_CORPUS_UTF8:-$out/corpus-256-utf8.txt}
result="$out/bench_window.out"
memory="$out/bench_window.mem"
source "$here/lib.sh"

# window_best FILE PATTERN: sets WINDOW (seconds of the run), COUNT (result lines), PEAK (KiB),
# RESULT_BYTES and TEXT_BYTES (of the result list's text and of the loaded text).
window_best() {
  WINDOW=""
  for _ in 1 2 3; do
    /usr/bin/time -f %M -o "$memory" "$build/bench/window_search" "$1" "$2" > "$result" 2>/dev/null
    local seconds
    seconds=$(awk '{ print $1 }' "$result")
    if [ -z "$WINDOW" ] || awk -v s="$seconds" -v b="$WINDOW" 'BEGIN { exit !(s < b) }'; then
      WINDOW=$seconds
      COUNT=$(awk '{ print $2 }' "$result")
      RESULT_BYTES=$(awk '{ print $4 }' "$result")
      TEXT_BYTES=$(awk '{ print $5 }' "$result")
      PEAK=$(tail -n 1 "$memory")
    fi
  done
}

cases=("absent|xylophone|1|-F -n --column|-F -n"
       "frequent|plus|0.8|-F -o -n --column|-F -o -n -b"
       "2-letter|on|0.8|-F -o -n --column|-F -o -n -b"
       "overlap|de de|0.8|-F -o -n --column|-F -o -n -b")

cat "$corpus" > /dev/null # warm the cache
echo "Corpus: $corpus ($(stat -c %s "$corpus") bytes); window run = one click of Exec."
printf '| %-8s | %-11s | %9s | %9s | %8s | %6s | %6s | %9s | %7s | %8s | %10s |\n' \
  case pattern results rg_lines window_s rg_s grep_s window/rg target window/grep peak_MiB
printf '|%s|\n' "----------|-------------|-----------|-----------|----------|--------|--------|-----------|---------|----------|------------"
declare -A CP1252 TARGETS
set +e # rg and grep exit 1 when they find nothing
for row in "${cases[@]}"; do
  IFS='|' read -r name pattern goal rgflags grepflags <<<"$row"
  window_best "$corpus" "$pattern"
  window=$WINDOW count=$COUNT peak=$PEAK
  # shellcheck disable=SC2086
  best_of_3 rg $rgflags -- "$pattern" "$corpus"
  rg=$BEST
  rgCount=$(wc -l < "$result")
  # shellcheck disable=SC2086
  best_of_3 grep $grepflags -- "$pattern" "$corpus"
  grep=$BEST
  printf '| %-8s | %-11s | %9s | %9s | %8s | %6s | %6s | %9s | %7s | %8s | %10s |\n' \
    "$name" "\"$pattern\"" "$count" "$rgCount" "$window" "$rg" "$grep" "$(ratio "$window" "$rg")" \
    "<= $goal" "$(ratio "$window" "$grep")" "$(mib "$peak")"
  CP1252[$name]=$window
  TARGETS[$name]="$(ratio "$window" "$rg")|$goal"
done
set -e
echo "(rg and grep list \"de de\" without its overlapping occurrences; the window lists them all.)"

cat "$utf8" > /dev/null
echo
echo "UTF-8 corpus: $utf8 ($(stat -c %s "$utf8") bytes, LF), beside the window in Windows-1252"
printf '| %-8s | %9s | %8s | %9s | %9s | %10s |\n' case results window_s cp1252_s utf8/cp1252 peak_MiB
echo "|----------|-----------|----------|-----------|-----------|------------|"
declare -A UTF8
for row in "${cases[@]}"; do
  IFS='|' read -r name pattern _ <<<"$row"
  window_best "$utf8" "$pattern"
  UTF8[$name]=$(ratio "$WINDOW" "${CP1252[$name]}")
  printf '| %-8s | %9s | %8s | %9s | %9s | %10s |\n' \
    "$name" "$COUNT" "$WINDOW" "${CP1252[$name]}" "${UTF8[$name]}" "$(mib "$PEAK")"
done

# Tens of millions of results: "e" lists about 38 million in the corpus. Memory: what the window
# holds beyond the window with the file open and no run (the text is read from the file's pages),
# against the bytes of the result list's text.
cat "$corpus" > /dev/null
window_best "$corpus" e
many=$WINDOW manyCount=$COUNT manyPeak=$PEAK
opened_kib=$( (/usr/bin/time -f %M "$TROUVE_BUILD/bench/window_open" "$corpus" >/dev/null) 2>&1 | tail -1)
beyond=$(awk -v p="$PEAK" -v o="$opened_kib" -v r="$RESULT_BYTES" \
  'BEGIN { printf "%.2f", (p - o) * 1024 / r }')
best_of_3 rg -F -o -n --column e "$corpus"
echo
echo "Many results: \"e\", $manyCount result lines ($RESULT_BYTES bytes): window $many s, rg $BEST s;"
echo "peak $(mib "$manyPeak") MiB = the window with the file open $(mib "$opened_kib") MiB + $beyond x the result lines"
manyRatio=$(ratio "$many" "$BEST")
rm -f "$result" "$memory"

for row in "${cases[@]}"; do
  IFS='|' read -r name _ <<<"$row"
  IFS='|' read -r figure goal <<<"${TARGETS[$name]}"
  if [ "$name" = absent ]; then
    report "search $name" "$figure" "x rg" # rg maps the file; the window reads it
  else
    target "search $name" "$figure" "x rg" "$goal"
  fi
done
target "search many results" "$manyRatio" "x rg" 0.8
target "results memory" "$beyond" "x result bytes beyond the opened window" 1.15
for row in "${cases[@]}"; do
  IFS='|' read -r name _ <<<"$row"
  target "search UTF-8 $name" "${UTF8[$name]}" "x Windows-1252" 1.5
done

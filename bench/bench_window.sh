#!/usr/bin/env bash
# The search run of the real window (bench/window_search: the file loaded through the open
# handler, then one click of Exec. timed inside the process, offscreen) beside rg and GNU grep on
# the same corpus in the same run. Best of 3 warm runs; peak memory of the whole window process
# (the loaded text included) by GNU time. Patterns as in bench_search.sh.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${TROUVE_BUILD:-$here/../build}
out=${TROUVE_BENCH_OUT:-$here/out}
corpus=${TROUVE_CORPUS:-$out/corpus-256.txt}
result="$out/bench_window.out"
memory="$out/bench_window.mem"
source "$here/lib.sh"
cat "$corpus" > /dev/null # warm the cache

# window_best PATTERN: sets WINDOW (seconds of the run), COUNT (result lines), PEAK (KiB).
window_best() {
  WINDOW=""
  for _ in 1 2 3; do
    /usr/bin/time -f %M -o "$memory" "$build/bench/window_search" "$corpus" "$1" > "$result" 2>/dev/null
    local seconds
    seconds=$(awk '{ print $1 }' "$result")
    if [ -z "$WINDOW" ] || awk -v s="$seconds" -v b="$WINDOW" 'BEGIN { exit !(s < b) }'; then
      WINDOW=$seconds
      COUNT=$(awk '{ print $2 }' "$result")
      PEAK=$(tail -n 1 "$memory")
    fi
  done
}

echo "Corpus: $corpus ($(stat -c %s "$corpus") bytes); window run = one click of Exec."
printf '| %-8s | %-11s | %9s | %9s | %8s | %6s | %6s | %9s | %7s | %8s | %10s |\n' \
  case pattern results rg_lines window_s rg_s grep_s window/rg target window/grep peak_MiB
printf '|%s|\n' "----------|-------------|-----------|-----------|----------|--------|--------|-----------|---------|----------|------------"
run_case() {
  local name=$1 pattern=$2 target=$3 rgflags=$4 grepflags=$5
  window_best "$pattern"
  local window=$WINDOW count=$COUNT peak=$PEAK
  # shellcheck disable=SC2086
  best_of_3 rg $rgflags -- "$pattern" "$corpus"
  local rg=$BEST rgCount
  rgCount=$(wc -l < "$result")
  # shellcheck disable=SC2086
  best_of_3 grep $grepflags -- "$pattern" "$corpus"
  local grep=$BEST
  printf '| %-8s | %-11s | %9s | %9s | %8s | %6s | %6s | %9s | %7s | %8s | %10s |\n' \
    "$name" "\"$pattern\"" "$count" "$rgCount" "$window" "$rg" "$grep" "$(ratio "$window" "$rg")" \
    "<= $target" "$(ratio "$window" "$grep")" "$(mib "$peak")"
}
set +e # rg and grep exit 1 when they find nothing
run_case absent xylophone 2 "-F -n --column" "-F -n"
run_case frequent plus 1 "-F -o -n --column" "-F -o -n -b"
run_case 2-letter on 1 "-F -o -n --column" "-F -o -n -b"
run_case overlap "de de" 1 "-F -o -n --column" "-F -o -n -b"
echo "(rg and grep list \"de de\" without its overlapping occurrences; the window lists them all.)"
rm -f "$result" "$memory"

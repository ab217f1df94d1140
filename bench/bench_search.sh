#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The search engine (bench/search_file) beside rg and GNU grep on the generated corpus, and the
# line reader (bench/read_lines) beside cat. Best of 3 warm runs; peak memory by GNU time.
#
# Patterns, counted in the 256 MiB corpus of gen_corpus (its seed is fixed):
#   absent    "xylophone"  0 occurrences        (rg -F -n --column, grep -F -n)
#   frequent  "plus"       596,079 occurrences  (rg -F -o -n --column, grep -F -o -n -b)
#   2-letter  "on"         1,970,895 occurrences
#   overlap   "de de"      1,772,225 occurrences with overlaps ("de de de" holds two);
#                          rg and grep list 1,544,716, without overlaps
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${TROUVE_BUILD:-$here/../build}
out=${TROUVE_BENCH_OUT:-$here/out}
corpus=${TROUVE_CORPUS:-$out/corpus-256.txt}
mkdir -p "$out"
if [ ! -s "$corpus" ]; then
  "$build/bench/gen_corpus" "$corpus" "${TROUVE_CORPUS_MIB:-256}"
fi
cat "$corpus" > /dev/null # warm the cache
result="$out/bench_search.out"
memory="$out/bench_search.mem"

source "$here/lib.sh"

echo "Corpus: $corpus ($(stat -c %s "$corpus") bytes), best of 3, warm cache"
printf '%-9s %-11s %10s %10s %8s %8s %8s %7s %7s %5s %8s %8s %8s\n' \
  case pattern ours rg_grep ours_s rg_s grep_s our/rg target our/gr ours_MiB rg_MiB grep_MiB
run_case() {
  local name=$1 pattern=$2 target=$3 rgflags=$4 grepflags=$5
  best_of_3 "$build/bench/search_file" "$corpus" "$pattern"
  local ours=$BEST ourPeak=$PEAK ourCount
  ourCount=$(awk '{ print $2 }' "$result")
  # shellcheck disable=SC2086
  best_of_3 rg $rgflags -- "$pattern" "$corpus"
  local rg=$BEST rgPeak=$PEAK rgCount
  rgCount=$(wc -l < "$result")
  # shellcheck disable=SC2086
  best_of_3 grep $grepflags -- "$pattern" "$corpus"
  local grep=$BEST grepPeak=$PEAK
  printf '%-9s %-11s %10s %10s %8s %8s %8s %7s %7s %5s %8s %8s %8s\n' \
    "$name" "\"$pattern\"" "$ourCount" "$rgCount" "$ours" "$rg" "$grep" \
    "$(ratio "$ours" "$rg")" "<=$target" "$(ratio "$ours" "$grep")" \
    "$(mib "$ourPeak")" "$(mib "$rgPeak")" "$(mib "$grepPeak")"
}
set +e
run_case absent xylophone 2 "-F -n --column" "-F -n"
run_case frequent plus 1 "-F -o -n --column" "-F -o -n -b"
run_case 2-letter on 1 "-F -o -n --column" "-F -o -n -b"
run_case overlap "de de" 1 "-F -o -n --column" "-F -o -n -b"
set -e

echo
# The better of 3 runs for each way of reading (a new string a line, one reused string).
readNew=0
readReused=0
for _ in 1 2 3; do
  speeds=$("$build/bench/read_lines" "$corpus" | awk '{ print $NF }' | tr '\n' ' ')
  set -- $speeds
  readNew=$(awk -v s="$1" -v b="$readNew" 'BEGIN { print (s > b ? s : b) }')
  readReused=$(awk -v s="$2" -v b="$readReused" 'BEGIN { print (s > b ? s : b) }')
done
catBest=""
for _ in 1 2 3; do
  start=$(date +%s%N)
  cat "$corpus" > /dev/null
  end=$(date +%s%N)
  seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
  if [ -z "$catBest" ] || awk -v s="$seconds" -v b="$catBest" 'BEGIN { exit !(s < b) }'; then
    catBest=$seconds
  fi
done
catSpeed=$(awk -v s="$catBest" -v n="$(stat -c %s "$corpus")" 'BEGIN { printf "%.2f", n / s / 1e9 }')
echo "TextReader: readLine() $readNew GB/s, readLine(line) $readReused GB/s (target >= 1);" \
  "cat FILE > /dev/null: $catSpeed GB/s"
rm -f "$result" "$memory"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A 1 GiB file (TROUVE_BIG_MIB) with LF breaks, generated here and removed after: loading it into the text view and
# one click of Exec. for an absent word in the real window, each beside `wc -l` on the same file.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
big="$TROUVE_BENCH_OUT/big-lf.txt"
trap 'rm -f "$big" "$big.crlf"' EXIT
"$TROUVE_BUILD/bench/gen_corpus" "$big.crlf" "${TROUVE_BIG_MIB:-1024}"
tr -d '\r' <"$big.crlf" >"$big"
rm -f "$big.crlf"
cat "$big" >/dev/null
wc_s=$(best_seconds wc -l "$big")
load_s=""
search_s=""
for _ in 1 2 3; do
  t=$("$TROUVE_BUILD/bench/view_bench" load "$big" 2>/dev/null | sed -n 's/^load \([0-9.]*\) s.*/\1/p')
  if [ -z "$load_s" ] || awk -v t="$t" -v b="$load_s" 'BEGIN { exit !(t < b) }'; then load_s=$t; fi
  t=$("$TROUVE_BUILD/bench/window_search" "$big" xylophone 2>/dev/null | awk '{ print $1 }')
  if [ -z "$search_s" ] || awk -v t="$t" -v b="$search_s" 'BEGIN { exit !(t < b) }'; then search_s=$t; fi
done
echo "Big LF file: $(stat -c %s "$big") bytes"
printf 'wc -l          %7s s\n' "$wc_s"
printf 'load+count     %7s s = %s x wc -l\n' "$load_s" "$(ratio "$load_s" "$wc_s")"
printf 'absent word    %7s s = %s x wc -l\n' "$search_s" "$(ratio "$search_s" "$wc_s")"
# Tens of millions of results in the 1 GiB file: "e" beside rg, reported.
many_s=$("$TROUVE_BUILD/bench/window_search" "$big" e 2>/dev/null | awk '{ print $1 }')
rg_s=$(best_seconds rg -F -o -n --column e "$big")
printf '"e" (many)     %7s s = %s x rg (%s s)\n' "$many_s" "$(ratio "$many_s" "$rg_s")" "$rg_s"
report "search many results 1 GiB" "$(ratio "$many_s" "$rg_s")" "x rg"

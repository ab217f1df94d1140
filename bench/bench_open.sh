#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Opening big files in the real window (bench/window_open, offscreen: from the click of the open
# button to the line count shown and the text painted) beside `wc -l` on the same file, best of 3
# warm runs each, for files of each size of TROUVE_OPEN_SIZES (MiB, "1024 4096") in two forms:
# Windows-1252 CR LF (bench/gen_corpus) and the same text in UTF-8 with LF breaks. One size at a
# time is generated here and removed after: twice the size of disk at once.
# Targets: the open at most 1.5 x wc -l at 1 GiB and at 4 GiB (the worse form; each form is
# reported); the memory that the open adds to the window (its peak with the file less its peak
# with none, as GNU time measures them) at most 0.02 x the file, the worst file; a full view of the
# 4 GiB files painted at the top, the middle and the end (bench/view_bench paint) under 20 ms, the
# worst. A file that the view refuses misses its targets with the figure "refused".
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
open_bench="$TROUVE_BUILD/bench/window_open"
view_bench="$TROUVE_BUILD/bench/view_bench"
read -r -a sizes <<<"${TROUVE_OPEN_SIZES:-1024 4096}"
crlf="$TROUVE_BENCH_OUT/open-cp1252-crlf.txt"
utf8="$TROUVE_BENCH_OUT/open-utf8-lf.txt"
memory="$TROUVE_BENCH_OUT/open-memory.txt"
errors="$TROUVE_BENCH_OUT/open-errors.txt"
trap 'rm -f "$crlf" "$utf8" "$memory" "$errors"' EXIT

label() { # MiB: "4 GiB", or "300 MiB" for a size that is no whole number of GiB
  if (($1 % 1024 == 0)); then echo "$(($1 / 1024)) GiB"; else echo "$1 MiB"; fi
}
worse() { awk -v a="$1" -v b="$2" 'BEGIN { print (b > a ? b : a) }'; }
is_number() { [[ $1 =~ ^[0-9]*\.?[0-9]+$ ]]; }
# worst_of WORST FIGURE: the worse of the two, WORST empty at first; a refusal is worse than any
# number.
worst_of() {
  if [ -z "$1" ] || ! is_number "$2"; then
    echo "$2"
  elif ! is_number "$1"; then
    echo "$1"
  else
    worse "$1" "$2"
  fi
}

# open_best FILE: sets OPEN_S to the best of 3 opens in seconds and PEAK to the largest peak KiB
# of the 3 processes; "refused" in OPEN_S when the view refuses the file (its message in WHY),
# "failed" when window_open fails otherwise.
open_best() {
  OPEN_S="" PEAK=0 LINES="" WHY=""
  local output status seconds
  for _ in 1 2 3; do
    status=0
    output=$(/usr/bin/time -f %M -o "$memory" "$open_bench" "$1" 2>"$errors") || status=$?
    if [ "$status" -ne 0 ]; then
      [ "$status" -eq 3 ] && OPEN_S=refused || OPEN_S=failed
      WHY=$(grep -v '^QStandardPaths' "$errors" | head -n 1 || true)
      [ -n "$WHY" ] || WHY="exit $status"
      return 0
    fi
    read -r seconds LINES <<<"$output"
    PEAK=$(worse "$PEAK" "$(tail -n 1 "$memory")")
    if [ -z "$OPEN_S" ] || awk -v s="$seconds" -v b="$OPEN_S" 'BEGIN { exit !(s < b) }'; then
      OPEN_S=$seconds
    fi
  done
}

# paint_worst FILE: the slowest of the views painted at the top, middle and end of FILE (ms), or
# "refused" when the view refuses the file.
paint_worst() {
  local output
  output=$("$view_bench" paint "$1" 2>"$errors") || { echo refused; return 0; }
  sed -n 's/^paint top \([0-9.]*\) ms, middle \([0-9.]*\) ms, end \([0-9.]*\) ms$/\1 \2 \3/p' \
    <<<"$output" | awk '{ w = $1; if ($2 > w) w = $2; if ($3 > w) w = $3; print w }'
}

# The window alone: the smallest peak of 3 processes that open nothing.
base_kib=""
for _ in 1 2 3; do
  /usr/bin/time -f %M -o "$memory" "$open_bench" --none >/dev/null 2>&1
  kib=$(tail -n 1 "$memory")
  if [ -z "$base_kib" ] || [ "$kib" -lt "$base_kib" ]; then base_kib=$kib; fi
done
echo "The window with no file: peak $(mib "$base_kib") MiB"

printf '| %-28s | %11s | %10s | %7s | %8s | %8s | %8s | %10s |\n' \
  file bytes lines wc_s open_s open/wc peak_MiB added/file
echo "|------------------------------|-------------|------------|---------|----------|----------|----------|------------|"
worst_memory=""
reports=()
summary=()
for size in "${sizes[@]}"; do
  name=$(label "$size")
  "$TROUVE_BUILD/bench/gen_corpus" "$crlf" "$size"
  tr -d '\r' <"$crlf" | iconv -f WINDOWS-1252 -t UTF-8 >"$utf8"
  worst_open=""
  worst_paint=""
  for form in "UTF-8 LF" "Windows-1252 CR LF"; do
    file=$crlf
    [ "$form" = "UTF-8 LF" ] && file=$utf8
    bytes=$(stat -c %s "$file")
    cat "$file" >/dev/null # warm the page cache
    wc_lines=$(wc -l <"$file")
    wc_s=$(best_seconds wc -l "$file")
    open_best "$file"
    if is_number "$OPEN_S"; then
      time_ratio=$(ratio "$OPEN_S" "$wc_s")
      added=$(awk -v p="$PEAK" -v b="$base_kib" -v n="$bytes" 'BEGIN { printf "%.3f", (p - b) * 1024 / n }')
      printf '| %-28s | %11s | %10s | %7s | %8s | %8s | %8s | %10s |\n' "$name $form" "$bytes" \
        "$LINES" "$wc_s" "$OPEN_S" "$time_ratio" "$(mib "$PEAK")" "$added"
      # A file ended by its break has as many lines as wc -l counts breaks.
      [ "$LINES" = "$wc_lines" ] || echo "  the window counts $LINES lines, wc -l $wc_lines breaks"
    else
      time_ratio=$OPEN_S
      added=$OPEN_S
      printf '| %-28s | %11s | %10s | %7s | %8s | %8s | %8s | %10s |\n' "$name $form" "$bytes" \
        "" "$wc_s" "$OPEN_S" "" "" ""
      echo "  $OPEN_S: $WHY"
    fi
    reports+=("open $name $form vs wc -l|$time_ratio|x wc -l")
    reports+=("open memory $name $form|$added|x file")
    worst_open=$(worst_of "$worst_open" "$time_ratio")
    worst_memory=$(worst_of "$worst_memory" "$added")
    if [ "$size" -eq 4096 ]; then
      paint=$(paint_worst "$file")
      is_number "$paint" && paint_shown="$paint ms" || paint_shown=$paint
      echo "  paint of a full view at the top, middle and end, the worst: $paint_shown"
      worst_paint=$(worst_of "$worst_paint" "$paint")
    fi
  done
  rm -f "$crlf" "$utf8"
  summary+=("open $name vs wc -l|$worst_open|x wc -l|1.5")
  [ -n "$worst_paint" ] && summary+=("paint $name|$worst_paint|ms|20")
done
reports "${reports[@]}"
targets "${summary[@]}"
target "open memory" "$worst_memory" "x file" 0.02

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Line numbers and columns past 2^31, at real size: a file of 2^31 + 2 empty lines followed by
# "x", then a file whose one line holds 2^31 + 2 blanks before "x"; and a UTF-8 file of 1 GiB
# ("déjà vu" and 2^30 LF: 2 GiB once its breaks are converted), searched as UTF-8, then the same
# with a first line of 5 MiB.
# Each is generated here (up to 2 GiB of disk, one at a time), opened in the real window, searched
# by one click of Exec., checked, removed. The view refuses the first file, more lines than it
# counts (the refusal goes to stderr, and the progress text shows a total of 0 lines); the second
# and third it may refuse or open: either passes, the total telling which; the last it opens
# (a text beyond memory reads its long lines from the file's pages).
# Not part of `make check`: `make limits` runs it.
# Usage: bench/past_2g.sh BUILD
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
out="$(cd "$(dirname "$0")" && pwd)/out"
mkdir -p "$out"
big="$out/past-2g.txt"
trap 'rm -f "$big"' EXIT
count=$((2 ** 31 + 2))
failed=0

# check NAME PATTERN REFUSED [OPENED]: the window's result lines for PATTERN in $big, then its
# progress text, are REFUSED (the view refused the file; "-" when it must not), or OPENED when
# given (it opened the file). Removes $big.
check() {
  local name=$1 start seconds output
  start=$(date +%s%N)
  output=$("$build/bench/window_results" "$big" "$2")
  seconds=$(awk -v a="$start" -v b="$(date +%s%N)" 'BEGIN { printf "%.1f", (b - a) / 1e9 }')
  if [ "$3" != - ] && [ "$output" = "$3" ]; then
    echo "$name: ${3//$'\n'/, } (${seconds} s, refused by the view) passed"
  elif [ -n "${4:-}" ] && [ "$output" = "$4" ]; then
    echo "$name: ${4//$'\n'/, } (${seconds} s, opened by the view) passed"
  else
    echo "$name: expected ${3//$'\n'/, }${4:+ or ${4//$'\n'/, }}, got:"
    printf '%s\n' "$output" | head -n 5
    failed=1
  fi
  rm -f "$big"
}

# filled FILLER: count FILLER bytes, then "x".
filled() { head -c "$count" /dev/zero | tr '\0' "$1"; printf x; }

filled '\n' >"$big"
check "line past 2^31" x ">$((count + 1)),1:x"$'\n'"Line : $((count + 1))/0"
filled ' ' >"$big"
check "column past 2^31" x ">1,$((count + 1)):x"$'\n'"Line : 1/0" ">1,$((count + 1)):x"$'\n'"Line : 1/1"
{ printf 'd\xC3\xA9j\xC3\xA0 vu'; head -c $((2 ** 30)) /dev/zero | tr '\0' '\n'; } >"$big"
check "UTF-8 of 2 GiB converted" j ">1,3:déjà"$'\n'"Line : $((2 ** 30))/0" \
  ">1,3:déjà"$'\n'"Line : $((2 ** 30))/$((2 ** 30))"
{ printf 'd\xC3\xA9j\xC3\xA0 vu'; head -c $((5 << 20)) /dev/zero | tr '\0' a
  head -c $((2 ** 30)) /dev/zero | tr '\0' '\n'; } >"$big"
check "a line of 5 MiB in 2 GiB converted" j - ">1,3:déjà"$'\n'"Line : $((2 ** 30))/$((2 ** 30))"
exit "$failed"

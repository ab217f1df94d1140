#!/usr/bin/env bash
# Line numbers and columns past 2^31, at real size: a file of 2^31 + 2 empty lines followed by
# "x", then a file whose one line holds 2^31 + 2 blanks before "x". Each is generated here (2 GiB
# of disk, one at a time), searched by one click of Exec. in the real window, checked, removed.
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

# check NAME FILLER EXPECTED: the file of count FILLER bytes then "x" gives EXPECTED as its only
# result line, and its progress text names the line of the result.
check() {
  local name=$1 filler=$2 expected=$3 start seconds output
  { head -c "$count" /dev/zero | tr '\0' "$filler"; printf x; } >"$big"
  start=$(date +%s%N)
  output=$("$build/bench/window_results" "$big" x)
  seconds=$(awk -v a="$start" -v b="$(date +%s%N)" 'BEGIN { printf "%.1f", (b - a) / 1e9 }')
  local line=${expected#>}
  line=${line%%,*}
  if [ "$output" = "$expected"$'\n'"Line : $line/0" ]; then
    echo "$name: $expected, « Line : $line/0 » (${seconds} s) passed"
  else
    echo "$name: expected $expected and « Line : $line/0 », got:"
    printf '%s\n' "$output" | head -n 5
    failed=1
  fi
  rm -f "$big"
}

check "line past 2^31" '\n' ">$((count + 1)),1:x"
check "column past 2^31" ' ' ">1,$((count + 1)):x"
exit "$failed"

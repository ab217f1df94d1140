#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The open of a 1 GiB file as a person meets it: the first load of a process just started, whose
# memory the system hands out fresh. For a UTF-8 LF file and a Windows-1252 CR LF file (generated
# here, removed after), fresh processes of the real window's open (bench/window_cold_open, offscreen:
# from the click of the open button to the text painted and the line count shown) alternate with
# fresh processes of the reference (bench/read_whole: read() of the whole file into memory just
# obtained from malloc), TROUVE_COLD_RUNS of each (5). Target: the median open at most 1.3 x the
# median read.
# Both read the file from the page cache (it is read once before): the cold here is the memory
# of the process, not the disk.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
source "$here/lib.sh"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
runs=${TROUVE_COLD_RUNS:-5}
mib=${TROUVE_BIG_MIB:-1024}
crlf="$TROUVE_BENCH_OUT/cold-cp1252-crlf.txt"
utf8="$TROUVE_BENCH_OUT/cold-utf8-lf.txt"
trap 'rm -f "$crlf" "$utf8"' EXIT
"$TROUVE_BUILD/bench/gen_corpus" "$crlf" "$mib"
tr -d '\r' <"$crlf" | iconv -f WINDOWS-1252 -t UTF-8 >"$utf8"

median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

printf '| %-22s | %13s | %7s | %7s | %10s |\n' file bytes read_s open_s open/read
echo "|------------------------|---------------|---------|---------|------------|"
for name in "UTF-8 LF" "Windows-1252 CR LF"; do
  case $name in
    "UTF-8 LF") file=$utf8 ;;
    *) file=$crlf ;;
  esac
  cat "$file" >/dev/null
  reads=()
  opens=()
  for _ in $(seq "$runs"); do
    reads+=("$("$TROUVE_BUILD/bench/read_whole" "$file" | awk '{ print $1 }')")
    opened=$("$TROUVE_BUILD/bench/window_cold_open" "$file" 2>/dev/null || true)
    [[ $opened == *" lignes" ]] || { echo "window_cold_open $file: $opened" >&2; exit 1; }
    opens+=("${opened%% *}")
  done
  read_s=$(median "${reads[@]}")
  open_s=$(median "${opens[@]}")
  RUNS+=("$name: read ${reads[*]} s; open ${opens[*]} s")
  printf '| %-22s | %13s | %7s | %7s | %10s |\n' "$name" "$(stat -c %s "$file")" "$read_s" \
    "$open_s" "$(ratio "$open_s" "$read_s")"
  RESULTS+=("open 1 GiB cold, $name|$(ratio "$open_s" "$read_s")")
done
printf '%s\n' "${RUNS[@]}"
for row in "${RESULTS[@]}"; do
  IFS='|' read -r name figure <<<"$row"
  target "$name" "$figure" "x read" 1.3
done

#!/usr/bin/env bash
# The text view on the corpus: load time against `wc -l` and `cat` (best of 3, same run), peak
# memory of the process against the file size, paint times of a full view, and the same for a
# file of one 50 MB line. Targets: load <= 10 x wc -l, memory <= 2.5 x file, paint < 20 ms.
set -euo pipefail
bench="$TROUVE_BUILD/bench/view_bench"
corpus="$TROUVE_CORPUS"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

best() { # best wall time in seconds of 3 runs of a command
    local best=999999 start end t
    for _ in 1 2 3; do
        start=$(date +%s.%N)
        "$@" >/dev/null
        end=$(date +%s.%N)
        best=$(awk -v a="$best" -v b="$end" -v c="$start" 'BEGIN { t = b - c; print (t < a ? t : a) }')
    done
    printf '%.3f' "$best"
}

cat "$corpus" >/dev/null # warm the page cache
size=$(stat -c %s "$corpus")
wc_s=$(best wc -l "$corpus")
cat_s=$(best sh -c "cat '$corpus' > /dev/null")
load_s=999999
for _ in 1 2 3; do
    t=$(QT_QPA_PLATFORM=offscreen "$bench" load "$corpus" 2>/dev/null | sed -n 's/^load \([0-9.]*\) s.*/\1/p')
    load_s=$(awk -v a="$load_s" -v t="$t" 'BEGIN { print (t < a ? t : a) }')
done
lines=$("$bench" load "$corpus" 2>/dev/null | sed -n 's/.* s, \([0-9]*\) lines/\1/p')
peak_kib=$( (/usr/bin/time -f %M "$bench" load "$corpus" >/dev/null) 2>&1 | tail -1)

echo "corpus: $corpus ($size octets, $lines lignes; wc -l: $(wc -l < "$corpus"))"
printf 'wc -l        %8.3f s\n' "$wc_s"
printf 'cat          %8.3f s\n' "$cat_s"
printf 'load+count   %8.3f s   = %5.2f x wc -l   (cible <= 10)\n' "$load_s" "$(awk -v a="$load_s" -v b="$wc_s" 'BEGIN { print a / b }')"
printf 'peak memory  %8d KiB = %5.2f x file     (cible <= 2.5)\n' "$peak_kib" \
    "$(awk -v a="$peak_kib" -v b="$size" 'BEGIN { print a * 1024 / b }')"
# The same text with LF breaks only: every line break is converted on load.
lf="$TROUVE_BENCH_OUT/corpus-lf.txt"
[ -s "$lf" ] || tr -d '\r' < "$corpus" > "$lf"
lf_size=$(stat -c %s "$lf")
lf_s=$("$bench" load "$lf" 2>/dev/null | sed -n 's/^load \([0-9.]*\) s.*/\1/p')
lf_kib=$( (/usr/bin/time -f %M "$bench" load "$lf" >/dev/null) 2>&1 | tail -1)
printf 'LF file      %8.3f s   = %5.2f x wc -l; peak %d KiB = %5.2f x file\n' "$lf_s" \
    "$(awk -v a="$lf_s" -v b="$wc_s" 'BEGIN { print a / b }')" "$lf_kib" \
    "$(awk -v a="$lf_kib" -v b="$lf_size" 'BEGIN { print a * 1024 / b }')"
echo "corpus       $("$bench" paint "$corpus" 2>/dev/null)   (cible < 20 ms)"

long="$TROUVE_BENCH_OUT/one-line-50mb.txt"
if [ ! -s "$long" ]; then
    head -c 52428800 /dev/zero | tr '\0' 'a' > "$long"
fi
echo "50 MB line   $("$bench" paint "$long" 2>/dev/null)   (cible < 20 ms)"
echo "results      $("$bench" append 2000000 2>/dev/null)"

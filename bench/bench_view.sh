#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Painting the text view: a full view at the top and at the end of the corpus, of a file of one
# 50 MB line, of the corpus in UTF-8 and of a UTF-8 line of 25 million characters, each also with
# the occurrences of a search marked (every cell of the long lines); appending result lines.
# Target: paint < 20 ms. (Loading
# is bench_load.sh.)
set -euo pipefail
bench="$TROUVE_BUILD/bench/view_bench"
corpus="$TROUVE_CORPUS"
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}

cat "$corpus" >/dev/null # warm the page cache
echo "corpus       $("$bench" paint "$corpus" 2>/dev/null)   (cible < 20 ms)"

long="$TROUVE_BENCH_OUT/one-line-50mb.txt"
if [ ! -s "$long" ]; then
    head -c 52428800 /dev/zero | tr '\0' 'a' > "$long"
fi
echo "50 MB line   $("$bench" paint "$long" 2>/dev/null)   (cible < 20 ms)"
echo "UTF-8 corpus $("$bench" paint "$TROUVE_CORPUS_UTF8" 2>/dev/null)   (cible < 20 ms)"
longUtf8="$TROUVE_BENCH_OUT/one-line-utf8.txt"
if [ ! -s "$longUtf8" ]; then # 25 million "é", 50 MB
    head -c 25000000 /dev/zero | tr '\0' 'e' | sed 's/e/\xc3\xa9/g' > "$longUtf8"
fi
echo "UTF-8 line   $("$bench" paint "$longUtf8" 2>/dev/null)   (cible < 20 ms)"
echo "marked \"e\"   $("$bench" paint "$corpus" e 2>/dev/null)   (cible < 20 ms)"
echo "marked \"aa\"  $("$bench" paint "$long" aa 2>/dev/null)   (cible < 20 ms)"
echo "marked \"é\"   $("$bench" paint "$longUtf8" é 2>/dev/null)   (cible < 20 ms)"
echo "results      $("$bench" append 2000000 2>/dev/null)"

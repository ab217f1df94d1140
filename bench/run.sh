#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Runs every benchmark script (bench/bench_*.sh) against the build folder given, on a corpus
# generated once in bench/out/ (Windows-1252, CR LF) and the same text with LF breaks and in UTF-8.
# Each prints its figures beside a reference measured in the same run; the run ends with the
# summary of the targets, one line each.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
export TROUVE_BUILD=$(cd "$build" && pwd)
export TROUVE_BENCH_OUT="$here/out"
export TROUVE_CORPUS_MIB=${TROUVE_CORPUS_MIB:-256}
export TROUVE_CORPUS="$TROUVE_BENCH_OUT/corpus-${TROUVE_CORPUS_MIB}.txt"
mkdir -p "$TROUVE_BENCH_OUT"
export TROUVE_CORPUS_LF="$TROUVE_BENCH_OUT/corpus-${TROUVE_CORPUS_MIB}-lf.txt"
export TROUVE_CORPUS_UTF8="$TROUVE_BENCH_OUT/corpus-${TROUVE_CORPUS_MIB}-utf8.txt"
export TROUVE_SUMMARY="$TROUVE_BENCH_OUT/summary.txt"
if [ ! -s "$TROUVE_CORPUS" ]; then
  echo "Génération du corpus de ${TROUVE_CORPUS_MIB} Mio…"
  "$TROUVE_BUILD/bench/gen_corpus" "$TROUVE_CORPUS" "$TROUVE_CORPUS_MIB"
fi
[ -s "$TROUVE_CORPUS_LF" ] || tr -d '\r' <"$TROUVE_CORPUS" >"$TROUVE_CORPUS_LF"
[ -s "$TROUVE_CORPUS_UTF8" ] || iconv -f WINDOWS-1252 -t UTF-8 "$TROUVE_CORPUS_LF" >"$TROUVE_CORPUS_UTF8"
: >"$TROUVE_SUMMARY"
for script in "$here"/bench_*.sh; do
  [ -e "$script" ] || continue
  echo
  echo "== $(basename "$script" .sh)"
  bash "$script"
done
echo
echo "== summary"
cat "$TROUVE_SUMMARY"

#!/usr/bin/env bash
# Runs every benchmark script (bench/bench_*.sh) against the build folder given, on a corpus
# generated once in bench/out/. Each prints its figures beside a reference measured in the same run.
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
export TROUVE_BUILD=$(cd "$build" && pwd)
export TROUVE_BENCH_OUT="$here/out"
export TROUVE_CORPUS_MIB=${TROUVE_CORPUS_MIB:-256}
export TROUVE_CORPUS="$TROUVE_BENCH_OUT/corpus-${TROUVE_CORPUS_MIB}.txt"
mkdir -p "$TROUVE_BENCH_OUT"
if [ ! -s "$TROUVE_CORPUS" ]; then
  echo "Génération du corpus de ${TROUVE_CORPUS_MIB} Mio…"
  "$TROUVE_BUILD/bench/gen_corpus" "$TROUVE_CORPUS" "$TROUVE_CORPUS_MIB"
fi
for script in "$here"/bench_*.sh; do
  [ -e "$script" ] || continue
  echo
  echo "== $(basename "$script" .sh)"
  bash "$script"
done

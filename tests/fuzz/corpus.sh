#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The committed corpora of the fuzz targets, one archive per target in tests/fuzz/corpus/.
#   corpus.sh unpack NAME FOLDER: adds the inputs of NAME's archive, if any, to FOLDER.
#   corpus.sh pack NAME FOLDER:   makes NAME's archive of the inputs in FOLDER (reproducibly, so
#                                 that an unchanged corpus gives the same bytes).
set -euo pipefail

action=${1:?usage: corpus.sh unpack|pack NAME FOLDER}
name=${2:?usage: corpus.sh unpack|pack NAME FOLDER}
folder=${3:?usage: corpus.sh unpack|pack NAME FOLDER}
archive="$(cd "$(dirname "$0")" && pwd)/corpus/$name.tar.gz"

case "$action" in
  unpack)
    mkdir -p "$folder"
    if [ -f "$archive" ]; then tar -xzf "$archive" -C "$folder"; fi ;;
  pack)
    mkdir -p "$(dirname "$archive")"
    (cd "$folder" && find . -maxdepth 1 -type f -printf '%P\n' | LC_ALL=C sort |
      tar --owner=0 --group=0 --numeric-owner --mtime=@0 --no-recursion -cf - -T - |
      gzip -9n >"$archive") ;;
  *)
    echo "usage: corpus.sh unpack|pack NAME FOLDER" >&2; exit 2 ;;
esac

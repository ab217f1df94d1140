#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# FindFrom and SplitLines against memmem and a memchr split on the corpus (ratio 1 = as fast).
set -euo pipefail
"$TROUVE_BUILD/bench/bench_strings" "$TROUVE_CORPUS"

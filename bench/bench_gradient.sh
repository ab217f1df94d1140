#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# One gradient band rebuild per style (information: the radial styles should stay well under a
# millisecond), beside filling the same pattern with one colour.
set -euo pipefail
QT_QPA_PLATFORM=offscreen "$TROUVE_BUILD/bench/gradient_bench" "${TROUVE_GRADIENT_ROUNDS:-200}"

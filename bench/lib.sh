# SPDX-License-Identifier: GPL-3.0-or-later
# Shell functions shared by the benchmark scripts (sourced, not run). The caller sets $result
# (where a command's output goes) and $memory (where GNU time writes the peak).

# best_of_3 CMD...: sets BEST (seconds) and PEAK (KiB, of the best run); output goes to $result,
# a real file: rg and grep stop early when they write to /dev/null.
best_of_3() {
  BEST=""
  PEAK=""
  for _ in 1 2 3; do
    local start end
    start=$(date +%s%N)
    /usr/bin/time -f %M -o "$memory" "$@" > "$result"
    end=$(date +%s%N)
    local seconds
    seconds=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", (b - a) / 1e9 }')
    if [ -z "$BEST" ] || awk -v s="$seconds" -v b="$BEST" 'BEGIN { exit !(s < b) }'; then
      BEST=$seconds
      PEAK=$(tail -n 1 "$memory")
    fi
  done
}

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", (b > 0 ? a / b : 0) }'; }
mib() { awk -v k="$1" 'BEGIN { printf "%.0f", k / 1024 }'; }

# target NAME FIGURE UNIT GOAL: prints and records in $TROUVE_SUMMARY one line of the summary,
#   target NAME: FIGURE UNIT (goal <= GOAL) met|missed
# A FIGURE that is no number (such as "refused": nothing was measured) misses the goal, shown
# without its unit.
target() {
  local name=$1 figure=$2 unit=" $3" goal=$4 verdict=missed
  if [[ $figure =~ ^[0-9]*\.?[0-9]+$ ]]; then
    awk -v f="$figure" -v g="$goal" 'BEGIN { exit !(f <= g) }' && verdict=met
  else
    unit=""
  fi
  local line="target $name: $figure$unit (goal <= $goal) $verdict"
  echo "$line"
  [ -n "${TROUVE_SUMMARY:-}" ] && echo "$line" >>"$TROUVE_SUMMARY"
  return 0
}

# report NAME FIGURE UNIT: prints and records in $TROUVE_SUMMARY a figure that is reported beside
# its reference but is no goal, as `report NAME: FIGURE UNIT` (a FIGURE that is no number without
# its unit).
report() {
  local unit=" $3"
  [[ $2 =~ ^[0-9]*\.?[0-9]+$ ]] || unit=""
  local line="report $1: $2$unit"
  echo "$line"
  [ -n "${TROUVE_SUMMARY:-}" ] && echo "$line" >>"$TROUVE_SUMMARY"
  return 0
}

# reports ROW... and targets ROW...: report and target for rows gathered during a run, as
# "NAME|FIGURE|UNIT" and "NAME|FIGURE|UNIT|GOAL".
reports() {
  local row name figure unit
  for row in "$@"; do
    IFS='|' read -r name figure unit <<<"$row"
    report "$name" "$figure" "$unit"
  done
}
targets() {
  local row name figure unit goal
  for row in "$@"; do
    IFS='|' read -r name figure unit goal <<<"$row"
    target "$name" "$figure" "$unit" "$goal"
  done
}

# best_seconds CMD...: the best wall time in seconds of 3 runs, output discarded.
best_seconds() {
  local best="" start end t
  for _ in 1 2 3; do
    start=$(date +%s%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s%N)
    t=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", (b - a) / 1e9 }')
    if [ -z "$best" ] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  echo "$best"
}

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


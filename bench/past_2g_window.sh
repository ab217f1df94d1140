#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A file past 2 GiB in the real window, on a private X server, driven as a person drives it:
# 2.5 GiB (TROUVE_LIMITS_MIB) of ordinary UTF-8 lines with LF breaks whose last line holds a word
# found nowhere else. The file is opened through the open dialog, the word searched by a click of
# Exec., its one result double-clicked; Ctrl+C in the text must then copy the word (the occurrence
# is selected), and the result list must read the word's line and column. The window's peak
# memory (VmHWM, the figure of GNU time's %M) less its peak before the open must stay under an
# eighth of the file. A view that refuses the file shows its error box: the script reports the
# refusal and fails. A screenshot of every step goes to ARTEFACT_DIR.
# Not part of `make check`: `make limits` runs it (the file takes 2.5 GiB of disk, removed after).
# Usage: bench/past_2g_window.sh BUILD [ARTEFACT_DIR]
set -uo pipefail
build=$(cd "${1:-build}" && pwd) || exit 2
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "${2:-$here/out/past-2g-window}" && artefacts=$(cd "${2:-$here/out/past-2g-window}" && pwd) || exit 2
app="$build/app/trouve"

# Control places in client coordinates (centres of the controls), as tests/x11/e2e.sh has them.
readonly OPEN_X=428 OPEN_Y=22 SEL_X=150 SEL_Y=46 GO_X=243 GO_Y=46 MMO_X=30 MMO_ROW0_Y=75
readonly WINDOW_TIMEOUT=30 # seconds for a window to appear or go
readonly WORK_TIMEOUT=900  # seconds for a load or a search of the big file to end
readonly WORD=xylophone
readonly LINE='Une ligne ordinaire, déjà lue et relue par chacun.'
readonly LAST="fin du texte : $WORD" # the word at column 16

started=$SECONDS
step_name="set-up"
shot_no=0
xvfb_pid="" wm_pid="" app_pid="" main_win=""
work=$(mktemp -d /tmp/trouve-past-2g.XXXXXX) || exit 1
big="$here/out/past-2g-window.txt"

# shellcheck source=tests/x11/driver.sh
source "$here/../tests/x11/driver.sh"

cleanup() {
  local pid
  for pid in "$app_pid" "$wm_pid" "$xvfb_pid"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
  done
  for pid in "$app_pid" "$wm_pid" "$xvfb_pid"; do
    [ -n "$pid" ] && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
  rm -f "$big"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# The clipboard emptied of what a step before left there; then, whether it holds exactly $1 (CR
# LF breaks read as LF).
clear_clipboard() { printf 'vide' | timeout 5 xclip -selection clipboard -i 2>/dev/null; }
clipboard_is() {
  timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d '\r' >"$work/clip" &&
    [ "$(cat "$work/clip")" = "$1" ]
}

# Waits until trouve has used no CPU for 2 s (a load or a search ended) or shows a box; fails
# after WORK_TIMEOUT. Sets WAITED to the seconds waited.
wait_work_done() {
  local begin=$SECONDS before now quiet=0
  before=$(cpu_ticks)
  while [ $quiet -lt 2 ]; do
    app_alive || fail "trouve is no longer running"
    [ $((SECONDS - begin)) -ge $WORK_TIMEOUT ] && fail "trouve still works after ${WORK_TIMEOUT}s"
    sleep 1
    now=$(cpu_ticks)
    if [ $((now - before)) -le 2 ]; then quiet=$((quiet + 1)); else quiet=0; fi
    before=$now
    other_window '.' >/dev/null && break
  done
  WAITED=$((SECONDS - begin))
}

peak_kib() { awk '/^VmHWM:/ { print $2 }' "/proc/$app_pid/status"; }

# --- the file --------------------------------------------------------------------------------------
mib=${TROUVE_LIMITS_MIB:-2560}
step "a file of $mib MiB"
lines=$((mib * 1024 * 1024 / $(printf '%s\n' "$LINE" | wc -c)))
mkdir -p "$here/out"
{ yes "$LINE" | head -n "$lines"; printf '%s\n' "$LAST"; } >"$big" || fail "cannot write $big"
size=$(stat -c %s "$big")
expected_result=">$((lines + 1)),16:$WORD"
log "  $big: $size bytes, $((lines + 1)) lines, '$WORD' on the last one only"
cat "$big" >/dev/null # in the page cache, as a file just written or read before

# --- X server and window manager -------------------------------------------------------------------
step "X server"
start_display 81 89

# --- the window ------------------------------------------------------------------------------------
step "start trouve"
(cd "$work" && exec "$app") >"$work/app.log" 2>&1 &
app_pid=$!
main_win=$(timeout "$WINDOW_TIMEOUT" xdotool search --sync --all --onlyvisible --pid "$app_pid" \
  --name '^Recherche de texte' 2>/dev/null | head -1)
[ -n "$main_win" ] || fail "no visible window 'Recherche de texte' within ${WINDOW_TIMEOUT}s"
poll "$WINDOW_TIMEOUT" is_active "$main_win" || xdo windowactivate "$main_win" 2>/dev/null
sleep 0.5
base_kib=$(peak_kib)
log "  peak memory of the window before the open: $((base_kib / 1024)) MiB"
screenshot "start"

step "open the file"
click_at $OPEN_X $OPEN_Y
dialog=$(wait_dialog '.') || fail "no open dialog appeared after clicking btnOpen"
key ctrl+a
type_text "$big"
for _ in 1 2 3; do # Enter may first only close the completer's list
  is_visible "$dialog" || break
  key Return
  poll 4 is_gone "$dialog" && break
done
poll "$WINDOW_TIMEOUT" is_gone "$dialog" || fail "the open dialog did not close after Enter"
wait_work_done
log "  the open ended after about $WAITED s"
# The error box of a refused text (Qt's message box, whose text Ctrl+C does not copy here).
if box=$(other_window '^trouve'); then
  screenshot "refused"
  fail "the view refused the file of $size bytes: the error box '$(xdo getwindowname "$box")'" \
    "is shown (see the screenshot: a view that cannot hold the text says so)"
fi
screenshot "opened"

step "search for '$WORD'"
click_at $SEL_X $SEL_Y
key ctrl+a
type_text "$WORD"
click_at $GO_X $GO_Y
wait_work_done
log "  the search ended after about $WAITED s"
other_window '.' >/dev/null && fail "a box appeared after Exec.: '$(xdo getwindowname "$(other_window .)")'"
screenshot "results"

step "jump to the occurrence"
click_at $MMO_X $MMO_ROW0_Y 2
wait_work_done
other_window '.' >/dev/null && fail "a box appeared instead of the jump: '$(xdo getwindowname "$(other_window .)")'"
clear_clipboard
key ctrl+c
poll 30 clipboard_is "$WORD" ||
  fail "after the jump, Ctrl+C copied '$(head -c 200 "$work/clip")', not the occurrence '$WORD'"
log "  the occurrence is selected in the text"
sleep 0.5
screenshot "jump"
click_at $MMO_X $MMO_ROW0_Y
clear_clipboard
key ctrl+a ctrl+c
poll 15 clipboard_is "$expected_result" ||
  fail "the result list reads '$(head -c 200 "$work/clip")', expected '$expected_result'"
log "  the result list reads '$expected_result'"

step "memory"
peak=$(peak_kib)
added=$((peak - base_kib))
log "  peak of the window $((peak / 1024)) MiB, $((added / 1024)) MiB more than before the open," \
  "for a file of $((size / 1048576)) MiB ($(awk -v a="$added" -v s="$size" 'BEGIN { printf "%.3f", a * 1024 / s }') x the file)"
log "  now: $(awk '/^Rss(Anon|File):/ { printf "%s %d MiB ", $1, $2 / 1024 }' "/proc/$app_pid/status")"
[ $((added * 1024)) -le $((size / 8)) ] || fail "the open added more than an eighth of the file to the window's peak"
log "PASSED: a file of $size bytes opened, searched and shown at its last line"

#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Drives the real trouve binary on a private X server, as a person would: keystrokes and clicks at
# the controls' places only. Loads a Windows-1252 sample, checks the text shown, the warning of an
# empty result list, runs a search, jumps from a result to the text, saves the results and compares
# them byte for byte; does the same with a UTF-8 sample and a pasted search string; shows the error
# box of a source deleted after loading, takes a file dropped from another program, and closes the
# window.
# Usage: e2e.sh BUILD_DIR ARTEFACT_DIR   (a PNG of every step goes to ARTEFACT_DIR)
#
# Also: the program starts with words on its command line that must change nothing; every caption
# is read as the window manager shows it; the file dialogs and the edit's menu are French; a pasted
# search string of 40,000 characters finds its one line, saved byte for byte; the splitter keeps
# 30 pixels to the text at its right limit. The window opens at its place (285, 106); started
# again at scale 2 and 1.5 it lies wholly within the work area; under the dark scheme "darker" of
# qt6ct, as under the default palette, the labels on the band measure at least 4.5:1 against it.
# Last, started again exposed to assistive technologies, the window is used with the keyboard
# alone and read as a screen reader reads it (AT-SPI); then once more under Orca itself, speaking
# French, whose every utterance is checked, and on a French keyboard (dead keys).
set -uo pipefail

if [ $# -ne 2 ]; then
  echo "usage: $0 BUILD_DIR ARTEFACT_DIR" >&2
  exit 2
fi
build_dir=$(cd "$1" && pwd) || exit 2
mkdir -p "$2" && artefacts=$(cd "$2" && pwd) || exit 2
app="$build_dir/app/trouve"

# Control places in client coordinates (centres of the controls).
readonly OPEN_X=428 OPEN_Y=22     # btnOpen 417,12 22x21
readonly SEL_X=150 SEL_Y=46       # edtSel 105,36 91x21
readonly GO_X=243 GO_Y=46         # btnGo "Exec." 204,36 79x21
readonly SAVE_X=302 SAVE_Y=46     # btnSave 288,36 28x21
readonly MMO_X=30 MMO_ROW0_Y=75   # mmo, x 0..120 from y 67: inside its first row
readonly TEXT_X=350 TEXT_Y=300    # mmoText, from x 125, y 67: below the sample's rows
readonly SPLIT_X=122 SPLIT_Y=200   # Splitter1, x 120..125 from y 67
readonly CLIENT_W=575 CLIENT_H=443 MIN_CLIENT_W=449

readonly WINDOW_TIMEOUT=30 # seconds for a window to appear or go
readonly CHECK_TIMEOUT=15  # seconds for an effect (clipboard, file) to show

started=$SECONDS
step_name="set-up"
shot_no=0
xvfb_pid="" wm_pid="" app_pid="" main_win="" session_pid=""
work=$(mktemp -d /tmp/trouve-e2e.XXXXXX) || exit 1

# shellcheck source=tests/x11/driver.sh
source "$(dirname "$0")/driver.sh"

cleanup() {
  local pid
  declare -F orca_stop >/dev/null && orca_stop
  [ -n "${mounted:-}" ] && umount "$mounted" 2>/dev/null
  [ -n "${symlinks_before:-}" ] && echo "$symlinks_before" >/proc/sys/fs/protected_symlinks
  [ -n "${shared:-}" ] && rm -rf "$shared"
  for pid in "$app_pid" "$wm_pid" "$xvfb_pid"; do
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
  done
  for pid in "$app_pid" "$session_pid" "$wm_pid" "$xvfb_pid"; do
    [ -n "$pid" ] && wait "$pid" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# Lets trouve handle the input sent so far: a clipboard request goes through its event loop once
# it owns the clipboard; a short pause then lets it paint.
settle() {
  timeout 5 xclip -o -selection clipboard >/dev/null 2>&1
  sleep 0.4
}

clipboard_is() { # file with the expected bytes
  timeout 5 xclip -o -selection clipboard >"$work/clip" 2>/dev/null && cmp -s "$work/clip" "$1"
}

clipboard_has_line() { # exact line
  timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d '\r' >"$work/clip" &&
    grep -qxF -- "$1" "$work/clip"
}

show_clipboard() { od -c "$work/clip" | head -20; }

# The caption of window $1 as the window manager reads it (_NET_WM_NAME), not as Qt holds it.
wm_caption() {
  timeout 5 xprop -id "$1" _NET_WM_NAME 2>/dev/null |
    sed -n 's/^_NET_WM_NAME(UTF8_STRING) = "\(.*\)"$/\1/p'
}

# Fails unless window $1 is captioned exactly $2 for the window manager.
expect_caption() {
  local caption
  caption=$(wm_caption "$1")
  [ "$caption" = "$2" ] || fail "window $1 is captioned '$caption' for the window manager, expected '$2'"
  log "  caption '$2'"
}

# Types a full path into the file dialog $1 and accepts it. Enter may first only close the
# completer's list; it is pressed again while the dialog stays.
accept_file_dialog() {
  local dialog=$1 path=$2 tries
  key ctrl+a
  type_text "$path"
  screenshot "$3"
  for tries in 1 2 3; do
    is_visible "$dialog" || break
    key Return
    poll 4 is_gone "$dialog" && return 0
  done
  poll "$WINDOW_TIMEOUT" is_gone "$dialog" || fail "the file dialog did not close after Enter"
}

# Picks the second filter choice of the file dialog $1: a click on the list of choices at the
# dialog's bottom, then Down and Enter in its list; the focus goes back to the file name.
choose_second_filter() {
  local WIDTH HEIGHT X Y SCREEN
  eval "$(xdo getwindowgeometry --shell "$1")"
  xdo mousemove --window "$1" $((WIDTH / 2)) $((HEIGHT - 22)) click 1 || fail "cannot open the filter list"
  sleep 0.5
  key Down Return
  sleep 0.5
  screenshot "all-files" # "Tous les fichiers (*.*)", names without a dot listed
  key alt+n # back to "Nom de fichier"
}

# Fails unless the main window is active again after a dialog: the program gives it back itself.
expect_main_active() {
  poll "$WINDOW_TIMEOUT" is_active "$main_win" || fail "the window of trouve is not active after the dialog"
}

# Waits for the error box, reads its text when the clipboard gives it (fails when it reads
# another), closes it with Enter, and gives the keyboard back to the main window.
expect_error_box() { # expected text, seconds to wait for the box
  local box
  box=$(wait_dialog '^trouve' "${2:-$WINDOW_TIMEOUT}") || fail "no error box '$1'"
  settle
  printf 'vide' | timeout 5 xclip -selection clipboard -i
  key ctrl+c
  if poll 3 clipboard_has_line "$1"; then
    log "  the error box reads '$1'"
  elif grep -q -- '^---' "$work/clip"; then
    show_clipboard
    fail "the error box does not read '$1'"
  else
    log "  the error box is shown (its text did not reach the clipboard)"
  fi
  screenshot "error-box"
  key Return
  poll "$WINDOW_TIMEOUT" is_gone "$box" || fail "Enter did not close the error box"
  expect_main_active
}

# Fails unless column $1 of the gradient band, below the edits, shows red $2, green $3, blue $4.
expect_band_column() {
  local shown
  shown=$(timeout 10 import -window "$main_win" -crop "1x1+$1+62" -depth 8 txt:- 2>/dev/null |
    sed -n 's/.*srgb(\([0-9]*\),\([0-9]*\),\([0-9]*\)).*/\1 \2 \3/p')
  [ "$shown" = "$2 $3 $4" ] || fail "band column $1 shows '$shown', expected '$2 $3 $4'"
  log "  band column $1 shows ($2, $3, $4)"
}

# The frame of window $1 on the screen as "left top right bottom" (right and bottom past its
# edges): its client area widened by the frame extents that the window manager gives.
frame_of() {
  local x y w h l r t b
  read -r x y w h < <(timeout 5 xwininfo -id "$1" 2>/dev/null |
    awk -F: '/Absolute upper-left|^ *Width|^ *Height/ { printf "%d ", $2 }')
  read -r l r t b < <(timeout 5 xprop -id "$1" _NET_FRAME_EXTENTS 2>/dev/null |
    sed -n 's/.*= *//p' | tr -d ,)
  echo "$((x - ${l:-0})) $((y - ${t:-0})) $((x + w + ${r:-0})) $((y + h + ${b:-0}))"
}

# Whether the whole frame of the main window lies within the desktop's work area.
frame_on_screen() {
  local left top right bottom ax ay aw ah rest
  read -r left top right bottom <<<"$(frame_of "$main_win")"
  read -r ax ay aw ah rest < <(timeout 5 xprop -root _NET_WORKAREA 2>/dev/null |
    sed -n 's/.*= *//p' | tr -d ,)
  [ -n "${ah:-}" ] && [ "$left" -ge "$ax" ] && [ "$top" -ge "$ay" ] &&
    [ "$right" -le $((ax + aw)) ] && [ "$bottom" -le $((ay + ah)) ]
}

# The pixels of the main window's client rectangle WxH+X+Y, one "x y red green blue" a line, x and
# y counted from the rectangle's corner.
pixels() {
  timeout 10 import -window "$main_win" -crop "$1" -depth 8 txt:- 2>/dev/null |
    sed -n 's/^\([0-9]*\),\([0-9]*\): *(\([0-9]*\),\([0-9]*\),\([0-9]*\).*/\1 \2 \3 \4 \5/p'
}

# Fails unless both labels, in the 100 x 21 pixels left of their edits, measure at least 4.5:1
# against the band behind them, as WCAG 2 measures contrast ((L1 + 0.05) / (L2 + 0.05) of relative
# luminances). The text's colour is the pixel that stands out most from the band in its column (read
# on row 62, below the edits); its figure is its lowest contrast with the band behind the label.
expect_readable_labels() {
  local label contrast
  for label in "Fichier source:12" "Chaine:36"; do
    contrast=$({ pixels "100x1+2+62" | sed 's/^/band /'; pixels "100x21+2+${label#*:}"; } | awk '
      function lin(c) { c /= 255; return c <= 0.04045 ? c / 12.92 : ((c + 0.055) / 1.055) ^ 2.4 }
      function lum(r, g, b) { return 0.2126 * lin(r) + 0.7152 * lin(g) + 0.0722 * lin(b) + 0.05 }
      function ratio(a, b) { return a > b ? a / b : b / a }
      $1 == "band" { band[$2] = lum($4, $5, $6); next }
      ($1 in band) && ratio(lum($3, $4, $5), band[$1]) > best {
        best = ratio(lum($3, $4, $5), band[$1]); text = lum($3, $4, $5) }
      END { if (!best) { printf "0.0"; exit }
            low = best; for (x in band) if (ratio(text, band[x]) < low) low = ratio(text, band[x])
            printf "%.1f", low }')
    awk -v c="$contrast" 'BEGIN { exit !(c >= 4.5) }' ||
      fail "the label '${label%%:*}' measures $contrast:1 against the band ($1), below 4.5:1"
    log "  label '${label%%:*}' on the band: $contrast:1 ($1)"
  done
}

# Starts trouve again, alone, with the environment words given (NAME=value), and waits for its
# window; app_pid and main_win then name them.
start_again() {
  (cd "$work" && exec env "$@" "$app") >"$work/app.log" 2>&1 &
  app_pid=$!
  main_win=$(timeout "$WINDOW_TIMEOUT" xdotool search --sync --all --onlyvisible --pid "$app_pid" \
    --name '^Recherche de texte' 2>/dev/null | head -1)
  [ -n "$main_win" ] || fail "no visible window 'Recherche de texte' within ${WINDOW_TIMEOUT}s ($*)"
  sleep 0.5
}

stop_again() {
  kill "$app_pid" 2>/dev/null
  wait "$app_pid" 2>/dev/null
  app_pid=""
}

# --- X server and window manager -------------------------------------------------------------------
step "X server"
start_display 91 99

# --- sample files ----------------------------------------------------------------------------------
# Windows-1252, CR LF, accented letters before the matches (offsets count bytes), last line unended.
sample="$work/sample.txt"
results="$work/results.txt"
printf 'Premi\350re ligne\r\nUne surprise-partie tr\350s r\351ussie\r\n\340 c\364t\351, un pied\r\nderni\350re ligne sans fin: amie' >"$sample"
printf '>2,18:surprise-partie\r\n>2,31:r\351ussie\r\n>3,13:pied\r\n>4,28:amie\r\n' >"$work/expected-results"
printf 'Premi\303\250re ligne\nUne surprise-partie tr\303\250s r\303\251ussie\n\303\240 c\303\264t\303\251, un pied\nderni\303\250re ligne sans fin: amie' >"$work/expected-text"
printf 'ie' >"$work/expected-jump"
# UTF-8 with a byte-order mark, LF breaks and a lone CR; Greek, CJK and an emoji before a match.
utf8_sample="$work/utf8.txt"
utf8_results="$work/utf8-results.txt"
printf '\357\273\277\316\225\316\273\316\273\316\267\316\275\316\271\316\272\316\254 \344\270\255\346\226\207 \360\237\230\200 \303\251t\303\251 \302\253 chaud \302\273 \342\200\224 10 \342\202\254\n\303\211t\303\251\rsurprise-partie\nderni\303\250re ligne: t\303\252tu, \303\251t\303\251' >"$utf8_sample"
tail -c +4 "$utf8_sample" | sed 's/\r/\n/' >"$work/expected-utf8-text"
printf '>1,16:\303\251t\303\251\r\n>2,2:t\303\251surprise-partie\r\n>3,24:\303\251t\303\251\r\n' >"$work/expected-utf8-results"
printf 't\303\251' >"$work/utf8-pattern"
dashes=---------------------------
printf '%s\r\nAvertissement\r\n%s\r\nErreur de s\303\251lection\r\n%s\r\nOK   \r\n%s\r\n' \
  $dashes $dashes $dashes $dashes >"$work/expected-warning"

# --- the window ------------------------------------------------------------------------------------
step "start trouve"
# Words on the command line, Qt's own options among them, change nothing: the window shows on this
# display, captioned "Recherche de texte", at its own size, and not mirrored (the clicks below
# find every control at its place).
readonly IGNORED_WORDS=(-platform offscreen -qwindowtitle Bidon -reverse -geometry 200x100+0+0 Bidon.txt)
(cd "$work" && exec "$app" "${IGNORED_WORDS[@]}") >"$work/app.log" 2>&1 &
app_pid=$!
main_win=$(timeout "$WINDOW_TIMEOUT" xdotool search --sync --all --onlyvisible --pid "$app_pid" \
  --name '^Recherche de texte' 2>/dev/null | head -1)
[ -n "$main_win" ] || fail "no visible window 'Recherche de texte' within ${WINDOW_TIMEOUT}s"
poll "$WINDOW_TIMEOUT" is_active "$main_win" || xdo windowactivate "$main_win" 2>/dev/null
eval "$(xdo getwindowgeometry --shell "$main_win")"
log "  main window $main_win: client at ($X,$Y), $WIDTH x $HEIGHT"
sleep 0.5
screenshot "start"
[ "$WIDTH" -eq $CLIENT_W ] && [ "$HEIGHT" -eq $CLIENT_H ] ||
  fail "client area is $WIDTH x $HEIGHT, expected $CLIENT_W x $CLIENT_H"
expect_caption "$main_win" "Recherche de texte"
expect_band_column 433 233 242 251 # entry 193 of sky blue to white, under the column's centre
[ "$(frame_of "$main_win" | cut -d' ' -f1-2)" = "285 106" ] ||
  fail "the window's frame is at $(frame_of "$main_win"), not at its place (285, 106)"
expect_readable_labels "default palette"

step "open the sample"
click_at $OPEN_X $OPEN_Y
dialog=$(wait_dialog '.') || fail "no open dialog appeared after clicking btnOpen"
log "  open dialog $dialog: '$(xdo getwindowname "$dialog")'"
expect_caption "$dialog" "Ouvrir"
sleep 0.5
screenshot "open-dialog-french" # its labels, buttons and filter choice "Fichiers texte (*.txt)"
accept_file_dialog "$dialog" "$sample" "open-dialog"
expect_main_active
sleep 0.5
screenshot "loaded"

step "text shown in mmoText"
click_at $TEXT_X $TEXT_Y
key ctrl+a ctrl+c
poll $CHECK_TIMEOUT eval 'timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d "\r" >"$work/clip" && cmp -s "$work/clip" "$work/expected-text"' ||
  { show_clipboard; fail "Ctrl+A, Ctrl+C in mmoText did not copy the sample's text"; }
log "  the whole sample, accents included, was copied from mmoText"
settle
screenshot "text-selected"

step "warning of an empty result list"
click_at $MMO_X $MMO_ROW0_Y 2
warning=$(wait_dialog '^Avertissement') || fail "no 'Avertissement' dialog after double-clicking the empty mmo"
expect_caption "$warning" "Avertissement"
key ctrl+c
poll $CHECK_TIMEOUT clipboard_is "$work/expected-warning" ||
  { show_clipboard; fail "Ctrl+C in the warning dialog did not copy its seven lines"; }
log "  the warning reads 'Erreur de sélection' and copies its seven lines"
screenshot "warning"
key Escape
poll "$WINDOW_TIMEOUT" is_gone "$warning" || fail "Esc did not close the warning dialog"
poll 5 is_active "$main_win" || fail "the main window is not active after the warning"

step "type the search string"
click_at $SEL_X $SEL_Y
type_text "ie"
settle
screenshot "search-string"

step "the search field's context menu"
click_at $SEL_X $SEL_Y
xdo click 3 || fail "cannot right-click edtSel"
sleep 0.6
screenshot "edit-menu" # Qt's own menu, in French: Annuler, Rétablir, Couper, Copier, Coller...
key Escape
settle

step "run the search"
click_at $GO_X $GO_Y
settle
screenshot "results"

step "jump from the first result"
click_at $MMO_X $MMO_ROW0_Y 2
other_window '.' >/dev/null && fail "a dialog appeared instead of the jump: '$(xdo getwindowname "$(other_window .)")'"
key ctrl+c
poll $CHECK_TIMEOUT clipboard_is "$work/expected-jump" ||
  { show_clipboard; fail "after the jump, Ctrl+C did not copy the occurrence 'ie' (line 2, column 18)"; }
log "  the occurrence is selected in mmoText"
settle
screenshot "jump"

step "save the results"
click_at $SAVE_X $SAVE_Y
dialog=$(wait_dialog '.') || fail "no save dialog appeared after clicking btnSave"
log "  save dialog $dialog: '$(xdo getwindowname "$dialog")'"
expect_caption "$dialog" "Enregistrer sous"
accept_file_dialog "$dialog" "$results" "save-dialog"
poll $CHECK_TIMEOUT cmp -s "$results" "$work/expected-results" || {
  [ -e "$results" ] && od -c "$results" | head -20
  fail "the results file does not hold the four expected result lines"
}
log "  $results holds the four result lines, CR LF each"
settle
screenshot "saved"

step "open a UTF-8 file"
click_at $OPEN_X $OPEN_Y
dialog=$(wait_dialog '.') || fail "no open dialog appeared after clicking btnOpen"
accept_file_dialog "$dialog" "$utf8_sample" "open-utf8"
expect_main_active
sleep 0.5

step "UTF-8 text shown in mmoText"
click_at $TEXT_X $TEXT_Y
key ctrl+a ctrl+c
poll $CHECK_TIMEOUT eval 'timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d "\r" >"$work/clip" && cmp -s "$work/clip" "$work/expected-utf8-text"' ||
  { show_clipboard; fail "Ctrl+A, Ctrl+C in mmoText did not copy the UTF-8 sample's characters"; }
log "  the UTF-8 sample's characters were copied, without its byte-order mark"
settle
screenshot "utf8-loaded"

step "paste a search string and run the search"
timeout 5 xclip -selection clipboard -i "$work/utf8-pattern" || fail "cannot put the search string on the clipboard"
click_at $SEL_X $SEL_Y
key ctrl+a ctrl+v
click_at $GO_X $GO_Y
settle
screenshot "utf8-results"

step "jump to an occurrence after Greek, CJK and an emoji"
click_at $MMO_X $MMO_ROW0_Y 2
other_window '.' >/dev/null && fail "a dialog appeared instead of the jump: '$(xdo getwindowname "$(other_window .)")'"
key ctrl+c
poll $CHECK_TIMEOUT clipboard_is "$work/utf8-pattern" ||
  { show_clipboard; fail "after the jump, Ctrl+C did not copy the occurrence (line 1, column 16)"; }
log "  the occurrence is selected in mmoText, by character"
settle
screenshot "utf8-jump"

step "save the UTF-8 results"
click_at $SAVE_X $SAVE_Y
dialog=$(wait_dialog '.') || fail "no save dialog appeared after clicking btnSave"
accept_file_dialog "$dialog" "$utf8_results" "save-utf8"
poll $CHECK_TIMEOUT cmp -s "$utf8_results" "$work/expected-utf8-results" || {
  [ -e "$utf8_results" ] && od -c "$utf8_results" | head -20
  fail "the UTF-8 results file does not hold the three expected result lines"
}
log "  $utf8_results holds the three result lines in UTF-8, CR LF each"
settle

step "error box of a deleted source"
rm -f "$utf8_sample"
click_at $GO_X $GO_Y
box=$(wait_dialog '^trouve') || fail "no error box 'trouve' after running the search on a deleted file"
expect_caption "$box" "trouve"
xdo windowactivate --sync "$box" >/dev/null 2>&1 || true
settle
key ctrl+c
# The box's text is checked by the offscreen suite (test_form_search); here it is read when the
# clipboard gives it, and only logged otherwise.
if poll 3 clipboard_has_line "Fichier introuvable."; then
  log "  the error box reads 'Fichier introuvable.'"
else
  log "  the error box is shown (its text did not reach the clipboard)"
fi
screenshot "error-box"
key Return
poll "$WINDOW_TIMEOUT" is_gone "$box" || fail "Enter did not close the error box"
poll 5 is_active "$main_win" || fail "the main window is not active after the error box"
settle
screenshot "after-error"

step "drop a file from another program"
# drag_source stands for a file manager: it drags the file from its own window, with the real
# pointer, and prints the action the window took. A move would let it delete the file.
readonly SRC_X=200 SRC_Y=22 # edtSrc 105,12 307x21
dropped="$work/"$'d\303\251pos\303\251.txt'
printf 'Texte d\351pos\351\r\nsur la fen\352tre' >"$dropped"
printf 'Texte d\303\251pos\303\251\nsur la fen\303\252tre' >"$work/expected-dropped"
timeout 60 "$build_dir/tests/drag_source" "$dropped" >"$work/drag.log" 2>&1 &
source_win=$(timeout "$WINDOW_TIMEOUT" xdotool search --sync --all --onlyvisible --name '^source$' 2>/dev/null | head -1)
[ -n "$source_win" ] || fail "the drag source's window did not appear"
xdo windowmove --sync "$source_win" 950 700 >/dev/null 2>&1
sleep 0.5
xdo mousemove --window "$source_win" 100 60 mousedown 1 || fail "cannot press in the drag source"
for step_x in 100 200 300; do
  sleep 0.2
  xdo mousemove --window "$main_win" $((TEXT_X - step_x)) $TEXT_Y || fail "cannot drag over the window"
done
sleep 0.3
xdo mouseup 1 || fail "cannot release the drag"
poll $CHECK_TIMEOUT grep -q . "$work/drag.log" || fail "the drag did not end"
[ "$(head -1 "$work/drag.log")" = copy ] || fail "the drop was answered '$(cat "$work/drag.log")', not 'copy'"
[ -e "$dropped" ] || fail "the dropped file is gone"
log "  the window took the drop as a copy"
poll 5 is_active "$main_win" || xdo windowactivate "$main_win" 2>/dev/null
click_at $TEXT_X $TEXT_Y
key ctrl+a ctrl+c
poll $CHECK_TIMEOUT eval 'timeout 5 xclip -o -selection clipboard 2>/dev/null | tr -d "\r" >"$work/clip" && cmp -s "$work/clip" "$work/expected-dropped"' ||
  { show_clipboard; fail "mmoText does not show the dropped file's text"; }
click_at $SRC_X $SRC_Y
key ctrl+a ctrl+c
poll $CHECK_TIMEOUT eval 'timeout 5 xclip -o -selection clipboard >"$work/clip" 2>/dev/null && [ "$(cat "$work/clip")" = "$dropped" ]' ||
  { show_clipboard; fail "edtSrc does not show the dropped file's path"; }
log "  mmoText shows the dropped file, edtSrc its path"
settle
screenshot "dropped"

step "a pasted search string of 40,000 characters"
# Past QLineEdit's default limit of 32,767: a cut string would list 7,234 results, the whole one
# lists one, saved byte for byte.
long_source="$work/longue" # no dot: listed and opened under "Tous les fichiers (*.*)"
long_results="$work/long-results.txt"
{ head -c 39999 /dev/zero | tr '\0' a; printf '\351\r\nfin\r\n'; } >"$long_source"
{ printf '>1,1:'; head -c 39999 /dev/zero | tr '\0' a; printf '\351\r\n'; } >"$work/expected-long"
click_at $OPEN_X $OPEN_Y
dialog=$(wait_dialog '.') || fail "no open dialog appeared after clicking btnOpen"
choose_second_filter "$dialog"
accept_file_dialog "$dialog" "$long_source" "open-long"
sleep 0.5
other_window '.' >/dev/null && fail "a box appeared after opening $long_source: '$(xdo getwindowname "$(other_window .)")'"
expect_main_active
{ head -c 39999 /dev/zero | tr '\0' a; printf '\303\251'; } |
  timeout 5 xclip -selection clipboard -t UTF8_STRING -i || fail "cannot fill the clipboard"
click_at $SEL_X $SEL_Y
key ctrl+a ctrl+v
settle
click_at $GO_X $GO_Y
settle
screenshot "long-results"
click_at $SAVE_X $SAVE_Y
dialog=$(wait_dialog '.') || fail "no save dialog appeared after clicking btnSave"
accept_file_dialog "$dialog" "$long_results" "save-long"
poll $CHECK_TIMEOUT cmp -s "$long_results" "$work/expected-long" || {
  [ -e "$long_results" ] && log "  $(wc -c <"$long_results") bytes, $(grep -c '^>' "$long_results") result lines"
  fail "the results of the long search string are not the one expected line"
}
log "  one result line of 40,000 characters, saved byte for byte"
settle

step "a save onto a full disk keeps the file it replaces"
# A tmpfs of 256 KiB, filled but for a few bytes, holds a results file of 500 lines; the new
# results (one line of 40,005 bytes) do not fit. Mounting needs root: elsewhere the step is skipped.
full="$work/plein"
mkdir -p "$full"
if [ "$(id -u)" -eq 0 ] && mount -t tmpfs -o size=256k tmpfs "$full" 2>/dev/null; then
  mounted=$full
  seq -f 'ancienne ligne %g' 500 >"$full/res.txt"
  cp "$full/res.txt" "$work/res-before.txt"
  dd if=/dev/zero of="$full/bourrage" bs=4k 2>/dev/null
  click_at $GO_X $GO_Y
  settle
  click_at $SAVE_X $SAVE_Y
  dialog=$(wait_dialog '.') || fail "no save dialog appeared after clicking btnSave"
  accept_file_dialog "$dialog" "$full/res.txt" "save-full-disk"
  expect_error_box "Erreur d'écriture dans le flux."
  cmp -s "$full/res.txt" "$work/res-before.txt" || fail "the failed save changed $full/res.txt"
  [ "$(ls -A "$full" | sort | tr '\n' ' ')" = "bourrage res.txt " ] ||
    fail "the failed save left files behind: $(ls -A "$full" | tr '\n' ' ')"
  log "  res.txt is unchanged and nothing else was left on the full disk"
  screenshot "full-disk"
  rm -f "$full/bourrage"
else
  log "  skipped: mounting a tmpfs needs root"
  click_at $GO_X $GO_Y
  settle
fi

step "saving onto a FIFO is refused at once"
# btnSave stayed for another try (or a new run showed it); nobody reads the FIFO.
mkfifo "$work/canal.txt"
click_at $SAVE_X $SAVE_Y
dialog=$(wait_dialog '.') || fail "no save dialog: btnSave is not shown after the failed save"
accept_file_dialog "$dialog" "$work/canal.txt" "save-fifo"
expect_error_box "Impossible de créer le fichier \"$work/canal.txt\". Ce n'est pas un fichier ordinaire : c'est un tube, un périphérique ou un socket." 10
[ -n "${mounted:-}" ] && umount "$mounted" && mounted=""
screenshot "fifo-refused"

step "a link planted by another user is refused"
# In a shared sticky folder the system follows no link that another user made there
# (fs.protected_symlinks, 1 for the step), and neither does the save: the file it names stays.
# The other user is an unused uid, played through setpriv; as root only, and where the setting
# can be changed, elsewhere skipped.
if [ "$(id -u)" -eq 0 ] && [ -w /proc/sys/fs/protected_symlinks ]; then
  # The lock that every test changing the setting holds (tests/other_user.h).
  exec {symlinks_lock}>/run/lock/trouve-protected-symlinks && flock "$symlinks_lock" ||
    fail "cannot lock fs.protected_symlinks"
  symlinks_before=$(cat /proc/sys/fs/protected_symlinks)
  echo 1 >/proc/sys/fs/protected_symlinks || fail "cannot set fs.protected_symlinks"
  shared=$(mktemp -d /tmp/trouve-partage.XXXXXX) && chmod 1777 "$shared" ||
    fail "cannot make a shared folder"
  printf 'à garder\n' >"$work/important.txt"
  setpriv --reuid=54321 --regid=54321 --clear-groups \
    ln -s "$work/important.txt" "$shared/resultats.txt" || fail "cannot plant the link"
  click_at $SAVE_X $SAVE_Y
  dialog=$(wait_dialog '.') || fail "no save dialog: btnSave is not shown after the failed save"
  accept_file_dialog "$dialog" "$shared/resultats.txt" "save-planted-link"
  expect_error_box "Impossible de créer le fichier \"$shared/resultats.txt\". Accès refusé." 10
  [ "$(cat "$work/important.txt")" = "à garder" ] || fail "the save wrote through the planted link"
  [ "$(ls -A "$shared")" = "resultats.txt" ] ||
    fail "the refused save left files behind: $(ls -A "$shared" | tr '\n' ' ')"
  log "  the file the link names is unchanged and nothing else was made"
  screenshot "planted-link-refused"
  echo "$symlinks_before" >/proc/sys/fs/protected_symlinks && symlinks_before=""
  exec {symlinks_lock}>&-
else
  log "  skipped: playing another user and setting fs.protected_symlinks need root"
fi

step "a source that never ends"
# /dev/zero: the load stops past the view's capacity, the run past its limit, each with a box.
click_at $OPEN_X $OPEN_Y
dialog=$(wait_dialog '.') || fail "no open dialog appeared after clicking btnOpen"
choose_second_filter "$dialog"
accept_file_dialog "$dialog" /dev/zero "open-dev-zero"
expect_error_box "Le texte dépasse la capacité du mémo." 60
click_at $GO_X $GO_Y
expect_error_box "La recherche s'arrête : la source n'est pas un fichier ordinaire et dépasse 256 Mio." 60
log "  peak memory of trouve: $(awk '/VmHWM/ {print $2, $3}' /proc/$app_pid/status)"
screenshot "dev-zero"

step "splitter at its right limit"
# Dragged far right, mmo keeps 30 pixels to mmoText (scroll bars included), also once the window
# is made as narrow as it goes; the screenshots show it.
click_at $TEXT_X $TEXT_Y
xdo mousemove --window "$main_win" $SPLIT_X $SPLIT_Y mousedown 1 || fail "cannot press on Splitter1"
xdo mousemove --window "$main_win" $((SPLIT_X + 200)) $SPLIT_Y || fail "cannot drag Splitter1"
xdo mousemove --window "$main_win" $((CLIENT_W + 100)) $SPLIT_Y mouseup 1 || fail "cannot release Splitter1"
settle
screenshot "splitter-right"
xdo windowsize "$main_win" $MIN_CLIENT_W $CLIENT_H || fail "cannot resize the window"
settle
screenshot "splitter-narrow"

step "close the window"
key alt+F4
poll "$WINDOW_TIMEOUT" eval '! app_alive' || fail "trouve still runs ${WINDOW_TIMEOUT}s after Alt+F4"
wait "$app_pid"
code=$?
app_pid=""
[ $code -eq 0 ] || fail "trouve exited with code $code"
log "  trouve exited with code 0"

for scale in 2 1.5; do
  step "scale $scale"
  start_again QT_SCALE_FACTOR=$scale
  poll 10 frame_on_screen ||
    fail "at scale $scale the frame $(frame_of "$main_win") reaches past the work area"
  log "  frame $(frame_of "$main_win") (left top right bottom) within the work area"
  screenshot "scale-$scale"
  stop_again
done

step "dark colour scheme"
# qt6ct's "darker" scheme, read from a private configuration: light text on dark grey.
[ -e /usr/share/qt6ct/colors/darker.conf ] || fail "qt6ct is not installed (make deps installs it)"
mkdir -p "$work/dark/qt6ct"
printf '[Appearance]\ncolor_scheme_path=/usr/share/qt6ct/colors/darker.conf\ncustom_palette=true\n' \
  >"$work/dark/qt6ct/qt6ct.conf"
start_again QT_QPA_PLATFORMTHEME=qt6ct XDG_CONFIG_HOME="$work/dark"
screenshot "dark-scheme"
[ "$(pixels "1x1+$TEXT_X+$TEXT_Y" | cut -d' ' -f3)" -lt 100 ] ||
  fail "the dark scheme did not reach the window: mmoText is not dark"
expect_readable_labels "qt6ct darker"
stop_again

step "occurrences marked in the text and on its scroll bar"
# After a run of "ie" in the sample, under the default and the dark scheme: amber pixels in the
# text (the marks of its occurrences) and in the groove of its vertical scroll bar (the map).
amber_pixels() { pixels "$1" | awk '$3 > $5 + 100 && $4 > $5 + 40 { n++ } END { print n + 0 }'; }
for scheme in default dark; do
  if [ $scheme = dark ]; then
    start_again QT_QPA_PLATFORMTHEME=qt6ct XDG_CONFIG_HOME="$work/dark"
  else
    start_again
  fi
  key ctrl+o
  dialog=$(wait_dialog '.') || fail "Ctrl+O opened no dialog ($scheme scheme)"
  accept_file_dialog "$dialog" "$sample" "marks-open-$scheme"
  poll 5 is_active "$main_win" || xdo windowactivate --sync "$main_win" >/dev/null 2>&1
  key Tab Tab # from edtSrc over btnOpen to edtSel
  type_text "ie"
  key Return
  settle
  screenshot "marks-$scheme"
  text_marks=$(amber_pixels "430x330+127+69")
  map_marks=$(amber_pixels "12x330+561+69")
  [ "$text_marks" -gt 0 ] || fail "no occurrence is marked in mmoText ($scheme scheme)"
  [ "$map_marks" -gt 0 ] || fail "the scroll bar of mmoText shows no map ($scheme scheme)"
  log "  $scheme scheme: $text_marks marked pixels in the text, $map_marks in the scroll bar"
  stop_again
done

step "a long load and a long run keep the window answering"
# A text of 800 MB (removed after): its load takes a second or two, a run that lists its 10
# million "maison" three seconds. A pinger sends _NET_WM_PING every 100 ms as a window manager
# does: every ping is answered within 1 s. A key typed during the run takes effect after it (the
# search string changes, then the result list that the run filled is emptied). Last, a run of a
# FIFO fed for 10 s is asked to close after 1 s: the window closes once the run has ended, and
# openbox, which pings a window asked to close (and gives up after about 5 s), never shows it as
# not responding.
big="$work/gros.txt"
head -c 800M <(yes 'une ligne de texte, un mot, une maison et encore un peu de texte pour la remplir') \
  >"$big" || fail "cannot write $big"
start_again
pinger() { # LOG: pings the main window until stopped with stop_pinger
  "$build_dir/tests/pinger" "$main_win" >"$1" 2>&1 &
  pinger_pid=$!
}
stop_pinger() { # LOG PHASE: fails unless every ping was answered within 1 s
  kill "$pinger_pid" 2>/dev/null
  wait "$pinger_pid" 2>/dev/null
  local longest
  longest=$(sed -n 's/.*longest answer \([0-9]*\) ms/\1/p' "$1")
  [ -n "$longest" ] || fail "the pinger reported nothing: $(cat "$1")"
  log "  $2: $(cat "$1")"
  [ "$longest" -lt 1000 ] || fail "during $2 a ping waited $longest ms for its answer"
}
# Waits until trouve has used no processor time for 0.6 s: its load or run has ended.
wait_idle() {
  local before after deadline=$((SECONDS + 60))
  before=$(cpu_ticks)
  while sleep 0.6; do
    after=$(cpu_ticks)
    [ "$after" = "$before" ] && return 0
    [ $SECONDS -ge $deadline ] && fail "trouve is still busy after 60 s"
    before=$after
  done
}
not_responding() {
  timeout 5 xprop -id "$main_win" _NET_WM_VISIBLE_NAME _NET_WM_NAME 2>/dev/null | grep -q 'Not Responding'
}
key ctrl+o
dialog=$(wait_dialog '.') || fail "Ctrl+O opened no dialog"
choose_second_filter "$dialog"
pinger "$work/ping-load"
accept_file_dialog "$dialog" "$big" "open-big"
wait_idle
stop_pinger "$work/ping-load" "the load of 800 MB"
click_at $SEL_X $SEL_Y
key ctrl+a
type_text "maison"
pinger "$work/ping-run"
key Return
sleep 0.5
type_text "s"
wait_idle
stop_pinger "$work/ping-run" "a run of 10 million results"
settle
click_at $SEL_X $SEL_Y
key ctrl+a ctrl+c
poll $CHECK_TIMEOUT eval '[ "$(timeout 5 xclip -o -selection clipboard 2>/dev/null)" = maisons ]' ||
  { show_clipboard; fail "the key typed during the run did not reach the search string"; }
click_at $MMO_X $MMO_ROW0_Y
printf 'vide' | timeout 5 xclip -selection clipboard -i
key ctrl+a ctrl+c
settle
timeout 5 xclip -o -selection clipboard 2>/dev/null | grep -q '^>' &&
  fail "the result list is not empty: the key typed during the run took effect before its end"
log "  the key typed during the run changed the search string after it, emptying its results"
rm -f "$big"
fifo="$work/lent.txt"
mkfifo "$fifo" || fail "cannot make $fifo"
key ctrl+o
dialog=$(wait_dialog '.') || fail "Ctrl+O opened no dialog"
# The writers give up after a while, so that none is left waiting for a reader that failed.
timeout 30 sh -c 'printf "un mot\n" >"$1"' _ "$fifo" &
accept_file_dialog "$dialog" "$fifo" "open-fifo"
wait_idle
click_at $SEL_X $SEL_Y
key ctrl+a
type_text "un"
timeout 30 sh -c 'for i in $(seq 100); do echo "un mot, un autre"; sleep 0.1; done >"$1"' _ "$fifo" &
pinger "$work/ping-close"
key Return
sleep 1
key alt+F4
asked=$SECONDS
while app_alive; do
  not_responding && fail "openbox shows the window as not responding"
  [ $((SECONDS - asked)) -ge 60 ] && fail "trouve still runs 60 s after Alt+F4"
  sleep 0.2
done
stop_pinger "$work/ping-close" "a run of a FIFO fed for 10 s, closed during it"
wait "$app_pid"
code=$?
app_pid=""
[ $code -eq 0 ] || fail "trouve exited with code $code"
[ $((SECONDS - asked)) -ge 6 ] || fail "trouve closed $((SECONDS - asked)) s after Alt+F4, before the end of the run"
log "  closed during the run, trouve exited when it ended, $((SECONDS - asked)) s later, with code 0"

step "a screen reader's view, with the keyboard alone"
# trouve again, on a session bus of its own with an accessibility bus (at-spi2-core), exposed on
# it as when a screen reader runs. Ctrl+O opens the sample, Enter in "Chaine" runs Exec., Tab
# reaches the result list and keypad Enter jumps from its first line. The AT-SPI tree then holds
# the text, the result lines, the status text, the buttons' names and the occurrence selected.
source "$(dirname "${BASH_SOURCE[0]}")/atspi.sh"
for tool in dbus-run-session gdbus /usr/libexec/at-spi-bus-launcher; do
  command -v "$tool" >/dev/null || fail "'$tool' is not installed (make deps installs it)"
done
(cd "$work" && exec dbus-run-session -- bash -c '
  gdbus call --session --dest org.a11y.Bus --object-path /org/a11y/bus \
    --method org.a11y.Bus.GetAddress >"$1" || exit 1
  gdbus call --session --dest org.freedesktop.DBus --object-path /org/freedesktop/DBus \
    --method org.freedesktop.DBus.GetConnectionUnixProcessID org.a11y.Bus >"$1.pid"
  echo $$ >"$2"
  QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 exec "$3"' _ "$work/atspi-address" "$work/atspi-pid" "$app") \
  >"$work/app.log" 2>&1 &
session_pid=$!
poll $CHECK_TIMEOUT test -s "$work/atspi-pid" || fail "no accessibility bus started"
app_pid=$(cat "$work/atspi-pid")
ATSPI_BUS=$(atspi_value <"$work/atspi-address")
main_win=$(timeout "$WINDOW_TIMEOUT" xdotool search --sync --all --onlyvisible --pid "$app_pid" \
  --name '^Recherche de texte' 2>/dev/null | head -1)
[ -n "$main_win" ] || fail "no window of trouve on the accessibility bus"
# The keys below go to whatever window is active: the window must be.
activate_main() {
  poll 5 is_active "$main_win" || xdo windowactivate --sync "$main_win" >/dev/null 2>&1
  poll "$WINDOW_TIMEOUT" is_active "$main_win" || fail "the window of trouve is not active"
}
activate_main
key ctrl+o
dialog=$(wait_dialog '.') || fail "Ctrl+O opened no dialog"
accept_file_dialog "$dialog" "$sample" "atspi-open"
expect_main_active
key Tab Tab # from edtSrc over btnOpen to edtSel
type_text "ie"
key Return
settle
key Tab Tab Tab ctrl+Home KP_Enter # over btnGo and btnSave to mmo, its first line
settle
screenshot "atspi-jump"

bus_name=$(atspi_application)
[ -n "$bus_name" ] || fail "trouve is not on the accessibility bus"
atspi_tree "$bus_name" /org/a11y/atspi/accessible/root >"$work/tree"
for object in "frame	Recherche de texte" "push button	Ouvrir un fichier source" \
  "push button	Exec." "push button	Enregistrer les résultats" "status bar	" "label	Line : 4/4"; do
  cut -f2,3 "$work/tree" | grep -qxF "$object" ||
    { cat "$work/tree"; fail "the AT-SPI tree holds no ${object%%	*} '${object#*	}'"; }
  log "  ${object%%	*} '${object#*	}'"
done
# gdbus writes a line break as \r\n, and a text whole when asked from 0 to -1.
readonly ATSPI_TEXT='Première ligne\r\nUne surprise-partie très réussie\r\nà côté, un pied\r\ndernière ligne sans fin: amie'
readonly ATSPI_RESULTS='>2,18:surprise-partie\r\n>2,31:réussie\r\n>3,13:pied\r\n>4,28:amie\r\n'
text_path="" results_path=""
while IFS=$'\t' read -r path role _; do
  [ "$role" = text ] || continue
  text=$(atspi_call "$bus_name" "$path" org.a11y.atspi.Text.GetText 0 -1 | atspi_value)
  [ "$text" = "$ATSPI_TEXT" ] && text_path=$path
  [ "$text" = "$ATSPI_RESULTS" ] && results_path=$path
done <"$work/tree"
[ -n "$text_path" ] || fail "no text object of the AT-SPI tree holds the sample's text"
[ -n "$results_path" ] || fail "no text object of the AT-SPI tree holds the four result lines"
log "  the text and the result lines are read from their text objects"
read -r first last <<<"$(atspi_call "$bus_name" "$text_path" org.a11y.atspi.Text.GetSelection 0 | tr -d '(),')"
selected=$(atspi_call "$bus_name" "$text_path" org.a11y.atspi.Text.GetText "$first" "$last" | atspi_value)
[ "$first $last $selected" = "33 35 ie" ] ||
  fail "after the keyboard jump the text's selection is $first to $last, '$selected', not 33 to 35, 'ie'"
log "  the selection after the jump is the occurrence: 33 to 35, 'ie'"
# The bus's launcher and registry are to end with the session: their pids, to wait for them.
pid_of() { tr -dc '0-9 ' | awk '{ print $NF }'; } # "(uint32 1234,)"
bus_pids="$(pid_of <"$work/atspi-address.pid") $(atspi_call org.freedesktop.DBus \
  /org/freedesktop/DBus org.freedesktop.DBus.GetConnectionUnixProcessID org.a11y.atspi.Registry |
  pid_of)"
key alt+F4
poll "$WINDOW_TIMEOUT" eval '! app_alive' || fail "trouve still runs ${WINDOW_TIMEOUT}s after Alt+F4"
app_pid=""
wait "$session_pid"
code=$?
session_pid=""
[ $code -eq 0 ] || fail "trouve on the accessibility bus exited with code $code"
for pid in $bus_pids; do
  poll $CHECK_TIMEOUT eval '! kill -0 "$pid" 2>/dev/null' || fail "the accessibility bus outlived its session"
done
log "  trouve exited with code 0, and the accessibility bus with its session"

step "Orca, in French, with the keyboard alone"
# The window read by Orca itself: five opens through the dialog, each accepted by Enter while the
# dialog's completion list shows and followed by Tab, which Orca answers with the control it
# reaches (the focus is back in the window after each dialog, and every control and view has its
# name); each load's line count, the run's end, the first result on coming into the list, the
# jump, a word step across a line's end. Then, on a French keyboard, a dead key leaves the
# read-only "Fichier source " unchanged while "Chaine " takes "fête".
source "$(dirname "${BASH_SOURCE[0]}")/orca.sh"
orca_start
orca_mark
(cd "$work" && orca_env "$app") >"$work/app.log" 2>&1 &
session_pid=$!
main_win=$(timeout "$WINDOW_TIMEOUT" xdotool search --sync --all --onlyvisible --name '^Recherche de texte' \
  2>/dev/null | head -1)
[ -n "$main_win" ] || fail "no window of trouve under Orca"
app_pid=$(xdo getwindowpid "$main_win")
poll 5 is_active "$main_win" || xdo windowactivate --sync "$main_win" >/dev/null 2>&1
orca_expect "at start" 'Fichier source lecture seule'
popup_shows() { [ "$(visible_windows | wc -l)" -ge 3 ]; } # the window, the dialog, the list
# Where Tab goes from the control that had the focus before each open, and so has it after.
tab_reaches=('Ouvrir un fichier source bouton' '^Chaine texte' '^Résultats lecture seule texte'
  '^Texte du fichier lecture seule texte' '^Fichier source lecture seule texte')
for open in 1 2 3 4 5; do
  key ctrl+o
  dialog=$(wait_dialog '.') || fail "Ctrl+O opened no dialog (open $open)"
  sleep 0.5
  key ctrl+a
  xdo type --delay 60 -- "$sample" || fail "cannot type the path"
  poll 5 popup_shows || fail "the dialog's completion list does not show (open $open)"
  orca_idle
  orca_mark
  key Return
  poll 4 is_gone "$dialog" || { key Return; poll "$WINDOW_TIMEOUT" is_gone "$dialog"; } ||
    fail "the file dialog did not close after Enter (open $open)"
  orca_expect "open $open: Enter" '^4 lignes'
  orca_mark
  key Tab
  orca_expect "open $open: Tab" "${tab_reaches[open - 1]}"
done
key Tab Tab # over btnOpen to edtSel
type_text "ie"
orca_idle
orca_mark
key Return
orca_expect "the run's end" '^Line : 4/4, 4 résultats'
orca_refute "the search string is not read again" '^ie'
orca_idle
orca_mark
key Tab Tab Tab # over btnGo and btnSave into the result list
orca_expect "into the result list" '^>2,18:surprise-partie'
orca_idle
orca_mark
key Return
orca_expect "the jump" '^Texte du fichier lecture seule texte' 'surprise-partie très réussie sélectionné'
key End ctrl+Left # the last word of the line
orca_idle
orca_mark
key ctrl+Right
orca_expect "a word step across the line's end" 'réussie'
orca_refute "a word step across the line's end" 'retour chariot'

setxkbmap -display "$DISPLAY" -layout fr || fail "cannot switch to a French keyboard"
key Tab # from mmoText round to edtSrc
sleep 0.5
key dead_circumflex e
settle
key ctrl+a ctrl+c
poll $CHECK_TIMEOUT eval 'timeout 5 xclip -o -selection clipboard 2>/dev/null >"$work/clip" && [ "$(cat "$work/clip")" = "$sample" ]' ||
  { show_clipboard; fail "a dead key changed the read-only 'Fichier source '"; }
log "  the dead circumflex and e left 'Fichier source ' as it was"
key Tab Tab # to edtSel, its text selected
key f dead_circumflex e t e
settle
key ctrl+a ctrl+c
poll $CHECK_TIMEOUT eval 'timeout 5 xclip -o -selection clipboard 2>/dev/null >"$work/clip" && [ "$(cat "$work/clip")" = "fête" ]' ||
  { show_clipboard; fail "f, dead circumflex, e, t, e did not give 'fête' in 'Chaine '"; }
log "  f, dead circumflex, e, t, e gave 'fête' in 'Chaine '"
setxkbmap -display "$DISPLAY" -layout us
# The window manager takes its keys anew after a change of layout: Alt+F4 is pressed again if
# the first one came before.
sleep 1
key alt+F4
poll 10 eval '! app_alive' || { key alt+F4; poll "$WINDOW_TIMEOUT" eval '! app_alive'; } ||
  fail "trouve still runs after Alt+F4"
wait "$session_pid"
code=$?
app_pid="" session_pid=""
[ $code -eq 0 ] || fail "trouve under Orca exited with code $code"
orca_stop
log "  trouve exited with code 0"

log "PASS in $((SECONDS - started))s"

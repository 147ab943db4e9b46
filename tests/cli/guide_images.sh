#!/usr/bin/env bash
# End-to-end: the image viewer of vantrel-guide on the demo guide's figures,
# at 96 and 192 dpi, portrait and landscape: the variant chosen for the
# screen, the caption, the note button, the scroll bars' arrows and trough,
# dragging, zoom keys, the note dialog and the logo.
# Usage: guide_images.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"

SHAPES=$(obj fig_shapes)
FLOW=$(obj fig_flow)
ABOUT=$(obj AboutKORVAX)
[ -n "$SHAPES" ] && [ -n "$FLOW" ] && [ -n "$ABOUT" ] || fail "objects.txt lacks the demo figures"

# section N: the viewers.image section of output line N; field NAME SECTION: a number in it.
section() { line "$1" | grep -o '"image":{[^}]*}'; }
field() { echo "$2" | grep -o "\"$1\":[-0-9.]*" | head -1 | cut -d: -f2; }

# check DPI SCREEN SHAPES_VARIANT SHAPES_W SHAPES_H FLOW_VARIANT
check() {
  local dpi=$1 screen=$2 sv=$3 sw=$4 sh=$5 fv=$6 what="$2 at $1 dpi"
  local s13=$(((13 * dpi + 48) / 96)) threshold=$((((dpi + 24) * 2) / 96))
  printf 'navigate %s\nstate\nnavigate %s\nstate\n' "$SHAPES" "$FLOW" >"$WORK/s1"
  run --dpi "$dpi" --screen "$screen" --script "$WORK/s1" >"$WORK/out" || fail "$what: first script: $(cat "$WORK/err")"
  local s
  s=$(section 1)
  [ -n "$s" ] || { fail "$what: no image section in $(line 1)"; return; }
  expect '"caption":"Figure 1. Bacterial shapes (schematic) (demo)"' "$s" "$what: caption without markup"
  expect '"title":"Figure 1. Bacterial shapes (schematic) (demo)"' "$(line 1)" "$what: title"
  expect "\"variant\":$sv," "$s" "$what: variant of the shapes"
  expect "\"width\":$sw," "$s" "$what: picture width"
  expect "\"height\":$sh," "$s" "$what: picture height"
  expect '"noteEnabled":true' "$s" "$what: the shapes have a note"
  expect '"zoom":1' "$s" "$what: no zoom at first"
  expect '{"h":'"$(((22 * dpi + 48) / 96))"',"kind":3,"visible":true' "$(line 1)" "$what: the bar, sy(22) high"
  local x y w h
  x=$(field x "$s"); y=$(field y "$s"); w=$(field w "$s"); h=$(field h "$s")
  local mask=0
  [ "$sh" -gt "$h" ] && mask=$((mask | 1))
  [ "$sw" -gt "$w" ] && mask=$((mask | 2))
  expect "\"scrollBars\":$mask," "$s" "$what: bars from the picture and client sizes"
  s=$(section 2)
  expect "\"variant\":$fv," "$s" "$what: variant of the flow"
  expect '"noteEnabled":false' "$s" "$what: the flow has no note"
  [ $((mask & 1)) -eq 1 ] || return 0

  # The vertical bar: down arrow, trough below the thumb, up arrow; then a
  # drag below the threshold and one above it; zoom; the note; the logo.
  local bx=$((x + w + s13 / 2)) cx=$((x + w / 2)) cy=$((y + h / 2))
  local max=$((sh - h)) step=$(((sh - h) / 10))
  {
    echo "navigate $SHAPES"
    echo "tap $bx $((y + h - s13 / 2))"
    echo "state"
    echo "tap $bx $((y + h - s13 - 2))"
    echo "state"
    echo "tap $bx $((y + s13 / 2))"
    echo "state"
    for _ in $(seq 1 $((max / 10 + 3))); do echo "tap $bx $((y + h - s13 / 2))"; done
    echo "state"
    echo "press $cx $cy"
    echo "move $cx $((cy - threshold))"
    echo "move $cx $((cy - 2 * threshold))"
    echo "state"
    echo "move $cx $((cy + 1))"
    echo "release $cx $((cy + 1))"
    echo "state"
    echo "key Ctrl++"
    echo "state"
    echo "key Ctrl+0"
    echo "key F"
    echo "state"
    echo "key F"
    echo "click 1111"
    echo "state"
  } >"$WORK/s2"
  run --dpi "$dpi" --screen "$screen" --script "$WORK/s2" >"$WORK/out" || fail "$what: second script: $(cat "$WORK/err")"
  expect '"scrollY":10,' "$(section 1)" "$what: the down arrow steps 10 pixels"
  expect "\"scrollY\":$((10 + step))," "$(section 2)" "$what: the trough pages a tenth"
  expect "\"scrollY\":$step," "$(section 3)" "$what: the up arrow steps back"
  expect "\"scrollY\":$max," "$(section 4)" "$what: line-down stops at the bottom"
  expect "\"scrollY\":$max," "$(section 5)" "$what: moves at the threshold do not scroll"
  expect "\"scrollY\":$((max - 2 * threshold - 1))," "$(section 6)" "$what: a move past the threshold scrolls back"
  expect '"zoom":1.5' "$(section 7)" "$what: Ctrl+plus zooms"
  s=$(section 8)
  expect '"scrollBars":0' "$s" "$what: fit to window"
  expect '"scrollY":0' "$s" "$what: fitted at the top"
  expect "\"object\":$ABOUT}" "$(line 9)" "$what: the logo goes to about"
}

check 96 240x320 0 240 320 0
check 192 480x640 1 480 640 1
check 96 320x240 2 320 240 0
check 192 640x480 1 480 640 1

# The note in the full-view dialog, titled "Footnote".
printf 'navigate %s\nclick 0\nstate\n' "$SHAPES" >"$WORK/s3"
run --script "$WORK/s3" >"$WORK/out" || fail "note script: $(cat "$WORK/err")"
s=$(line 1)
expect '"dialog":{"html":' "$s" "the note opens the dialog"
expect '"title":"Footnote"' "$s" "titled Footnote"
expect 'Clusters and chains of cocci' "$s" "with the note's text"
expect '"page":{"data":"","object":'"$SHAPES"'}' "$s" "on the picture page"

# A click on the disabled note button (a picture without a note) does nothing
# and the script goes on; a control the page does not have stops it.
printf 'navigate %s\nclick 0\nstate\nclick 4321\nstate\n' "$FLOW" >"$WORK/s4"
run --script "$WORK/s4" >"$WORK/out"
status=$?
[ "$status" -eq 2 ] || fail "an unknown control ends the run with 2, not $status"
s=$(line 1)
expect '"noteEnabled":false' "$s" "the flow figure has no note"
reject '"dialog":{' "$s" "no dialog from the disabled note button"
expect '"page":{"data":"","object":'"$FLOW"'}' "$s" "still on the picture"
[ -z "$(line 2)" ] || fail "the run went on past the unknown control: $(line 2)"
expect 'the page shown has no control 4321' "$(cat "$WORK/err")" "the unknown control is named"

finish guide_images

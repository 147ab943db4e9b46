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

# check DPI SCREEN SHAPES_VARIANT SHAPES_W SHAPES_H FLOW_VARIANT
check() {
  local dpi=$1 screen=$2 sv=$3 sw=$4 sh=$5 fv=$6 what="$2 at $1 dpi"
  local s13=$(((13 * dpi + 48) / 96)) threshold=$((((dpi + 24) * 2) / 96))
  printf 'navigate %s\nstate\nnavigate %s\nstate\n' "$SHAPES" "$FLOW" >"$WORK/s1"
  run --dpi "$dpi" --screen "$screen" --script "$WORK/s1" >"$WORK/out" || fail "$what: first script: $(cat "$WORK/err")"
  local s x y w h
  s=$(line 1)
  [ -n "$(state_value "$s" .viewers.image)" ] || { fail "$what: no image section in $s"; return; }
  x=$(state_value "$s" .viewers.image.x); y=$(state_value "$s" .viewers.image.y)
  w=$(state_value "$s" .viewers.image.w); h=$(state_value "$s" .viewers.image.h)
  local mask=0
  [ "$sh" -gt "$h" ] && mask=$((mask | 1))
  [ "$sw" -gt "$w" ] && mask=$((mask | 2))
  expect_state "$s" <<ROWS
  .viewers.image.caption      "Figure 1. Bacterial shapes (schematic) (demo)"  $what: caption without markup
  .title                      "Figure 1. Bacterial shapes (schematic) (demo)"  $what: title
  .viewers.image.variant      $sv                                              $what: variant of the shapes
  .viewers.image.width        $sw                                              $what: picture width
  .viewers.image.height       $sh                                              $what: picture height
  .viewers.image.noteEnabled  true                                             $what: the shapes have a note
  .viewers.image.zoom         1                                                $what: no zoom at first
  .items[1].h                 $(((22 * dpi + 48) / 96))                        $what: the bar, sy(22) high
  .items[1].kind              3                                                $what: the bar, sy(22) high
  .items[1].visible           true                                             $what: the bar, sy(22) high
  .viewers.image.scrollBars   $mask                                            $what: bars from the picture and client sizes
ROWS
  expect_state "$(line 2)" <<ROWS
  .viewers.image.variant      $fv    $what: variant of the flow
  .viewers.image.noteEnabled  false  $what: the flow has no note
ROWS
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
  expect_state "$(line 1)" <<ROWS
  .viewers.image.scrollY  10  $what: the down arrow steps 10 pixels
ROWS
  expect_state "$(line 2)" <<ROWS
  .viewers.image.scrollY  $((10 + step))  $what: the trough pages a tenth
ROWS
  expect_state "$(line 3)" <<ROWS
  .viewers.image.scrollY  $step  $what: the up arrow steps back
ROWS
  expect_state "$(line 4)" <<ROWS
  .viewers.image.scrollY  $max  $what: line-down stops at the bottom
ROWS
  expect_state "$(line 5)" <<ROWS
  .viewers.image.scrollY  $max  $what: moves at the threshold do not scroll
ROWS
  expect_state "$(line 6)" <<ROWS
  .viewers.image.scrollY  $((max - 2 * threshold - 1))  $what: a move past the threshold scrolls back
ROWS
  expect_state "$(line 7)" <<ROWS
  .viewers.image.zoom  1.5  $what: Ctrl+plus zooms
ROWS
  expect_state "$(line 8)" <<ROWS
  .viewers.image.scrollBars  0  $what: fit to window
  .viewers.image.scrollY     0  $what: fitted at the top
ROWS
  expect_state "$(line 9)" <<ROWS
  .page.object  $ABOUT  $what: the logo goes to about
ROWS
}

check 96 240x320 0 240 320 0
check 192 480x640 1 480 640 1
check 96 320x240 2 320 240 0
check 192 640x480 1 480 640 1

# The note in the full-view dialog, titled "Footnote".
printf 'navigate %s\nclick 0\nstate\n' "$SHAPES" >"$WORK/s3"
run --script "$WORK/s3" >"$WORK/out" || fail "note script: $(cat "$WORK/err")"
s=$(line 1)
expect_state "$s" <<ROWS
.dialog.html   present                                  the note opens the dialog
.dialog.title  "Footnote"                               titled Footnote
.dialog.html   contains "Clusters and chains of cocci"  with the note's text
.page          {"data":"","object":$SHAPES}             on the picture page
ROWS

# A click on the disabled note button (a picture without a note) does nothing
# and the script goes on; a control the page does not have stops it.
printf 'navigate %s\nclick 0\nstate\nclick 4321\nstate\n' "$FLOW" >"$WORK/s4"
run --script "$WORK/s4" >"$WORK/out"
status=$?
[ "$status" -eq 2 ] || fail "an unknown control ends the run with 2, not $status"
s=$(line 1)
expect_state "$s" <<ROWS
.viewers.image.noteEnabled  false                       the flow figure has no note
.dialog                     null                        no dialog from the disabled note button
.page                       {"data":"","object":$FLOW}  still on the picture
ROWS
[ -z "$(line 2)" ] || fail "the run went on past the unknown control: $(line 2)"
expect 'the page shown has no control 4321' "$(cat "$WORK/err")" "the unknown control is named"

finish guide_images

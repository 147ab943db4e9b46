#!/usr/bin/env bash
# End-to-end: the index search, the key and the dual list viewers of
# vantrel-guide on the demo guide. Usage: guide_lists.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"
DUMP="$BIN/vantrel-dump"

K_ROW=$("$DUMP" --json "$DEMO" index-search K | grep -o '"row":[0-9]*' | cut -d: -f2)
[ -n "$K_ROW" ] || fail "index-search K gave no row"

# Home letter K (portrait home at 96 dpi: second letter of the J-R row) ->
# the index with K typed; a row tap opens the entry; back brings the list
# back at the same row.
cat >"$WORK/s1" <<'S'
tap 45 200
state
tap 100 45
state
command 40006
state
S
run --script "$WORK/s1" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "letter script: exit $rc $(cat "$WORK/err")"
expect_state "$(line 1)" <<ROWS
.viewers.index.search     "K"          the letter is in the box
.viewers.index.selected   $K_ROW       the first K entry is selected
.viewers.index.firstRow   $K_ROW       and drawn first
.viewers.index.rowHeight  18           rows of 18 pixels at 96 dpi
.items[1].window          "searchBar"  the search bar below the list
ROWS
ENTRY=$("$DUMP" --json "$DEMO" index-search K | grep -o '"target":[0-9]*' | cut -d: -f2)
s=$(line 2)
expect_state "$s" <<ROWS
.viewers.html  present    a row tap opens the entry's page
.page.object   != $ENTRY  the tapped row is the third drawn, not the first
ROWS
# The page data: a 32-bit 0 and the row, little-endian.
KDATA=00000000$(printf '%02x%02x%02x%02x' $((K_ROW & 255)) $((K_ROW >> 8 & 255)) $((K_ROW >> 16 & 255)) $((K_ROW >> 24 & 255)))
expect_state "$(line 3)" <<ROWS
.viewers.index.firstRow  $K_ROW    back: the list where it was left
.viewers.index.selected  $K_ROW    back: the row selected again
.page.data               "$KDATA"  the row is kept as page data
ROWS

# Typing, BackSpace, a text beyond every entry.
cat >"$WORK/s2" <<'S'
navigate-key index
type ab
state
key BackSpace
key BackSpace
state
type zzzz
state
S
run --script "$WORK/s2" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "typing script: exit $rc $(cat "$WORK/err")"
AB=$("$DUMP" --json "$DEMO" index-search ab | grep -o '"row":[0-9]*' | cut -d: -f2)
expect_state "$(line 1)" <<ROWS
.viewers.index.search    "ab"  typed text in the box
.viewers.index.selected  $AB   typing selects the first match
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.index.selected  -1  an empty box selects nothing
.viewers.index.firstRow  0   and goes back to the top
ROWS
ROWS=$(state_value "$(line 3)" .viewers.index.rows)
expect_state "$(line 3)" <<ROWS
.viewers.index.selected  $((ROWS - 1))  a text beyond every entry selects the last
ROWS

# Holding the pen on a row cut off at the right shows it whole and opens nothing.
LONG=$("$DUMP" --json "$DEMO" index-search "Sexually transmitted" | grep -o '"row":[0-9]*' | cut -d: -f2)
cat >"$WORK/s3" <<S
navigate-key index
type Sexually transmitted
press 100 5
wait 250
release 100 5
state
S
run --script "$WORK/s3" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "hold script: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect_state "$s" <<'ROWS'
.popup.text  "Sexually transmitted and exposures infections"  the full text in the popup
.title       "Index"                                          the hold opened nothing
ROWS

# The key: raw-markup search, explanation, clearing.
cat >"$WORK/s4" <<'S'
navigate-key tools
state
type q
state
key BackSpace
state
type <
state
S
run --script "$WORK/s4" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "key script: exit $rc $(cat "$WORK/err")"
Q=$("$DUMP" --json "$DEMO" key-search q | grep -o '"row":[0-9]*' | cut -d: -f2)
expect_state "$(line 1)" <<'ROWS'
.viewers.key.selected  -1     the key starts with nothing selected
.viewers.key.html      ""     and no explanation
.items[0].window       "key"  the key window fills the page
ROWS
expect_state "$(line 2)" <<ROWS
.viewers.key.selected  $Q                        q selects the first abbreviation starting with q
.viewers.key.html      contains "Every 6 hours"  its explanation is shown
ROWS
expect_state "$(line 3)" <<'ROWS'
.viewers.key.selected  -1  BackSpace clears the highlight
.viewers.key.html      ""  and the explanation
.viewers.key.firstRow  0   and goes to the top
ROWS
expect_state "$(line 4)" <<'ROWS'
.viewers.key.selected  0  a tag character finds the entry whose markup starts with a tag
ROWS

# On the key's last page the row found is highlighted, not the first row shown.
VR=$("$DUMP" --json "$DEMO" key-search vr | grep -o '"row":[0-9]*' | cut -d: -f2)
printf 'navigate-key tools\ntype vr\nstate\n' | run --script - >"$WORK/out"
s=$(line 1)
expect_state "$s" <<ROWS
.viewers.key.selected  $VR  the last page highlights the row found
ROWS
FIRST=$(state_value "$s" .viewers.key.firstRow)
[ -n "$FIRST" ] && [ "$FIRST" -le "$VR" ] || fail "the key's last page starts at or before the row found: $s"

# The dual list: counterpart across the lists.
DUAL=$(obj dual_table)
C2=$("$DUMP" --json "$DEMO" counterpart "$DUAL" 5 | grep -o '"row":-\?[0-9]*' | cut -d: -f2)
cat >"$WORK/s5" <<S
navigate $DUAL
state
S
run --script "$WORK/s5" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "dual script: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect_state "$s" <<'ROWS'
.viewers.dual.divider  469                               portrait divider at 96 dpi
.viewers.dual.title    "Generic and Trade Names (demo)"  the table's title
ROWS
UY=$(state_value "$s" .viewers.dual.upper.y)
cat >"$WORK/s6" <<S
navigate $DUAL
tap 60 $((UY + 5 * 18 + 9))
state
navigate-key home
navigate $DUAL
state
S
run --script "$WORK/s6" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "dual tap script: exit $rc $(cat "$WORK/err")"
expect_state "$(line 1)" <<ROWS
.viewers.dual.lower.selected  $C2  upper row 5 selects its counterpart $C2 below
.viewers.dual.upper.selected  5    upper row 5 selects its counterpart $C2 below
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.dual.upper.selected  -1  a new visit clears both lists
.viewers.dual.lower.selected  -1  a new visit clears both lists
.viewers.dual.upper.firstRow  0   a new visit clears both lists
.viewers.dual.lower.firstRow  0   a new visit clears both lists
ROWS

# Landscape at 192 dpi: the high-resolution landscape divider.
printf 'navigate %s\nstate\n' "$DUAL" | run --dpi 192 --screen 640x480 --script - >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.viewers.dual.divider  468  landscape at 192 dpi uses 468
ROWS

finish guide_lists

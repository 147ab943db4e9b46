#!/usr/bin/env bash
# End-to-end: the index search, the key and the dual list viewers of
# vantrel-guide on the demo guide. Usage: guide_lists.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"
DUMP="$BIN/vantrel-dump"
# field NAME JSON: the value of the first "NAME": in JSON (numbers, null)
field() { echo "$2" | grep -o "\"$1\":-\?[0-9a-z]*" | head -1 | cut -d: -f2; }
# section NAME LINE: the viewer section NAME of a state line
section() { echo "$2" | python3 -c "import sys,json; print(json.dumps(json.load(sys.stdin)['viewers'].get('$1'), separators=(',',':')))"; }

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
s=$(section index "$(line 1)")
expect '"search":"K"' "$s" "the letter is in the box"
expect "\"selected\":$K_ROW" "$s" "the first K entry is selected"
expect "\"firstRow\":$K_ROW" "$s" "and drawn first"
expect '"rowHeight":18' "$s" "rows of 18 pixels at 96 dpi"
expect '"window":"searchBar"' "$(line 1)" "the search bar below the list"
ENTRY=$("$DUMP" --json "$DEMO" index-search K | grep -o '"target":[0-9]*' | cut -d: -f2)
s=$(line 2)
expect '"viewers":{"chrome":{},"html"' "$s" "a row tap opens the entry's page"
reject "\"object\":$ENTRY," "$s" "the tapped row is the third drawn, not the first"
s=$(section index "$(line 3)")
expect "\"firstRow\":$K_ROW" "$s" "back: the list where it was left"
expect "\"selected\":$K_ROW" "$s" "back: the row selected again"
expect "\"data\":\"00000000" "$(line 3)" "the row is kept as page data"

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
s=$(section index "$(line 1)")
expect '"search":"ab"' "$s" "typed text in the box"
expect "\"selected\":$AB" "$s" "typing selects the first match"
s=$(section index "$(line 2)")
expect '"selected":-1' "$s" "an empty box selects nothing"
expect '"firstRow":0' "$s" "and goes back to the top"
s=$(section index "$(line 3)")
ROWS=$(field rows "$s")
expect "\"selected\":$((ROWS - 1))" "$s" "a text beyond every entry selects the last"

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
expect '"text":"Sexually transmitted and exposures infections"' "$(echo "$s" | grep -o '"popup":{[^}]*}')" "the full text in the popup"
expect '"title":"Index"' "$s" "the hold opened nothing"

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
s=$(section key "$(line 1)")
expect '"selected":-1' "$s" "the key starts with nothing selected"
expect '"html":""' "$s" "and no explanation"
expect '"window":"key"' "$(line 1)" "the key window fills the page"
s=$(section key "$(line 2)")
expect "\"selected\":$Q" "$s" "q selects the first abbreviation starting with q"
expect 'Every 6 hours' "$s" "its explanation is shown"
s=$(section key "$(line 3)")
expect '"selected":-1' "$s" "BackSpace clears the highlight"
expect '"html":""' "$s" "and the explanation"
expect '"firstRow":0' "$s" "and goes to the top"
s=$(section key "$(line 4)")
expect '"selected":0' "$s" "a tag character finds the entry whose markup starts with a tag"

# On the key's last page the row found is highlighted, not the first row shown.
VR=$("$DUMP" --json "$DEMO" key-search vr | grep -o '"row":[0-9]*' | cut -d: -f2)
printf 'navigate-key tools\ntype vr\nstate\n' | run --script - >"$WORK/out"
s=$(section key "$(line 1)")
expect "\"selected\":$VR" "$s" "the last page highlights the row found"
FIRST=$(field firstRow "$s")
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
s=$(section dual "$(line 1)")
expect '"divider":469' "$s" "portrait divider at 96 dpi"
expect '"title":"Generic and Trade Names (demo)"' "$s" "the table's title"
UY=$(echo "$s" | python3 -c "import sys,json; print(json.load(sys.stdin)['upper']['y'])")
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
s=$(section dual "$(line 1)")
LOWER=$(echo "$s" | python3 -c "import sys,json; d=json.load(sys.stdin); print(d['lower']['selected'], d['upper']['selected'])")
[ "$LOWER" = "$C2 5" ] || fail "upper row 5 selects its counterpart $C2 below: got $LOWER"
s=$(section dual "$(line 2)")
CLEARED=$(echo "$s" | python3 -c "import sys,json; d=json.load(sys.stdin); print(d['upper']['selected'], d['lower']['selected'], d['upper']['firstRow'], d['lower']['firstRow'])")
[ "$CLEARED" = "-1 -1 0 0" ] || fail "a new visit clears both lists: got $CLEARED"

# Landscape at 192 dpi: the high-resolution landscape divider.
printf 'navigate %s\nstate\n' "$DUAL" | run --dpi 192 --screen 640x480 --script - >"$WORK/out"
expect '"divider":468' "$(section dual "$(line 1)")" "landscape at 192 dpi uses 468"

finish guide_lists

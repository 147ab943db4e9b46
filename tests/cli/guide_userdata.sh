#!/usr/bin/env bash
# End-to-end: bookmarks and notes in vantrel-guide on a copy of the demo
# guide, through scripts: the add-bookmark flow and its refusals, the
# bookmark list overlay, reopening a bookmark (a decision-tree question with
# its anchor), deleting checked entries, the notes list and editor, and
# everything kept across a restart. Usage: guide_userdata.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"

# The reader writes bookmarks and notes beside the content: work on a copy.
cp -r "$DEMO" "$WORK/guide"
rm -f "$WORK/guide"/bookmarks.vs? "$WORK/guide"/notes.vs?
DEMO=$WORK/guide

TREE=$(obj pep_tree)
Q1=$(obj pep_q_source)
RENAL=$(obj renal_table)
MONO=$(obj mono_table)
# A question page's data: its anchor (the question's index) in UTF-16 with a terminating zero.
QHEX=$(printf '%s' "$Q1" | od -An -tx1 -v | tr -d ' \n' | sed 's/../&00/g')0000
[ -n "$TREE" ] && [ -n "$RENAL" ] && [ -n "$MONO" ] || fail "objects.txt lacks the demo objects"
# section NAME LINE: the viewers.NAME section of a state line, up to its
# first nested object (the notes editor's fields are checked on the whole line)
section() { printf '%s' "$2" | grep -o "\"$1\":{[^}]*}" | head -1; }
num() { printf '%s' "$2" | grep -o "\"$1\":-\?[0-9]*" | head -1 | cut -d: -f2; }

# Refusals: home, the calculator's results page; then a bookmark through the
# dialog (an empty "Save" refused first), and the same place again.
cat >"$WORK/s1" <<S
command 40025
state
navigate-key calc_result
command 40025
state
navigate $RENAL
command 40025
state
click 17
state
type Renal doses
click 17
state
command 40025
state
S
run --script "$WORK/s1" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "add-bookmark script: exit $rc $(cat "$WORK/err")"
expect '"caption":"Bookmarks","text":"You can'"'"'t place a bookmark here."' "$(line 1)" "home refused"
expect '"text":"You can'"'"'t place a bookmark here."' "$(line 2)" "calculator results refused"
expect '"dialog":{"html":null,"text":"","title":"Add bookmark"}' "$(line 3)" "title dialog open"
expect '"title":"Add bookmark"' "$(line 4)" "empty Save keeps the dialog"
expect '"dialog":null' "$(line 5)" "Save with a title closes it"
expect '"text":"You can'"'"'t place a bookmark here. Bookmark exists."' "$(line 6)" "second bookmark of a place"

# A bookmark on a decision-tree question reopens at its anchor; the list is
# an overlay with its bar; back shows the current page again.
cat >"$WORK/s2" <<S
navigate $TREE
link $Q1
command 40025
type Tree question
click 17
navigate $MONO
command 40026
state
S
run --script "$WORK/s2" >"$WORK/out" || fail "tree bookmark script: $(cat "$WORK/err")"
s=$(line 1)
b=$(section bookmarks "$s")
expect '"rows":["Renal doses","Tree question"]' "$b" "bookmark list rows"
expect '"readOnly":false' "$b" "bookmarks writable"
expect '"bottomBar":[654,123,1111]' "$s" "list bar with the logo"
expect '"overlay":true' "$s" "bookmarks are an overlay"
expect "\"page\":{\"data\":\"\",\"object\":$MONO}" "$s" "the page underneath stays"
y=$(num y "$b"); rh=$(num rowHeight "$b")
cat >"$WORK/s3" <<S
navigate $MONO
command 40026
tap 120 $((y + rh + rh / 2))
state
command 40026
command 40006
state
S
run --script "$WORK/s3" >"$WORK/out" || fail "open bookmark script: $(cat "$WORK/err")"
s=$(line 1)
expect '"overlay":false' "$s" "a tapped bookmark leaves the list"
expect "\"anchor\":\"$Q1\"" "$s" "the tree question reopens at its anchor"
expect "\"data\":\"$QHEX\",\"object\":$Q1}" "$s" "the question page with its page data"
s=$(line 2)
expect "\"object\":$Q1}" "$s" "back from the list shows the current entry"
expect '"overlay":false' "$s" "back from the list"

# Deleting the checked entries 0 and 2 of 5.
{
  for o in 6 7 8 9 10; do printf 'navigate %s\ncommand 40025\ntype b%s\nclick 17\n' "$o" "$o"; done
  printf 'command 40026\nstate\ncheck 0\ncheck 2\nstate\nclick 123\nstate\n'
} >"$WORK/s4"
rm -f "$DEMO"/bookmarks.vs?
run --script "$WORK/s4" >"$WORK/out" || fail "delete script: $(cat "$WORK/err")"
expect '"rows":["b6","b7","b8","b9","b10"]' "$(section bookmarks "$(line 1)")" "five bookmarks"
expect '"checked":[0,2]' "$(section bookmarks "$(line 2)")" "two checked"
expect '"rows":["b7","b9","b10"]' "$(section bookmarks "$(line 3)")" "0 and 2 removed"

# Notes: a new note from the list (empty title refused), reopened, edited,
# cancelled; a note on a page found again by Add/Edit Note on that page.
cat >"$WORK/s5" <<S
command 40024
state
click 654
state
click 124
state
click 44
type Allergy check
click 45
type Ask about rash
click 124
state
S
run --script "$WORK/s5" >"$WORK/out" || fail "notes script: $(cat "$WORK/err")"
n=$(line 1)
expect '"mode":"list"' "$n" "notes list"
expect '"caption":"Notes"' "$n" "notes caption"
expect '"bottomBar":[654,123,1111]' "$(line 1)" "list bar under the notes"
n=$(line 2)
expect '"mode":"editor"' "$n" "new note opens the editor"
expect '"caption":"Add Note"' "$n" "editor caption"
expect '"bottomBar":[124,125,1111]' "$(line 2)" "editor bar"
expect '"text":"You can'"'"'t save this note. \"Title\" field is empty."' "$(line 3)" "empty title refused"
expect '"mode":"editor"' "$(line 3)" "still editing"
expect '"rows":["Allergy check"]' "$(line 4)" "saved, back in the list"

cat >"$WORK/s6" <<S
command 40024
tap 120 $((y + rh / 2))
state
click 45
type  and fever
click 125
state
navigate $RENAL
command 40023
click 44
type On renal
click 124
state
navigate $MONO
navigate $RENAL
command 40023
state
S
run --script "$WORK/s6" >"$WORK/out" || fail "notes script 2: $(cat "$WORK/err")"
n=$(line 1)
expect '"title":"Allergy check"' "$n" "reopened from the list"
expect '"body":"Ask about rash"' "$n" "its text"
expect '"mode":"list"' "$(line 2)" "cancel goes back to the list"
s=$(line 3)
expect '"overlay":false' "$s" "Add/Edit Note saved: the page again"
expect "\"object\":$RENAL}" "$s" "the page it was written on"
expect '"title":"On renal"' "$(line 4)" "found again on its page"

# Everything is still there after a restart.
printf 'command 40026\nstate\ncommand 40024\nstate\n' | run --script - >"$WORK/out"
expect '"rows":["b7","b9","b10"]' "$(section bookmarks "$(line 1)")" "bookmarks after a restart"
expect '"rows":["Allergy check","On renal"]' "$(line 2)" "notes after a restart"

# Look at it: the lists and the editor at 96 and 192 dpi.
# Typing right after a dialog closed, or right after the editor opens, goes
# into the box the page offers: the note's title, the search box.
export XDG_CACHE_HOME="$WORK/cache"
run --script - > "$WORK/out" <<EOF2
navigate $MONO
command 40025
click 18
command 40023
type Typed at once
state
key Ctrl+K
wait-index 120000
type penicillin
wait 300
state
EOF2
expect '"title":"Typed at once"' "$(line 1)" "the note editor opens with the focus in its title"
expect '"query":"penicillin"' "$(line 2)" "the search box takes keys after the title dialog was cancelled"

if [ -n "${VANTREL_SHOTS:-}" ]; then
  for d in 96 192; do
    scr=240x320; [ $d = 192 ] && scr=480x640
    printf 'command 40026\nshot %s/bm-%s.png\ncommand 40024\nclick 654\nshot %s/ed-%s.png\nnavigate %s\ncommand 40025\ntype Shot\nshot %s/dlg-%s.png\nclick 18\n' \
      "$VANTREL_SHOTS" $d "$VANTREL_SHOTS" $d "$RENAL" "$VANTREL_SHOTS" $d | run --dpi $d --screen $scr --script - >/dev/null
  done
fi
finish guide_userdata

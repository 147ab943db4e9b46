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
expect_state "$(line 1)" <<'ROWS'
.messages[0].caption  "Bookmarks"                         home refused
.messages[0].text     "You can't place a bookmark here."  home refused
ROWS
expect_state "$(line 2)" <<'ROWS'
.messages[0].text  "You can't place a bookmark here."  calculator results refused
ROWS
expect_state "$(line 3)" <<'ROWS'
.dialog  {"html":null,"text":"","title":"Add bookmark"}  title dialog open
ROWS
expect_state "$(line 4)" <<'ROWS'
.dialog.title  "Add bookmark"  empty Save keeps the dialog
ROWS
expect_state "$(line 5)" <<'ROWS'
.dialog  null  Save with a title closes it
ROWS
expect_state "$(line 6)" <<'ROWS'
.messages[0].text  "You can't place a bookmark here. Bookmark exists."  second bookmark of a place
ROWS

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
expect_state "$s" <<ROWS
.viewers.bookmarks.rows      ["Renal doses","Tree question"]  bookmark list rows
.viewers.bookmarks.readOnly  false                            bookmarks writable
.bottomBar                   [654,123,1111]                   list bar with the logo
.overlay                     true                             bookmarks are an overlay
.page                        {"data":"","object":$MONO}       the page underneath stays
ROWS
y=$(state_value "$s" .viewers.bookmarks.y); rh=$(state_value "$s" .viewers.bookmarks.rowHeight)
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
expect_state "$s" <<ROWS
.overlay              false    a tapped bookmark leaves the list
.viewers.html.anchor  "$Q1"    the tree question reopens at its anchor
.page.data            "$QHEX"  the question page with its page data
.page.object          $Q1      the question page with its page data
ROWS
s=$(line 2)
expect_state "$s" <<ROWS
.page.object  $Q1    back from the list shows the current entry
.overlay      false  back from the list
ROWS

# Deleting the checked entries 0 and 2 of 5.
{
  for o in 6 7 8 9 10; do printf 'navigate %s\ncommand 40025\ntype b%s\nclick 17\n' "$o" "$o"; done
  printf 'command 40026\nstate\ncheck 0\ncheck 2\nstate\nclick 123\nstate\n'
} >"$WORK/s4"
rm -f "$DEMO"/bookmarks.vs?
run --script "$WORK/s4" >"$WORK/out" || fail "delete script: $(cat "$WORK/err")"
expect_state "$(line 1)" <<'ROWS'
.viewers.bookmarks.rows  ["b6","b7","b8","b9","b10"]  five bookmarks
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.bookmarks.checked  [0,2]  two checked
ROWS
expect_state "$(line 3)" <<'ROWS'
.viewers.bookmarks.rows  ["b7","b9","b10"]  0 and 2 removed
ROWS

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
expect_state "$n" <<'ROWS'
.viewers.notes.mode     "list"   notes list
.viewers.notes.caption  "Notes"  notes caption
ROWS
expect_state "$(line 1)" <<'ROWS'
.bottomBar  [654,123,1111]  list bar under the notes
ROWS
n=$(line 2)
expect_state "$n" <<'ROWS'
.viewers.notes.mode     "editor"    new note opens the editor
.viewers.notes.caption  "Add Note"  editor caption
ROWS
expect_state "$(line 2)" <<'ROWS'
.bottomBar  [124,125,1111]  editor bar
ROWS
expect_state "$(line 3)" <<'ROWS'
.messages[0].text    "You can't save this note. \"Title\" field is empty."  empty title refused
.viewers.notes.mode  "editor"  still editing
ROWS
expect_state "$(line 4)" <<'ROWS'
.viewers.notes.rows  ["Allergy check"]  saved, back in the list
ROWS

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
expect_state "$n" <<'ROWS'
.viewers.notes.title  "Allergy check"   reopened from the list
.viewers.notes.body   "Ask about rash"  its text
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.notes.mode  "list"  cancel goes back to the list
ROWS
s=$(line 3)
expect_state "$s" <<ROWS
.overlay      false   Add/Edit Note saved: the page again
.page.object  $RENAL  the page it was written on
ROWS
expect_state "$(line 4)" <<'ROWS'
.viewers.notes.title  "On renal"  found again on its page
ROWS

# Everything is still there after a restart.
printf 'command 40026\nstate\ncommand 40024\nstate\n' | run --script - >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.viewers.bookmarks.rows  ["b7","b9","b10"]  bookmarks after a restart
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.notes.rows  ["Allergy check","On renal"]  notes after a restart
ROWS

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
expect_state "$(line 1)" <<'ROWS'
.viewers.notes.title  "Typed at once"  the note editor opens with the focus in its title
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.search.query  "penicillin"  the search box takes keys after the title dialog was cancelled
ROWS

if [ -n "${VANTREL_SHOTS:-}" ]; then
  for d in 96 192; do
    scr=240x320; [ $d = 192 ] && scr=480x640
    printf 'command 40026\nshot %s/bm-%s.png\ncommand 40024\nclick 654\nshot %s/ed-%s.png\nnavigate %s\ncommand 40025\ntype Shot\nshot %s/dlg-%s.png\nclick 18\n' \
      "$VANTREL_SHOTS" $d "$VANTREL_SHOTS" $d "$RENAL" "$VANTREL_SHOTS" $d | run --dpi $d --screen $scr --script - >/dev/null
  done
fi
finish guide_userdata

#!/usr/bin/env bash
# End-to-end: the contents tree and the tight hierarchy viewer of
# vantrel-guide on the demo guide, through scripts. Usage: guide_tree.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"

# rowof TEXT LINE: "x y h object" of the first tree row with that text.
rowof() {
  echo "$2" | grep -o "{\"depth\":[0-9]*,\"expanded\":[a-z]*,\"h\":[0-9]*,\"leaf\":[a-z]*,\"object\":[0-9]*,\"text\":\"$1\",\"x\":[0-9]*,\"y\":[0-9]*}" |
    head -1 | sed -E 's/.*"h":([0-9]+).*"object":([0-9]+).*"x":([0-9]+),"y":([0-9]+).*/\3 \4 \1 \2/'
}
# tapof TEXT LINE: the tap command on that row's label.
tapof() {
  local r
  r=($(rowof "$1" "$2"))
  [ ${#r[@]} -eq 4 ] || { fail "no visible row \"$1\"" >&2; echo "state"; return; }
  echo "tap $((r[0] + 5)) $((r[1] + r[2] / 2))"
}
objof() { local r; r=($(rowof "$1" "$2")); echo "${r[3]:-0}"; }
# steps: run the script built so far; the last line of output into $s
steps() { run --script "$WORK/s" >"$WORK/out" || fail "script: exit $? $(cat "$WORK/err")"; s=$(tail -1 "$WORK/out"); }

TOC=$(obj TOC)
SPECALL=$(obj spec_all)
MONO=$(obj mono_table)
AMOX=$(obj mono_amoxicillin)
PIPTAZO=$(obj mono_piptazo)
EMPIRIC=$(obj empiric_table)
SEPSIS=$(obj cond_sepsis)
SEPSISNOTE=$(obj note_sepsis)

# --- Contents from the home page, three levels down and back ---
printf 'tap 150 139\nstate\n' >"$WORK/s"
steps
expect_state "$s" <<ROWS
.page                            {"data":"","object":$TOC}  the Contents button opens the contents
.viewers.contents                present                    the contents viewer took the page
.title                           "Contents"                 contents title
.viewers.contents.rows[*].depth  hasnt 1                    only the top level at first
.viewers.contents.highlighted    0                          nothing highlighted at first
.viewers.contents.rows[*].text   has "About this guide"     a chapter row
ROWS
first=$(state_value "$s" .viewers.contents.firstVisible)

L1=$(objof "Antimicrobial tables" "$s")
tapof "Antimicrobial tables" "$s" >>"$WORK/s"; echo state >>"$WORK/s"
steps
expect_state "$s" <<ROWS
.page   {"data":"","object":$L1}  a chapter tap opens the chapter's page
.title  "Antimicrobial tables"    chapter title
ROWS
expect_state "$s" <<ROWS
.viewers.contents.rows[object=$L1].expanded  true                    the chapter is expanded
.viewers.contents.rows[object=$L1].leaf      false                   the chapter is expanded
.viewers.contents.highlighted                $L1                     the chapter is highlighted
.viewers.contents.rows[*].depth              has 1                   its sections are shown
.viewers.contents.firstVisible               $first                  the tree was not rebuilt or scrolled
.viewers.contents.rows[*].text               has "Drug information"  the other chapters stay
ROWS

L2=$(objof "Spectrum of activity" "$s")
tapof "Spectrum of activity" "$s" >>"$WORK/s"; echo state >>"$WORK/s"
steps
expect_state "$s" <<ROWS
.page.object                     $L2    a section tap opens the section
.viewers.contents.rows[*].depth  has 2  the third level is shown
.viewers.contents.highlighted    $L2    the section is highlighted
ROWS

tapof "All organisms and antibacterials" "$s" >>"$WORK/s"; echo state >>"$WORK/s"
steps
expect_state "$s" <<ROWS
.page              {"data":"","object":$SPECALL}  a leaf follows its link
.viewers.table     present                        the linked table is shown
.viewers.contents  absent                         the contents pane is gone
ROWS

printf 'command 40006\nstate\ncommand 40006\ncommand 40006\nstate\n' >>"$WORK/s"
steps
back1=$(tail -2 "$WORK/out" | head -1)
expect_state "$back1" <<ROWS
.page                            {"data":"","object":$L2}  back to the section
.viewers.contents.highlighted    $L2                       the section is highlighted again
.viewers.contents.firstVisible   $L2                       and scrolled to the top
.viewers.contents.rows[*].depth  has 2                     and expanded
ROWS
expect_state "$s" <<ROWS
.page                            {"data":"","object":$TOC}  back to the contents
.viewers.contents.rows[*].depth  hasnt 1                    the contents start folded again
ROWS

# expand / collapse, and an item that is not shown.
CH=$(objof "Drug information" "$(line 1)")
printf 'navigate-key toc\nexpand %s\nstate\ncollapse %s\nstate\nexpand %s\nstate\n' "$CH" "$CH" "$CH" >"$WORK/s"
steps
expect_state "$(line 1)" <<'ROWS'
.viewers.contents.rows[*].depth  has 1  expand shows the sections
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.contents.rows[*].depth  hasnt 1  collapse hides them
ROWS
# depth1 LINE: how many contents rows of a state line are at depth 1
depth1() { state_value "$1" '.viewers.contents.rows[*].depth' | tr ',[]' '\n\n\n' | grep -cx 1; }
n1=$(depth1 "$(line 1)")
n3=$(depth1 "$(line 3)")
[ "$n1" -eq "$n3" ] || fail "expanding again inserted entries twice ($n1, then $n3)"
printf 'navigate-key toc\nexpand %s\n' "$SPECALL" | run --script - >"$WORK/out"; rc=$?
[ $rc -eq 2 ] || fail "expand of an item not shown: exit $rc"
expect "not in the tree as shown" "$(cat "$WORK/err")" "expand error message"

# --- A tight hierarchy: a leaf's fields page and the field jump ---
printf 'navigate %s\nstate\n' "$MONO" >"$WORK/s"
steps
expect_state "$s" <<'ROWS'
.viewers.tightHierarchy                     present            the tight hierarchy viewer took the table
.viewers.tightHierarchy.html                ""                 no fields page on the table
.viewers.tightHierarchy.fieldNames[0]       "Class"            the field names
.viewers.tightHierarchy.fieldNames[1]       "Adult dose"       the field names
.viewers.tightHierarchy.fieldNames[2]       "Paediatric dose"  the field names
.items[1].window                            "buttonBar"        the field-jump bar
.viewers.tightHierarchy.tree.rows[*].depth  hasnt 1            only the top level at first
ROWS
tapof "Penicillins" "$s" >>"$WORK/s"; echo state >>"$WORK/s"
steps
tapof "Amoxicillin" "$s" >>"$WORK/s"; printf 'state\nclick 333\nstate\nchoose 1\nstate\n' >>"$WORK/s"
steps
leaf=$(tail -3 "$WORK/out" | head -1)
expect_state "$leaf" <<ROWS
.page                                     {"data":"01","object":$AMOX}             a leaf tap opens its fields
.title                                    "Amoxicillin"                            leaf title
.viewers.tightHierarchy.html              contains "<B><A NAME="                   field anchors
.viewers.tightHierarchy.html              contains ">Paediatric dose</A></B><BR>"  a filled field under its name
.viewers.tightHierarchy.tree.highlighted  $AMOX                                    the leaf stays highlighted
ROWS
menu=$(tail -2 "$WORK/out" | head -1)
expect_state "$menu" <<'ROWS'
.menu[0]  "Class"             the field-jump list
.menu[1]  "Adult dose"        the field-jump list
.menu[2]  "Paediatric dose"   the field-jump list
.menu[3]  "Renal impairment"  the field-jump list
ROWS
anchor=$(echo "$leaf" | grep -o '<A NAME=[0-9]*>Adult dose' | sed -E 's/<A NAME=([0-9]+)>.*/\1/')
expect_state "$s" <<ROWS
.viewers.tightHierarchy.anchor  "$anchor"  choosing a field scrolls to it
.menu                           null       the list closed
ROWS

# A link of the fields page opens its object.
printf 'navigate %s 01\nlink %s\nstate\n' "$AMOX" "$(obj renal_drug_amoxicillin)" >"$WORK/s"
steps
expect_state "$s" <<ROWS
.page           {"data":"","object":$(obj renal_drug_amoxicillin)}  a field's link opens its target
.viewers.table  present  the renal table shows it
ROWS

printf 'navigate %s\nstate\nclick 333\nstate\n' "$PIPTAZO" >"$WORK/s"
steps
expect_state "$(line 1)" <<'ROWS'
.viewers.tightHierarchy.html  lacks ">Paediatric dose<"  an empty field is left out
ROWS
expect_state "$s" <<'ROWS'
.menu[0]  "Class"             the list offers only the filled fields
.menu[1]  "Adult dose"        the list offers only the filled fields
.menu[2]  "Renal impairment"  the list offers only the filled fields
ROWS

# The splitter: dragged to the top it stops at a quarter; the middle mark snaps back.
printf 'navigate %s\nstate\n' "$MONO" >"$WORK/s"
steps
sy=$(state_value "$s" .viewers.tightHierarchy.splitter.y)
expect_state "$s" <<'ROWS'
.viewers.tightHierarchy.ratio  0.5  the split starts in the middle
ROWS
printf 'press 50 %s\nmove 50 -200\nrelease 50 -200\nstate\n' "$((sy + 5))" >>"$WORK/s"
steps
expect_state "$s" <<'ROWS'
.viewers.tightHierarchy.ratio  0.25  dragged up, the split stops at a quarter
ROWS
sy2=$(state_value "$s" .viewers.tightHierarchy.splitter.y)
[ "$sy2" -lt "$sy" ] || fail "the splitter did not move up ($sy -> $sy2)"
printf 'press 50 %s\nmove 50 900\nrelease 50 900\nstate\ntap 216 %s\nstate\n' "$((sy2 + 5))" "$((sy2 + 5))" >>"$WORK/s"
steps
expect_state "$(tail -2 "$WORK/out" | head -1)" <<'ROWS'
.viewers.tightHierarchy.ratio  0.75  dragged down, the split stops at three quarters
ROWS
sy3=$(state_value "$(tail -2 "$WORK/out" | head -1)" .viewers.tightHierarchy.splitter.y)
printf 'tap 216 %s\nstate\n' "$((sy3 + 5))" >>"$WORK/s"
steps
expect_state "$s" <<'ROWS'
.viewers.tightHierarchy.ratio  0.5  the middle mark snaps back to the middle
ROWS

# A linked tight hierarchy: a leaf with a link opens its target.
printf 'navigate %s\nstate\n' "$EMPIRIC" >"$WORK/s"
steps
expect_state "$s" <<'ROWS'
.viewers.tightHierarchy.tree.rows[*].depth  hasnt 1  the linked table shows its top level
ROWS
# Reached from elsewhere, the leaf's branch opens and the leaf comes to the top.
printf 'navigate %s\nstate\n' "$SEPSIS" >"$WORK/s"
steps
expect_state "$s" <<ROWS
.viewers.tightHierarchy.tree.firstVisible  $SEPSIS  the leaf is scrolled to the top
.viewers.tightHierarchy.tree.highlighted   $SEPSIS  and highlighted
ROWS
tapof "Sepsis of unknown source" "$s" >>"$WORK/s"; echo state >>"$WORK/s"
steps
expect_state "$s" <<ROWS
.page  {"data":"","object":$SEPSISNOTE}  a linked leaf opens its target
ROWS

# The contents viewer on a "tight crt" table: its items as stored.
printf 'navigate %s\nstate\n' "$(obj spec_table)" >"$WORK/s"
steps
expect_state "$s" <<'ROWS'
.viewers.contents  present  the contents viewer shows a tight crt table with footnotes
ROWS
expect_state "$(printf 'navigate %s\nstate\n' "$(obj spec_orgs)" | run --script -)" <<ROWS
.viewers.contents.highlighted  $(obj spec_orgs)  an item of it opens highlighted
ROWS

finish guide_tree

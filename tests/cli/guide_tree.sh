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
expect "\"page\":{\"data\":\"\",\"object\":$TOC}" "$s" "the Contents button opens the contents"
expect '"contents":{' "$s" "the contents viewer took the page"
expect '"title":"Contents"' "$s" "contents title"
reject '"depth":1' "$s" "only the top level at first"
expect '"highlighted":0' "$s" "nothing highlighted at first"
expect '"text":"About this guide","x":' "$s" "a chapter row"
first=$(echo "$s" | grep -o '"firstVisible":[0-9]*')

L1=$(objof "Antimicrobial tables" "$s")
tapof "Antimicrobial tables" "$s" >>"$WORK/s"; echo state >>"$WORK/s"
steps
expect "\"page\":{\"data\":\"\",\"object\":$L1}" "$s" "a chapter tap opens the chapter's page"
expect '"title":"Antimicrobial tables"' "$s" "chapter title"
expect "\"expanded\":true,\"h\":[0-9]*,\"leaf\":false,\"object\":$L1" "$(echo "$s" | sed 's/"h":[0-9]*/"h":[0-9]*/g')" "the chapter is expanded"
expect "\"highlighted\":$L1" "$s" "the chapter is highlighted"
expect '"depth":1' "$s" "its sections are shown"
expect "$first" "$s" "the tree was not rebuilt or scrolled"
expect '"text":"Drug information"' "$s" "the other chapters stay"

L2=$(objof "Spectrum of activity" "$s")
tapof "Spectrum of activity" "$s" >>"$WORK/s"; echo state >>"$WORK/s"
steps
expect "\"object\":$L2" "$s" "a section tap opens the section"
expect '"depth":2' "$s" "the third level is shown"
expect "\"highlighted\":$L2" "$s" "the section is highlighted"

tapof "All organisms and antibacterials" "$s" >>"$WORK/s"; echo state >>"$WORK/s"
steps
expect "\"page\":{\"data\":\"\",\"object\":$SPECALL}" "$s" "a leaf follows its link"
expect '"table":{' "$s" "the linked table is shown"
reject '"contents":{' "$s" "the contents pane is gone"

printf 'command 40006\nstate\ncommand 40006\ncommand 40006\nstate\n' >>"$WORK/s"
steps
back1=$(tail -2 "$WORK/out" | head -1)
expect "\"page\":{\"data\":\"\",\"object\":$L2}" "$back1" "back to the section"
expect "\"highlighted\":$L2" "$back1" "the section is highlighted again"
expect "\"firstVisible\":$L2" "$back1" "and scrolled to the top"
expect '"depth":2' "$back1" "and expanded"
expect "\"page\":{\"data\":\"\",\"object\":$TOC}" "$s" "back to the contents"
reject '"depth":1' "$s" "the contents start folded again"

# expand / collapse, and an item that is not shown.
CH=$(objof "Drug information" "$(line 1)")
printf 'navigate-key toc\nexpand %s\nstate\ncollapse %s\nstate\nexpand %s\nstate\n' "$CH" "$CH" "$CH" >"$WORK/s"
steps
expect '"depth":1' "$(line 1)" "expand shows the sections"
reject '"depth":1' "$(line 2)" "collapse hides them"
n1=$(line 1 | grep -o '"depth":1' | wc -l)
n3=$(line 3 | grep -o '"depth":1' | wc -l)
[ "$n1" -eq "$n3" ] || fail "expanding again inserted entries twice ($n1, then $n3)"
printf 'navigate-key toc\nexpand %s\n' "$SPECALL" | run --script - >"$WORK/out"; rc=$?
[ $rc -eq 2 ] || fail "expand of an item not shown: exit $rc"
expect "not in the tree as shown" "$(cat "$WORK/err")" "expand error message"

# --- A tight hierarchy: a leaf's fields page and the field jump ---
printf 'navigate %s\nstate\n' "$MONO" >"$WORK/s"
steps
expect '"tightHierarchy":{' "$s" "the tight hierarchy viewer took the table"
expect '"html":""' "$s" "no fields page on the table"
expect '"fieldNames":["Class","Adult dose","Paediatric dose"' "$s" "the field names"
expect '"window":"buttonBar"' "$s" "the field-jump bar"
reject '"depth":1' "$s" "only the top level at first"
tapof "Penicillins" "$s" >>"$WORK/s"; echo state >>"$WORK/s"
steps
tapof "Amoxicillin" "$s" >>"$WORK/s"; printf 'state\nclick 333\nstate\nchoose 1\nstate\n' >>"$WORK/s"
steps
leaf=$(tail -3 "$WORK/out" | head -1)
expect "\"page\":{\"data\":\"01\",\"object\":$AMOX}" "$leaf" "a leaf tap opens its fields"
expect '"title":"Amoxicillin"' "$leaf" "leaf title"
expect "<B><A NAME=" "$leaf" "field anchors"
expect ">Paediatric dose</A></B><BR>" "$leaf" "a filled field under its name"
expect "\"highlighted\":$AMOX" "$leaf" "the leaf stays highlighted"
menu=$(tail -2 "$WORK/out" | head -1)
expect '"menu":["Class","Adult dose","Paediatric dose","Renal impairment"' "$menu" "the field-jump list"
anchor=$(echo "$leaf" | grep -o '<A NAME=[0-9]*>Adult dose' | sed -E 's/<A NAME=([0-9]+)>.*/\1/')
expect "\"anchor\":\"$anchor\"" "$s" "choosing a field scrolls to it"
expect '"menu":null' "$s" "the list closed"

# A link of the fields page opens its object.
printf 'navigate %s 01\nlink %s\nstate\n' "$AMOX" "$(obj renal_drug_amoxicillin)" >"$WORK/s"
steps
expect "\"page\":{\"data\":\"\",\"object\":$(obj renal_drug_amoxicillin)}" "$s" "a field's link opens its target"
expect '"table":{' "$s" "the renal table shows it"

printf 'navigate %s\nstate\nclick 333\nstate\n' "$PIPTAZO" >"$WORK/s"
steps
reject ">Paediatric dose<" "$(line 1)" "an empty field is left out"
expect '"menu":["Class","Adult dose","Renal impairment"' "$s" "the list offers only the filled fields"

# The splitter: dragged to the top it stops at a quarter; the middle mark snaps back.
printf 'navigate %s\nstate\n' "$MONO" >"$WORK/s"
steps
sy=$(echo "$s" | grep -o '"splitter":{[^}]*}' | grep -o '"y":[0-9]*' | cut -d: -f2)
expect '"ratio":0.5' "$s" "the split starts in the middle"
printf 'press 50 %s\nmove 50 -200\nrelease 50 -200\nstate\n' "$((sy + 5))" >>"$WORK/s"
steps
expect '"ratio":0.25' "$s" "dragged up, the split stops at a quarter"
sy2=$(echo "$s" | grep -o '"splitter":{[^}]*}' | grep -o '"y":[0-9]*' | cut -d: -f2)
[ "$sy2" -lt "$sy" ] || fail "the splitter did not move up ($sy -> $sy2)"
printf 'press 50 %s\nmove 50 900\nrelease 50 900\nstate\ntap 216 %s\nstate\n' "$((sy2 + 5))" "$((sy2 + 5))" >>"$WORK/s"
steps
expect '"ratio":0.75' "$(tail -2 "$WORK/out" | head -1)" "dragged down, the split stops at three quarters"
sy3=$(tail -2 "$WORK/out" | head -1 | grep -o '"splitter":{[^}]*}' | grep -o '"y":[0-9]*' | cut -d: -f2)
printf 'tap 216 %s\nstate\n' "$((sy3 + 5))" >>"$WORK/s"
steps
expect '"ratio":0.5' "$s" "the middle mark snaps back to the middle"

# A linked tight hierarchy: a leaf with a link opens its target.
printf 'navigate %s\nstate\n' "$EMPIRIC" >"$WORK/s"
steps
reject '"depth":1' "$s" "the linked table shows its top level"
# Reached from elsewhere, the leaf's branch opens and the leaf comes to the top.
printf 'navigate %s\nstate\n' "$SEPSIS" >"$WORK/s"
steps
expect "\"firstVisible\":$SEPSIS" "$s" "the leaf is scrolled to the top"
expect "\"highlighted\":$SEPSIS" "$s" "and highlighted"
tapof "Sepsis of unknown source" "$s" >>"$WORK/s"; echo state >>"$WORK/s"
steps
expect "\"page\":{\"data\":\"\",\"object\":$SEPSISNOTE}" "$s" "a linked leaf opens its target"

# The contents viewer on a "tight crt" table: its items as stored.
printf 'navigate %s\nstate\n' "$(obj spec_table)" >"$WORK/s"
steps
expect '"contents":{' "$s" "the contents viewer shows a tight crt table with footnotes"
expect "\"highlighted\":$(obj spec_orgs)" "$(printf 'navigate %s\nstate\n' "$(obj spec_orgs)" | run --script -)" "an item of it opens highlighted"

finish guide_tree

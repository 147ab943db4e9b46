#!/usr/bin/env bash
# End-to-end: HTML pages, the calculator and the decision tree of the demo
# guide driven by scripts. Usage: guide_html.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"

CALC=$(obj calc_crcl)
TREE=$(obj pep_tree)
Q1=$(obj pep_q_source)
Q2=$(obj pep_q_status)
BAD=$(obj DOSAGE_CRCL_BAD)
OK=$(obj DOSAGE_CRCL_OK)
HOWTO=$(obj note_howto)
STEWARD=$(obj note_stewardship)
INDEX=$(obj INDEX)
KEY=$(obj spec_key)

# An "html" page: its table's title, the "html" child's text in the frame,
# no restart bar; a link tap opens its object; an http link is not followed.
cat >"$WORK/s" <<S
navigate $HOWTO
state
link 15
state
navigate $STEWARD
state
S
run --script "$WORK/s" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "html page script: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect_state "$s" <<'ROWS'
.title                "Clinical Notes (demo)"  html page title
.viewers.html.source  "html"                   html page source
.viewers.html.html    contains "<HTML><HEAD></HEAD><BODY><FONT FACE='PPC_Font2'>"  html page frame
.items[0].window      "html"                   html pane laid out
.items[*].window      hasnt "restartBar"       no restart bar on an html page
ROWS
s=$(line 2)
expect_state "$s" <<'ROWS'
.page          {"data":"","object":15}  link 15 opens the contents
.viewers.html  absent                   the contents page is not an HTML page
ROWS
s=$(line 3)
href=$(printf '%s' "$s" | grep -o 'href=\\"http[^\\]*' | head -1 | sed 's/^href=\\"//')
if [ -n "$href" ]; then
  printf 'navigate %s\nlink %s\nstate\n' "$STEWARD" "$href" >"$WORK/s"
  run --script "$WORK/s" >"$WORK/out"; rc=$?
  [ $rc -eq 0 ] || fail "http link: exit $rc $(cat "$WORK/err")"
  expect_state "$(line 1)" <<ROWS
  .page  {"data":"","object":$STEWARD}  an http link is not followed
ROWS
else
  fail "note_stewardship has no http link"
fi

# A link the page does not have is an error; so is link with no HTML page.
printf 'navigate %s\nlink 999999\nstate\n' "$HOWTO" >"$WORK/s"
run --script "$WORK/s" >"$WORK/out"; rc=$?
[ $rc -eq 2 ] || fail "missing link: exit $rc"
expect "no link to '999999'" "$(cat "$WORK/err")" "missing link message"
printf 'link 15\n' | run --script - >"$WORK/out"; rc=$?
[ $rc -eq 2 ] || fail "link on the home page: exit $rc"

# The index object itself is not a menu; an entry under it is.
{ printf 'navigate %s\nstate\n' "$INDEX"; for i in $(seq 200 400); do printf 'navigate %s\nstate\n' $i; done; } |
  run --script - >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.viewers.html  absent  the index object is not shown as a menu
ROWS
s=$(grep -m1 '"source":"menu"' "$WORK/out")
expect_state "$s" <<'ROWS'
.viewers.html.source  "menu"  an index entry is a menu
.viewers.html.html    contains "<HTML><BODY><FONT FACE='PPC_font2'>"  menu frame
ROWS

# A table's key is the table help page.
printf 'navigate %s\nstate\n' "$KEY" | run --script - >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.viewers.html.source  "tableHelp"  key field gives the table help page
ROWS

# The calculator: a refusal names the field in an "Error" box and moves the
# focus there; the fields keep their text; an accepted input opens the
# results page; its link follows; back restores the numbers.
cat >"$WORK/s" <<S
navigate $CALC
state
click 1000
key Ctrl+A
type 141
click 1001
click 1008
state
type x
state
click 1000
key Ctrl+A
type 40
click 1001
key Ctrl+A
type 100
click 1002
key Ctrl+A
type 1
click 1003
key Ctrl+A
type 70
click 1007
state
click 1008
state
link $BAD
state
command 40006
state
command 40006
state
S
run --script "$WORK/s" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "calculator script: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect_state "$s" <<'ROWS'
.title               "Creatinine Clearance (CrCl) Calculator"  calculator title
.viewers.calculator  {"fields":{"1000":"0","1001":"0","1002":"0","1003":"0"},"male":false}  form starts at 0, female
ROWS
s=$(line 2)
expect_state "$s" <<'ROWS'
.messages[0].caption  "Error"  age refused
.messages[0].text     "The \"Age\" value must be between 0 and 140 years inclusive."  age refused
ROWS
expect_state "$(line 3)" <<'ROWS'
.viewers.calculator.fields."1000"  "141x"  the focus went back to the age field
ROWS
s=$(line 4)
expect_state "$s" <<'ROWS'
.viewers.calculator.male  true  male checked
ROWS
s=$(line 5)
expect_state "$s" <<ROWS
.title                "Creatinine Clearance (CrCl) Calculator - results"  results title
.viewers.html.source  "results"                               results source
.viewers.html.html    contains "Within normal limits: 116.39ml/min"  worked value
.viewers.html.html    contains "73kg. Actual Weight: 100kg."  ibw and weight
.viewers.html.html    contains "<A HREF=\\"$BAD\\">"          links to DOSAGE_CRCL_BAD
ROWS
data=$(state_value "$s" .page.data)
[ ${#data} -eq 24 ] || fail "results page data is 12 bytes: $data"
expect_state "$(line 6)" <<ROWS
.page.object  $BAD  results link followed
ROWS
s=$(line 7)
expect_state "$s" <<ROWS
.page.data          "$data"  back restores the results page data
.viewers.html.html  contains "Within normal limits: 116.39ml/min"  back shows the same numbers
ROWS
s=$(line 8)
expect_state "$s" <<'ROWS'
.viewers.calculator.fields  {"1000":"40","1001":"100","1002":"1","1003":"70"}  fields kept after results
.viewers.calculator.male    true                                                fields kept after results
ROWS

# A low CrCl links to DOSAGE_CRCL_OK.
cat >"$WORK/s" <<S
navigate $CALC
click 1000
key Ctrl+A
type 85
click 1001
key Ctrl+A
type 50
click 1002
key Ctrl+A
type 2
click 1003
key Ctrl+A
type 60
click 1008
state
S
run --script "$WORK/s" >"$WORK/out"
s=$(line 1)
expect_state "$s" <<ROWS
.viewers.html.html  contains "14.77ml/min. Abnormal level."  female worked value
.viewers.html.html  contains "46kg. Actual Weight: 50kg."    ibw printed without decimals
.viewers.html.html  contains "<A HREF=\\"$OK\\">"            links to DOSAGE_CRCL_OK
ROWS
printf 'navigate %s\nfocus 1003\ntype 5\nclick 1006\nstate\n' "$CALC" | run --script - >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.viewers.calculator.fields."1003"  "05"   focus puts typing into the height field
.viewers.calculator.male           false  focus puts typing into the height field
ROWS
printf 'navigate %s\nclick 4242\n' "$CALC" | run --script - >"$WORK/out"; rc=$?
[ $rc -eq 2 ] || fail "click on a missing control: exit $rc"

# The decision tree: EC first, then SC, the recommendation; "Change";
# back restores the anchor; "New evaluation" resets.
cat >"$WORK/s" <<S
navigate $TREE
state
link $Q1
state
S
run --script "$WORK/s" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "tree script: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect_state "$s" <<'ROWS'
.viewers.html.source  "decisionTree"                  tree source
.items[1].window      "restartBar"                    restart bar under the tree
.viewers.html.html    contains "EC and HIV SC codes"  tree head
ROWS
s=$(line 2)
expect_state "$s" <<ROWS
.viewers.html.anchor  "$Q1"  question 1 anchor
.viewers.html.html    contains "EC Undetermined<br />SC Undetermined"  codes undetermined
ROWS
# Follow the first answer of each question until a code is reached.
first_answer() { printf '%s' "$1" | grep -o '<LI><A HREF=\\"[0-9]*' | head -1 | grep -o '[0-9]*$'; }
prefix="navigate $TREE
link $Q1"
s=$(line 2)
for i in 1 2 3 4 5 6; do
  a=$(first_answer "$s")
  [ -n "$a" ] || break
  prefix="$prefix
link $a"
  printf '%s\nstate\n' "$prefix" | run --script - >"$WORK/out"
  s=$(line 1)
  case "$s" in *'SC Undetermined'*'Step 2'*) break ;; esac
done
expect_state "$s" <<ROWS
.viewers.html.html    contains "Step 2: Determien the HIV Status Code(HIV SC)"  EC reached leads to step 2
.viewers.html.html    lacks "EC Undetermined"  EC recorded
.viewers.html.anchor  "$Q2"  step 2 scrolled to its question
ROWS
for i in 1 2 3 4 5 6; do
  a=$(first_answer "$s")
  [ -n "$a" ] || break
  prefix="$prefix
link $a"
  printf '%s\nstate\n' "$prefix" | run --script - >"$WORK/out"
  s=$(line 1)
  case "$s" in *'Change</A>'*) break ;; esac
done
expect_state "$s" <<'ROWS'
.viewers.html.html  contains ">Change</A><br /><br />"  both codes shown with Change links
.viewers.html.html  lacks "Undetermined"                both codes set
ROWS
printf '%s\ncommand 40006\nstate\ncommand 40007\nstate\nlink %s\nstate\ntap 120 255\nstate\n' "$prefix" "$Q1" | run --script - >"$WORK/out"
s=$(line 1)
expect_state "$s" <<'ROWS'
.page.data            != ""           back page data
.viewers.html.anchor  != ""           back to a question page restores its anchor
.viewers.html.source  "decisionTree"  back to a question page
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.html.html  contains ">Change</A>"  forward to the result
ROWS
s=$(line 3)
expect_state "$s" <<ROWS
.viewers.html.html    lacks "EC Undetermined"  Change keeps the EC code
.viewers.html.anchor  "$Q1"                    Change leads to step 1
ROWS
s=$(line 4)
expect_state "$s" <<ROWS
.page  {"data":"","object":$TREE}  New evaluation opens the tree
ROWS
printf '%s\n' "$prefix" >"$WORK/s"
printf 'navigate %s\nlink %s\nstate\n' "$TREE" "$Q1" >>"$WORK/s"
run --script "$WORK/s" >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.viewers.html.html  contains "EC Undetermined<br />SC Undetermined"  opening the tree resets the codes
ROWS

# No dialog is open in these runs.
expect_state "$(line 1)" <<'ROWS'
.dialog  null  no dialog
ROWS

finish guide_html

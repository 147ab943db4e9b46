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
expect '"title":"Clinical Notes (demo)"' "$s" "html page title"
expect '"source":"html"' "$s" "html page source"
expect "<HTML><HEAD></HEAD><BODY><FONT FACE='PPC_Font2'>" "$s" "html page frame"
expect '"window":"html"' "$s" "html pane laid out"
reject 'restartBar' "$s" "no restart bar on an html page"
s=$(line 2)
expect '"page":{"data":"","object":15}' "$s" "link 15 opens the contents"
reject '"html":{' "$s" "the contents page is not an HTML page"
s=$(line 3)
href=$(printf '%s' "$s" | grep -o 'href=\\"http[^\\]*' | head -1 | sed 's/^href=\\"//')
if [ -n "$href" ]; then
  printf 'navigate %s\nlink %s\nstate\n' "$STEWARD" "$href" >"$WORK/s"
  run --script "$WORK/s" >"$WORK/out"; rc=$?
  [ $rc -eq 0 ] || fail "http link: exit $rc $(cat "$WORK/err")"
  expect "\"page\":{\"data\":\"\",\"object\":$STEWARD}" "$(line 1)" "an http link is not followed"
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
reject '"html":{' "$(line 1)" "the index object is not shown as a menu"
s=$(grep -m1 '"source":"menu"' "$WORK/out")
expect '"source":"menu"' "$s" "an index entry is a menu"
expect "<HTML><BODY><FONT FACE='PPC_font2'>" "$s" "menu frame"

# A table's key is the table help page.
printf 'navigate %s\nstate\n' "$KEY" | run --script - >"$WORK/out"
expect '"source":"tableHelp"' "$(line 1)" "key field gives the table help page"

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
expect '"title":"Creatinine Clearance (CrCl) Calculator"' "$s" "calculator title"
expect '"calculator":{"fields":{"1000":"0","1001":"0","1002":"0","1003":"0"},"male":false}' "$s" "form starts at 0, female"
s=$(line 2)
expect '"caption":"Error","text":"The \"Age\" value must be between 0 and 140 years inclusive."' "$s" "age refused"
expect '"1000":"141x"' "$(line 3)" "the focus went back to the age field"
s=$(line 4)
expect '"male":true' "$s" "male checked"
s=$(line 5)
expect '"title":"Creatinine Clearance (CrCl) Calculator - results"' "$s" "results title"
expect '"source":"results"' "$s" "results source"
expect 'Within normal limits: 116.39ml/min' "$s" "worked value"
expect '73kg. Actual Weight: 100kg.' "$s" "ibw and weight"
expect "<A HREF=\\\"$BAD\\\">" "$s" "links to DOSAGE_CRCL_BAD"
data=$(printf '%s' "$s" | grep -o '"page":{"data":"[0-9a-f]*"' | sed 's/.*"data":"//;s/"//')
[ ${#data} -eq 24 ] || fail "results page data is 12 bytes: $data"
expect "\"object\":$BAD" "$(line 6)" "results link followed"
s=$(line 7)
expect "\"data\":\"$data\"" "$s" "back restores the results page data"
expect 'Within normal limits: 116.39ml/min' "$s" "back shows the same numbers"
s=$(line 8)
expect '"1000":"40","1001":"100","1002":"1","1003":"70"},"male":true' "$s" "fields kept after results"

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
expect '14.77ml/min. Abnormal level.' "$s" "female worked value"
expect '46kg. Actual Weight: 50kg.' "$s" "ibw printed without decimals"
expect "<A HREF=\\\"$OK\\\">" "$s" "links to DOSAGE_CRCL_OK"
printf 'navigate %s\nfocus 1003\ntype 5\nclick 1006\nstate\n' "$CALC" | run --script - >"$WORK/out"
expect '"1003":"05"},"male":false' "$(line 1)" "focus puts typing into the height field"
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
expect '"source":"decisionTree"' "$s" "tree source"
expect '"window":"restartBar"' "$s" "restart bar under the tree"
expect 'EC and HIV SC codes' "$s" "tree head"
s=$(line 2)
expect "\"anchor\":\"$Q1\"" "$s" "question 1 anchor"
expect 'EC Undetermined<br />SC Undetermined' "$s" "codes undetermined"
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
expect 'Step 2: Determien the HIV Status Code(HIV SC)' "$s" "EC reached leads to step 2"
reject 'EC Undetermined' "$s" "EC recorded"
expect "\"anchor\":\"$Q2\"" "$s" "step 2 scrolled to its question"
for i in 1 2 3 4 5 6; do
  a=$(first_answer "$s")
  [ -n "$a" ] || break
  prefix="$prefix
link $a"
  printf '%s\nstate\n' "$prefix" | run --script - >"$WORK/out"
  s=$(line 1)
  case "$s" in *'Change</A>'*) break ;; esac
done
expect '>Change</A><br /><br />' "$s" "both codes shown with Change links"
reject 'Undetermined' "$s" "both codes set"
printf '%s\ncommand 40006\nstate\ncommand 40007\nstate\nlink %s\nstate\ntap 120 255\nstate\n' "$prefix" "$Q1" | run --script - >"$WORK/out"
s=$(line 1)
expect "\"data\":\"" "$s" "back page data"
reject '"anchor":""' "$s" "back to a question page restores its anchor"
expect '"source":"decisionTree"' "$s" "back to a question page"
expect '>Change</A>' "$(line 2)" "forward to the result"
s=$(line 3)
reject 'EC Undetermined' "$s" "Change keeps the EC code"
expect "\"anchor\":\"$Q1\"" "$s" "Change leads to step 1"
s=$(line 4)
expect "\"page\":{\"data\":\"\",\"object\":$TREE}" "$s" "New evaluation opens the tree"
printf '%s\n' "$prefix" >"$WORK/s"
printf 'navigate %s\nlink %s\nstate\n' "$TREE" "$Q1" >>"$WORK/s"
run --script "$WORK/s" >"$WORK/out"
expect 'EC Undetermined<br />SC Undetermined' "$(line 1)" "opening the tree resets the codes"

# No dialog is open in these runs.
expect '"dialog":null' "$(line 1)" "no dialog"

finish guide_html

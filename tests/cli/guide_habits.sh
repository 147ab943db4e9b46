#!/usr/bin/env bash
# End-to-end: popups that go with their page, shortcuts over a popup, Compare
# after Back and Forward, the calculator's refusals and Enter, refused
# content, and the reader's messages for bad options and script lines.
# Usage: guide_habits.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"

PEN=$(obj spec_class_pen)
MRSA=$(obj spec_org_mrsa)
RENAL=$(obj DOSAGE_CRCL_OK)
CALC=$(obj calc_crcl)
[ -n "$PEN" ] && [ -n "$MRSA" ] && [ -n "$RENAL" ] && [ -n "$CALC" ] || fail "objects.txt lacks the demo objects"

# A footnote popup and a cell popup close when the page changes, by a
# script's navigate, a command-bar button or a shortcut; the shortcuts work
# while a popup is open.
cat >"$WORK/s1" <<S
navigate $RENAL
tap 600 30
state
navigate $PEN
state
S
run --screen 640x480 --script "$WORK/s1" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "footnote popup: exit $rc $(cat "$WORK/err")"
expect_state "$(line 1)" <<'ROWS'
.popup.h  present  the footnote popup is open
ROWS
expect_state "$(line 2)" <<ROWS
.popup        null  navigate closes the footnote popup
.page.object  $PEN  and shows the next page
ROWS

cat >"$WORK/s1b" <<S
navigate $PEN
navigate $MRSA
tap 150 50
state
command 40038
state
navigate $MRSA
tap 150 50
key Alt+Left
state
S
run --script "$WORK/s1b" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "cell popup: exit $rc $(cat "$WORK/err")"
expect_state "$(line 1)" <<'ROWS'
.popup.h  present  the cell popup is open
ROWS
expect_state "$(line 2)" <<'ROWS'
.popup            null    the home button closes the cell popup
.items[0].window  "home"  and goes home
ROWS
expect_state "$(line 3)" <<'ROWS'
.popup            null    Alt+Left over a popup closes it
.items[0].window  "home"  and goes back
ROWS

# Compare ends when the table is shown again (Back, then Forward).
cat >"$WORK/s2" <<S
navigate $PEN
tap 5 30
tap 100 5
click 1003
state
key Alt+Left
key Alt+Right
state
S
run --script "$WORK/s2" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "compare: exit $rc $(cat "$WORK/err")"
expect_state "$(line 1)" <<'ROWS'
.viewers.table.compare  true  Compare is on
ROWS
expect_state "$(line 2)" <<ROWS
.page.object            $PEN   Forward shows the table again
.viewers.table.compare  false  Compare ended with the rebuilt table
ROWS

# The calculator: "1,5" is refused with the weight's message; Enter
# calculates; a weight below the ideal body weight adds the caution.
cat >"$WORK/s3" <<S
navigate $CALC
click 1000
key Ctrl+A
type 60
click 1002
key Ctrl+A
type 1.2
click 1003
key Ctrl+A
type 70
click 1001
key Ctrl+A
type 1,5
key Return
state
key Ctrl+A
type 40
key Return
state
S
run --script "$WORK/s3" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "calculator: exit $rc $(cat "$WORK/err")"
expect_state "$(line 1)" <<ROWS
.messages[0].text  "The \\"Weight\\" value must be between 0 and 500 kg inclusive."  1,5 is refused
.page.object       $CALC  the form stays
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.html.source  "results"  Enter calculates
.viewers.html.html    contains "Actual weight is below ideal body weight"  the caution for a light patient
ROWS

# Content that fails validation is refused as missing content, and the
# reader says which folder and file.
mkdir -p "$WORK/swapped" "$WORK/missing"
cp "$DEMO"/Qd07-Qd07-*.pdb "$WORK/swapped/"
mv "$WORK/swapped/Qd07-Qd07-Data.pdb" "$WORK/swapped/tmp"
mv "$WORK/swapped/Qd07-Qd07-Binary-PPC.pdb" "$WORK/swapped/Qd07-Qd07-Data.pdb"
mv "$WORK/swapped/tmp" "$WORK/swapped/Qd07-Qd07-Binary-PPC.pdb"
printf 'state\n' | "$GUIDE" --data "$WORK/swapped" --install-dir "$WORK/swapped" --script - >"$WORK/out" 2>"$WORK/err"; rc=$?
[ $rc -eq 1 ] || fail "swapped files: exit $rc"
expect_state "$(line 1)" <<'ROWS'
.messages[0].text  "Database files are missing or damaged."  the refusal's message
ROWS
expect "$WORK/swapped" "$(cat "$WORK/err")" "the folder is named"
expect 'Qd07-Qd07-Data.pdb: not a Data file' "$(cat "$WORK/err")" "the file and its check"
cp "$DEMO"/Qd07-Qd07-Data.pdb "$WORK/missing/"
printf 'state\n' | "$GUIDE" --data "$WORK/missing" --install-dir "$WORK/missing" --script - >"$WORK/out" 2>"$WORK/err"; rc=$?
[ $rc -eq 1 ] || fail "missing Strings file: exit $rc"
expect 'Qd07-Qd07-Strings.pdb is missing' "$(cat "$WORK/err")" "the missing file is named"

# Messages for bad options and script lines.
"$GUIDE" --script "$WORK" >/dev/null 2>"$WORK/err"; rc=$?
[ $rc -eq 2 ] || fail "--script FOLDER: exit $rc"
expect 'is a folder' "$(cat "$WORK/err")" "--script FOLDER says why"
printf 'state\n' | run --settings "$WORK" --script - >/dev/null; rc=$?
[ $rc -eq 2 ] || fail "--settings FOLDER: exit $rc"
expect '--settings names a folder' "$(cat "$WORK/err")" "--settings FOLDER says why"
"$GUIDE" --bogus >/dev/null 2>"$WORK/err"; rc=$?
[ $rc -eq 2 ] || fail "--bogus: exit $rc"
[ "$(tail -c 13 "$WORK/err")" = "Try '--help'" ] || [ "$(tail -n 1 "$WORK/err")" = "vantrel-guide: unknown option '--bogus'. Try '--help'" ] ||
  fail "--bogus: message $(cat "$WORK/err")"
head -c 100000 /dev/zero | tr '\0' 'x' >"$WORK/long"
printf '\n' >>"$WORK/long"
run --script "$WORK/long" >/dev/null; rc=$?
[ $rc -eq 2 ] || fail "a long bad line: exit $rc"
[ "$(wc -c <"$WORK/err")" -lt 400 ] || fail "a long bad line is echoed whole ($(wc -c <"$WORK/err") bytes)"
"$GUIDE" --help >"$WORK/help"; rc=$?
[ $rc -eq 0 ] || fail "--help: exit $rc"
for word in Alt+Left Alt+Right Alt+Home Ctrl+Q -- --help --script --settings; do
  grep -q -- "$word" "$WORK/help" || fail "--help lacks $word"
done

finish guide_habits.sh

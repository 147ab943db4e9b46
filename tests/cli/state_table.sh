#!/usr/bin/env bash
# The table checks of state lines (lib/state_table.py) that every guide_*.sh
# relies on: rows that hold pass, and each way a row can be wrong fails it,
# so a broken checker cannot pass the guide tests vacuously.
# Usage: state_table.sh BIN_DIR SOURCE_DIR
set -u
CHECK="$(dirname "$0")/lib/state_table.py"
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

cat >"$WORK/line" <<'J'
{"buttons":{"40006":false},"items":[{"kind":42,"window":"home"},{"kind":3,"window":"bar"}],"page":{"data":"","object":7},"title":"Home \"page\"","zoom":1,"popup":null,"rows":[{"depth":0,"object":5},{"depth":1,"object":9}]}
J

# Every row here holds.
out=$(python3 "$CHECK" "$WORK/line" <<'ROWS'
# a comment, and a blank row

.buttons."40006"          false                 a quoted key
.items[0].kind            42                    an element
.items[-1].window         "bar"                 from the end
.items[*].kind            [42,3]                every element
.page                     {"data":"","object":7}  an object whole
.title                    "Home \"page\""       an escaped text
.title                    contains "page"       a text inside
.title                    lacks "Index"         a text not inside
.zoom                     1                     a whole number
.popup                    null                  null
.popup                    present               there though null
.dialog                   absent                not there
.zoom                     != true               a number is not true
.items[*].kind            has 3                 in a list
.items[*].kind            hasnt 4               not in a list
.rows[object=9].depth     1                     picked by a key
.rows[object=8]           absent                no such element
ROWS
) || fail "rows that hold: $out"

# Each of these rows is wrong in its own way; each must be reported.
python3 "$CHECK" "$WORK/line" >"$WORK/out" <<'ROWS'
.items[0].kind            4                     w1 a prefix of the number
.buttons."40006"          0                     w2 false is not 0
.zoom                     true                  w3 1 is not true
.zoom                     1.5                   w4 another number
.items[*].kind            [42]                  w5 a list cut short
.page                     {"object":7}          w6 an object with a key less
.title                    "Home"                w7 a text cut short
.title                    contains "index"      w8 a text not inside
.popup                    absent                w9 null is there
.dialog                   present               w10 missing
.items[5]                 null                  w11 past the end
.items[*].kind            has 4                 w12 not in the list
.rows[*].depth            hasnt 1               w13 in the list
.zoom                     != 1                  w14 equal
.title                    lacks "page"          w15 inside
.rows[object=9].depth     0                     w16 another value
.items[0]kind             4                     w17 a bad path
.zoom                     [1                    w18 bad JSON
.zoom                     1
ROWS
status=$?
[ "$status" -eq 19 ] || fail "19 wrong rows give status 19, not $status"
for n in $(seq 1 18); do
  grep -q "^FAIL: .*w$n " "$WORK/out" || fail "wrong row w$n was not reported: $(cat "$WORK/out")"
done
grep -q "^FAIL: table row 19 " "$WORK/out" || fail "a row without a description is not reported"

# No state line at all: every row fails.
: >"$WORK/empty"
printf '.zoom 1 one\n.title "Home" two\n' | python3 "$CHECK" "$WORK/empty" >"$WORK/out"
[ $? -eq 2 ] || fail "an empty state line does not fail each row: $(cat "$WORK/out")"

# The batch form: the tables of a folder in order, each failure with its place.
mkdir "$WORK/batch"
for n in 1 2 10; do cp "$WORK/line" "$WORK/batch/$n.line"; echo "line $n" >"$WORK/batch/$n.where"; done
printf '.zoom 1 holds\n' >"$WORK/batch/1.rows"
printf '.zoom 2 first wrong\n' >"$WORK/batch/2.rows"
printf '.zoom 3 second wrong\n.zoom 1 holds\n' >"$WORK/batch/10.rows"
python3 "$CHECK" --batch "$WORK/batch" >"$WORK/out"; status=$?
[ "$status" -eq 2 ] || fail "two wrong rows in a batch give status 2, not $status"
[ "$(cat "$WORK/out")" = "FAIL: line 2: first wrong: .zoom is 1, expected 2
FAIL: line 10: second wrong: .zoom is 1, expected 3" ] || fail "batch report: $(cat "$WORK/out")"

# state_value's form.
[ "$(python3 "$CHECK" --value '.rows[object=9].depth' <"$WORK/line")" = 1 ] || fail "--value of a number"
[ "$(python3 "$CHECK" --value .title <"$WORK/line")" = 'Home "page"' ] || fail "--value of a text is bare"
[ -z "$(python3 "$CHECK" --value .nothing <"$WORK/line")" ] || fail "--value of a missing key is empty"

if [ "$failures" -eq 0 ]; then
  echo "state_table: all checks passed"
  exit 0
fi
echo "state_table: $failures check(s) failed"
exit 1

#!/usr/bin/env bash
# End-to-end: the table viewer and the footnotes viewer of vantrel-guide on the
# demo guide's tables, through scripts. Usage: guide_tables.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"

PEN=$(obj spec_class_pen)
MRSA=$(obj spec_org_mrsa)
RENAL=$(obj DOSAGE_CRCL_OK)
SPECKEY=$(obj spec_key)
FNHD=$(obj fn_renal_hd)
[ -n "$PEN" ] && [ -n "$MRSA" ] && [ -n "$RENAL" ] || fail "objects.txt lacks the demo tables"

# Penicillins (arrangement 0) on the 240x320 screen at 96 dpi: columns of
# 76 pixels at most, rows of 20, both scroll bars. The grid fills the page
# area from its top-left corner, so script points are grid points.
cat >"$WORK/s1" <<S
navigate $PEN
state
tap 100 5
state
tap 146 5
state
tap 10 10
state
click 1003
state
click 1002
state
tap 5 30
state
click 1003
state
click 1002
state
S
run --script "$WORK/s1" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "selection script: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect '"table":{' "$s" "the table viewer took the item"
expect '"window":"table"' "$s" "table window laid out"
expect '"window":"buttonBar"' "$s" "button bar laid out"
expect '"rowHeight":20' "$s" "row height at 96 dpi"
expect '"scrollBars":3' "$s" "both bars on a wide table"
expect '"cells":[["","Amoxicillin","Ampicillin"' "$s" "heading row as the model answers it"
expect '"columnWidths":[76,76' "$s" "columns at their widest"
expect '"compare":false' "$s" "no compare at first"
expect '"popup":null' "$s" "no popup at first"
expect '"selectedColumns":[1]' "$(line 2)" "heading tap selects the column"
s=$(line 3)
expect '"popup":{' "$s" "triangle of a cut-off heading opens the popup"
expect '"text":"Amoxicillin"' "$s" "the popup shows the full heading"
expect '"selectedColumns":[1]' "$s" "the triangle does not toggle the column"
expect '"popup":null' "$(line 4)" "the next tap closes the popup"
expect '"selectedColumns":[1]' "$(line 4)" "the closing tap goes no further"
s=$(line 5)
expect '"compare":false' "$s" "Compare without a selected row does nothing"
expect '"selectedColumns":[1]' "$s" "and keeps the selection"
expect '"selectedColumns":[1]' "$(line 6)" "Restore before Compare keeps the selection"
expect '"selectedRows":[1]' "$(line 7)" "heading column tap selects the row"
s=$(line 8)
expect '"compare":true' "$s" "Compare with rows and columns"
expect '"rowCount":2' "$s" "Compare keeps one row and the headings"
expect '"columnCount":2' "$s" "Compare keeps one column and the headings"
expect '"cells":[["","Amoxicillin"]' "$s" "compared headings"
expect '"selectedRows":[]' "$s" "Compare clears the selection"
s=$(line 9)
expect '"compare":false' "$s" "Restore"
expect '"columnCount":7' "$s" "Restore shows every column"

# The corner twice, a body cell, scrolling with the bars.
cat >"$WORK/s2" <<S
navigate $PEN
tap 5 5
state
tap 5 5
state
tap 120 30
state
tap 10 300
tap 233 200
state
tap 200 236
state
S
run --script "$WORK/s2" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "corner script: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect '"selectedColumns":[1,2,3,4,5,6]' "$s" "corner selects every column"
expect '"selectedRows":[1,2,3' "$s" "corner selects every row"
expect '"selectedRows":[]' "$(line 2)" "corner again clears the rows"
expect '"selectedColumns":[]' "$(line 2)" "corner again clears the columns"
s=$(line 3)
expect '"popup":{' "$s" "a body cell opens the popup"
expect ' / ' "$s" "the popup names the row and column headings"
expect '"selectedRows":[]' "$s" "a body tap does not select"
s=$(line 4)
expect '"scrollX":0' "$s" "vertical bar leaves x"
reject '"scrollY":0,' "$s" "a page down on the vertical bar scrolls"
reject '"scrollX":0,' "$(line 5)" "a page right on the horizontal bar scrolls"

# Key opens the table's key object; a "§" link in a cell opens its footnote
# as a popup over the table.
cat >"$WORK/s3" <<S
navigate $PEN
click 1001
state
navigate $RENAL
tap 600 30
state
tap 10 10
state
S
run --screen 640x480 --script "$WORK/s3" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "link script: exit $rc $(cat "$WORK/err")"
expect "\"page\":{\"data\":\"\",\"object\":$SPECKEY}" "$(line 1)" "Key opens the key object"
s=$(line 2)
expect "\"object\":$FNHD" "$s" "the § link opens the footnote"
expect '"overlay":true' "$s" "the footnote is an overlay"
expect '"popup":{"h":' "$s" "the footnote shows as a popup"
expect '"text":"On dialysis days' "$s" "the footnote's text"
expect '"kind":"footnote"' "$s" "the footnotes viewer's section"
s=$(line 3)
expect '"popup":null' "$s" "a tap closes the footnote"
expect '"overlay":false' "$s" "and returns to the table"
expect '"visible":true,"w":640,"window":"table"' "$s" "the table is shown again"

# A cell popup that does not fit the screen goes to the dialog.
printf 'navigate %s\ntap 150 30\nstate\n' "$MRSA" | run --screen 240x120 --script - >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "small screen: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect '"popup":null' "$s" "a popup too tall is not shown"
expect '"dialog":{"text":"Antibacterials' "$s" "it goes to the dialog"
expect '"dialog":{"html":' "$s" "the dialog is open"

# Footnotes viewer: a footnote that fits, one too tall, and "footnotes"
# always in the dialog. The dialog is modal: the script goes on while it is
# open, and Escape closes it; the overlay closes when it does.
cat >"$WORK/s4" <<S
navigate $(obj fn_allergy)
state
navigate $(obj fn_long)
state
key Escape
state
navigate $(obj fns_general)
state
key Escape
state
navigate $(obj popup_mic)
state
navigate $(obj fn_cultures) 1e00000032000000
state
S
run --script "$WORK/s4" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "footnotes script: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect '"dialog":false,"kind":"footnote"' "$s" "a short footnote is a popup"
expect '"title":"Footnote"' "$s" "footnote title"
expect '"popup":{"h":' "$s" "popup on screen"
s=$(line 2)
expect '"title":"Footnote"}' "$s" "a long footnote opens the dialog titled Footnote"
expect 'Why this footnote is long.' "$s" "the dialog shows the footnote"
expect '"popup":null' "$s" "no popup for the long footnote"
s=$(line 3)
expect '"dialog":null' "$s" "Escape closes the dialog"
expect '"dialog":true,"kind":"footnote"' "$s" "the section says the footnote went to the dialog"
expect '"overlay":false' "$s" "the overlay closes with the dialog"
s=$(line 4)
expect '"title":"Footnotes"}' "$s" "footnotes open the dialog titled Footnotes"
expect '<BR><BR>' "$s" "footnotes separated by blank lines"
s=$(line 5)
expect '"dialog":true,"kind":"footnotes"' "$s" "footnotes always in the dialog"
expect '"overlay":false' "$s" "the footnotes overlay closes with the dialog"
s=$(line 6)
expect '"kind":"popup"' "$s" "a popup object"
expect '"title":""' "$s" "a popup has no title"
# Page data place the popup: its top border at y 50 - 1.
expect '"y":49}' "$(line 7)" "the popup opens at the point in the page data"

# At 192 dpi everything doubles.
printf 'navigate %s\nstate\nshot %s\n' "$PEN" "$WORK/t192.png" | run --screen 480x640 --dpi 192 --script - >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "192 dpi: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect '"rowHeight":40' "$s" "row height at 192 dpi"
expect '"columnWidths":[152,152' "$s" "column widths at 192 dpi"
[ -s "$WORK/t192.png" ] || fail "no screenshot at 192 dpi"

finish guide_tables

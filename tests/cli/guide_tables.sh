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
expect_state "$s" <<'ROWS'
.viewers.table                  present        the table viewer took the item
.items[0].window                "table"        table window laid out
.items[1].window                "buttonBar"    button bar laid out
.viewers.table.rowHeight        20             row height at 96 dpi
.viewers.table.scrollBars       3              both bars on a wide table
.viewers.table.cells[0][0]      ""             heading row as the model answers it
.viewers.table.cells[0][1]      "Amoxicillin"  heading row as the model answers it
.viewers.table.cells[0][2]      "Ampicillin"   heading row as the model answers it
.viewers.table.columnWidths[0]  76             columns at their widest
.viewers.table.columnWidths[1]  76             columns at their widest
.viewers.table.compare          false          no compare at first
.popup                          null           no popup at first
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.table.selectedColumns  [1]  heading tap selects the column
ROWS
s=$(line 3)
expect_state "$s" <<'ROWS'
.popup                          != null        triangle of a cut-off heading opens the popup
.popup.text                     "Amoxicillin"  the popup shows the full heading
.viewers.table.selectedColumns  [1]            the triangle does not toggle the column
ROWS
expect_state "$(line 4)" <<'ROWS'
.popup                          null  the next tap closes the popup
.viewers.table.selectedColumns  [1]   the closing tap goes no further
ROWS
s=$(line 5)
expect_state "$s" <<'ROWS'
.viewers.table.compare          false  Compare without a selected row does nothing
.viewers.table.selectedColumns  [1]    and keeps the selection
ROWS
expect_state "$(line 6)" <<'ROWS'
.viewers.table.selectedColumns  [1]  Restore before Compare keeps the selection
ROWS
expect_state "$(line 7)" <<'ROWS'
.viewers.table.selectedRows  [1]  heading column tap selects the row
ROWS
s=$(line 8)
expect_state "$s" <<'ROWS'
.viewers.table.compare       true                Compare with rows and columns
.viewers.table.rowCount      2                   Compare keeps one row and the headings
.viewers.table.columnCount   2                   Compare keeps one column and the headings
.viewers.table.cells[0]      ["","Amoxicillin"]  compared headings
.viewers.table.selectedRows  []                  Compare clears the selection
ROWS
s=$(line 9)
expect_state "$s" <<'ROWS'
.viewers.table.compare      false  Restore
.viewers.table.columnCount  7      Restore shows every column
ROWS

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
expect_state "$s" <<'ROWS'
.viewers.table.selectedColumns  [1,2,3,4,5,6]  corner selects every column
.viewers.table.selectedRows[0]  1              corner selects every row
.viewers.table.selectedRows[1]  2              corner selects every row
.viewers.table.selectedRows[2]  3              corner selects every row
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.table.selectedRows     []  corner again clears the rows
.viewers.table.selectedColumns  []  corner again clears the columns
ROWS
s=$(line 3)
expect_state "$s" <<'ROWS'
.popup                       != null         a body cell opens the popup
.popup.text                  contains " / "  the popup names the row and column headings
.viewers.table.selectedRows  []              a body tap does not select
ROWS
s=$(line 4)
expect_state "$s" <<'ROWS'
.viewers.table.scrollX  0     vertical bar leaves x
.viewers.table.scrollY  != 0  a page down on the vertical bar scrolls
ROWS
expect_state "$(line 5)" <<'ROWS'
.viewers.table.scrollX  != 0  a page right on the horizontal bar scrolls
ROWS

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
expect_state "$(line 1)" <<ROWS
.page  {"data":"","object":$SPECKEY}  Key opens the key object
ROWS
s=$(line 2)
expect_state "$s" <<ROWS
.page.object             $FNHD                        the § link opens the footnote
.overlay                 true                         the footnote is an overlay
.popup.h                 present                      the footnote shows as a popup
.popup.text              contains "On dialysis days"  the footnote's text
.viewers.footnotes.kind  "footnote"                   the footnotes viewer's section
ROWS
s=$(line 3)
expect_state "$s" <<'ROWS'
.popup             null     a tap closes the footnote
.overlay           false    and returns to the table
.items[0].visible  true     the table is shown again
.items[0].w        640      the table is shown again
.items[0].window   "table"  the table is shown again
ROWS

# A cell popup that does not fit the screen goes to the dialog.
printf 'navigate %s\ntap 150 30\nstate\n' "$MRSA" | run --screen 240x120 --script - >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "small screen: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect_state "$s" <<'ROWS'
.popup                      null                       a popup too tall is not shown
.viewers.table.dialog.text  contains "Antibacterials"  it goes to the dialog
.dialog.html                present                    the dialog is open
ROWS

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
expect_state "$s" <<'ROWS'
.viewers.footnotes.dialog  false       a short footnote is a popup
.viewers.footnotes.kind    "footnote"  a short footnote is a popup
.viewers.footnotes.title   "Footnote"  footnote title
.popup.h                   present     popup on screen
ROWS
s=$(line 2)
expect_state "$s" <<'ROWS'
.dialog.title  "Footnote"                             a long footnote opens the dialog titled Footnote
.dialog.html   contains "Why this footnote is long."  the dialog shows the footnote
.popup         null                                   no popup for the long footnote
ROWS
s=$(line 3)
expect_state "$s" <<'ROWS'
.dialog                    null        Escape closes the dialog
.viewers.footnotes.dialog  true        the section says the footnote went to the dialog
.viewers.footnotes.kind    "footnote"  the section says the footnote went to the dialog
.overlay                   false       the overlay closes with the dialog
ROWS
s=$(line 4)
expect_state "$s" <<'ROWS'
.dialog.title  "Footnotes"          footnotes open the dialog titled Footnotes
.dialog.html   contains "<BR><BR>"  footnotes separated by blank lines
ROWS
s=$(line 5)
expect_state "$s" <<'ROWS'
.viewers.footnotes.dialog  true         footnotes always in the dialog
.viewers.footnotes.kind    "footnotes"  footnotes always in the dialog
.overlay                   false        the footnotes overlay closes with the dialog
ROWS
s=$(line 6)
expect_state "$s" <<'ROWS'
.viewers.footnotes.kind   "popup"  a popup object
.viewers.footnotes.title  ""       a popup has no title
ROWS
# Page data place the popup: its top border at y 50 - 1.
expect_state "$(line 7)" <<'ROWS'
.popup.y  49  the popup opens at the point in the page data
ROWS

# At 192 dpi everything doubles.
printf 'navigate %s\nstate\nshot %s\n' "$PEN" "$WORK/t192.png" | run --screen 480x640 --dpi 192 --script - >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "192 dpi: exit $rc $(cat "$WORK/err")"
s=$(line 1)
expect_state "$s" <<'ROWS'
.viewers.table.rowHeight        40   row height at 192 dpi
.viewers.table.columnWidths[0]  152  column widths at 192 dpi
.viewers.table.columnWidths[1]  152  column widths at 192 dpi
ROWS
[ -s "$WORK/t192.png" ] || fail "no screenshot at 192 dpi"

finish guide_tables

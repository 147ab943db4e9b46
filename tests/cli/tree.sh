#!/usr/bin/env bash
# vantrel-dump's tree and fields commands from the outside: a small guide
# packed with vantrel-pack (which viewer takes what, the two sources, the
# path, the exact fields page), refusals and bad usage.
# Usage: tree.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"

#  0 guide   1 table "Contents" (TOC)   2 table "Spectrum" (tight crt)   3 table "Mono" (tight hierarchy)
#  4 "Intro"  5 "Ch<b>1</b>" (under 1)
#  6 table type  7 footnote  8 A  9 B  (under 2)
# 10 table type  11 12 13 field names "Class" "" "Dose"  14 "Drug"  (under 3)
# 15 link of Intro -> 3   16 "Sec"  (under 5)   17 "all" (under 8)   18 G  (under 9)
# 19 20 21 fields of Drug ("Pen", "x", none)   22 "Leaf" (under 16)   23 r1 (under 18)
cat > "$WORK/guide.json" <<'JSON'
{
  "edition": [7, 1, 20071001],
  "types": ["guide", "table", "table type", "footnote", "field name", "field", "hierarchy item", "link"],
  "root": {"type": "guide", "children": [
    {"type": "table", "text": "Contents", "name": "TOC", "children": [
      {"type": "hierarchy item", "text": "Intro", "children": [{"type": "link", "link": "mono"}]},
      {"type": "hierarchy item", "text": "Ch<b>1</b>", "children": [
        {"type": "hierarchy item", "text": "Sec", "children": [{"type": "hierarchy item", "text": "Leaf"}]}]}]},
    {"type": "table", "text": "Spectrum", "children": [
      {"type": "table type", "text": "tight crt"},
      {"type": "footnote", "text": "n"},
      {"type": "hierarchy item", "text": "A", "children": [{"type": "hierarchy item", "text": "all"}]},
      {"type": "hierarchy item", "text": "<i>B</i>", "children": [
        {"type": "hierarchy item", "text": "G", "children": [{"type": "hierarchy item", "text": "r1"}]}]}]},
    {"type": "table", "text": "Mono", "label": "mono", "children": [
      {"type": "table type", "text": "tight hierarchy"},
      {"type": "field name", "text": "Class"}, {"type": "field name", "text": ""}, {"type": "field name", "text": "Dose"},
      {"type": "hierarchy item", "text": "Drug", "children": [
        {"type": "field", "text": "Pen"}, {"type": "field", "text": "x"}, {"type": "field"}]}]}]}
}
JSON
"$PACK" "$WORK/guide.json" "$WORK/guide" > /dev/null 2> "$WORK/err" || { echo "pack failed: $(cat "$WORK/err")"; exit 1; }

expect_json '{"acceptedBy":"contents","children":[{"childCount":0,"leaf":true,"object":4,"text":"Intro"},{"childCount":1,"leaf":false,"object":5,"text":"Ch1"}],"object":1,"path":[0,1],"source":"basic"}' tree 1
expect_json '{"acceptedBy":"contents","children":[{"childCount":0,"leaf":true,"object":22,"text":"Leaf"}],"object":16,"path":[1,5,16],"source":"basic"}' tree 16
# The "tight crt" source: stored text, and G is a leaf (its entries are the lowest level).
expect_json '{"acceptedBy":"contents","children":[{"childCount":1,"leaf":true,"object":8,"text":"A"},{"childCount":1,"leaf":false,"object":9,"text":"<i>B</i>"}],"object":2,"path":[0,2],"source":"tightCrt"}' tree 2
expect_json '{"acceptedBy":null,"children":[{"childCount":0,"leaf":true,"object":23,"text":"r1"}],"object":18,"path":[2,9,18],"source":"basic"}' tree 18
expect_json '{"acceptedBy":"tightHierarchy","children":[],"object":14,"path":[3,14],"source":"basic"}' tree 14
expect_json '{"acceptedBy":null,"children":[],"object":22,"path":[1,5,16,22],"source":"basic"}' tree 22

# The fields page: the empty field left out, the unnamed one without a line break.
expect_json '{"fieldNames":["Class","","Dose"],"html":"<HTML><BODY><FONT FACE='"'"'PPC_font2'"'"'><B><A NAME=19>Class</A></B><BR>Pen<BR><B><A NAME=20></A></B>x<BR></FONT></BODY></HTML>"}' fields 14
expect_json '{"fieldNames":["Class","","Dose"],"html":"<HTML><BODY><FONT FACE='"'"'PPC_font2'"'"'></FONT></BODY></HTML>"}' fields 3

expect_status 1 "$WORK/guide" fields 4
expect_status 1 "$WORK/guide" fields 0
expect_status 1 "$WORK/guide" tree 24
expect_status 1 "$WORK/guide" fields 99999
expect_status 2 "$WORK/guide" tree
expect_status 2 "$WORK/guide" tree 1 2
expect_status 2 "$WORK/guide" tree -1
expect_status 2 "$WORK/guide" fields x

# The demo guide, when it is built: the contents and the monographs.
demo() { awk -F'\t' -v n="$1" '$2 == n { print $1 }' "$SRC/samples/demo-guide/objects.txt"; }
if [ -f "$DEMO/Qd07-Qd07-Data.pdb" ] && [ -n "$SRC" ]; then
  got="$("$DUMP" --json "$DEMO" tree "$(demo TOC)" 2>&1)"
  case "$got" in *'"acceptedBy":"contents"'*'"source":"basic"'*) ;; *) fail "demo contents: $got" ;; esac
  got="$("$DUMP" --json "$DEMO" tree "$(demo spec_table)" 2>&1)"
  case "$got" in *'"acceptedBy":"contents"'*'"source":"tightCrt"'*) ;; *) fail "demo spectrum table: $got" ;; esac
  got="$("$DUMP" --json "$DEMO" fields "$(demo mono_piptazo)" 2>&1)"
  case "$got" in *'>Adult dose</A></B><BR>'*) ;; *) fail "demo monograph: $got" ;; esac
  case "$got" in *'>Paediatric dose<'*) fail "demo monograph shows an empty field: $got" ;; esac
fi

finish tree

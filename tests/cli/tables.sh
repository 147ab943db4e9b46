#!/usr/bin/env bash
# vantrel-dump's table commands from the outside: a small "tight crt" table
# packed with vantrel-pack (every arrangement, the JSON keys, CSV quoting,
# the popup text, refusals and bad usage) and the demo guide's tables.
# Usage: tables.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"

# --- a small guide ---
#  0 guide   1 table "Demo"   2 table "Page" (html)
#  3 table type "tight crt"  4 field "Key"  5 A "All"  6 B "Drugs"  7 C "Organisms"   (children of 1)
#  8 table type "html"   9 item "h1"                                                  (children of 2)
# 10 "Everything" (under A)   11 G "Penicillins"  12 "Vancomycin" (under B)
# 13 "MSSA"  14 "E. coli" (under C)   15 "Amoxicillin"  16 "Ampicillin" (under G)
# 17 field of Vancomycin   18 19 fields of Amoxicillin   20 21 fields of Ampicillin
cat > "$WORK/guide.json" <<'JSON'
{
  "edition": [7, 1, 20071001],
  "types": ["guide", "table", "table type", "field", "hierarchy item"],
  "root": {"type": "guide", "children": [
    {"type": "table", "text": "Demo", "children": [
      {"type": "table type", "text": "tight crt"},
      {"type": "field", "text": "Key"},
      {"type": "hierarchy item", "text": "All", "children": [
        {"type": "hierarchy item", "text": "Everything"}]},
      {"type": "hierarchy item", "text": "Drugs", "children": [
        {"type": "hierarchy item", "text": "Penicillins", "children": [
          {"type": "hierarchy item", "text": "Amoxicillin", "children": [
            {"type": "field", "text": "<b>++</b>"}, {"type": "field", "text": "a, \"b\""}]},
          {"type": "hierarchy item", "text": "Ampicillin", "children": [
            {"type": "field", "text": "0"}, {"type": "field", "text": "x<br>y &amp; z"}]}]},
        {"type": "hierarchy item", "text": "Vancomycin", "children": [
          {"type": "field", "text": "\u00b1 <a href=\"4\">\u00a7</a>"}]}]},
      {"type": "hierarchy item", "text": "Organisms", "children": [
        {"type": "hierarchy item", "text": "<i>MSSA</i>"},
        {"type": "hierarchy item", "text": "E. coli"}]}]},
    {"type": "table", "text": "Page", "children": [
      {"type": "table type", "text": "html"},
      {"type": "hierarchy item", "text": "h1"}]}]}
}
JSON
"$PACK" --quiet "$WORK/guide.json" "$WORK/guide" > /dev/null 2> "$WORK/pack.err" || {
  echo "FAIL: vantrel-pack: $(cat "$WORK/pack.err")"
  exit 1
}
[ "$("$DUMP" --json "$WORK/guide" text 15)" = '{"index":15,"text":"Amoxicillin"}' ] ||
  fail "the small guide is not laid out as this script expects: $("$DUMP" --json "$WORK/guide" children 11)"

"$DUMP" --help > "$WORK/help" 2>&1 || fail "--help exit status $?"
grep -q '^  table I \[--csv \[--bom\]\]$' "$WORK/help" || fail "--help does not list table"
grep -q '^  cell-popup I ROW COLUMN$' "$WORK/help" || fail "--help does not list cell-popup"

# Colours: 0xC0C0C0 corner 12632256, 0xFFD700 (A) 16766720, 0x3E9DFF (B) 4103679, white 16777215.
corner='{"colour":12632256,"object":0,"text":""}'
# Arrangement 2 from A: rows Amoxicillin, Ampicillin, Vancomycin; columns MSSA, E. coli.
expect_json '{"arrangement":2,"cells":[['"$corner"',{"colour":16766720,"object":13,"text":"<i>MSSA</i>"},{"colour":16766720,"object":14,"text":"E. coli"}],[{"colour":16766720,"object":15,"text":"Amoxicillin"},{"colour":16777215,"object":18,"text":"<b>++</b>"},{"colour":16777215,"object":19,"text":"a, \"b\""}],[{"colour":16766720,"object":16,"text":"Ampicillin"},{"colour":16777215,"object":20,"text":"0"},{"colour":16777215,"object":21,"text":"x<br>y &amp; z"}],[{"colour":16766720,"object":12,"text":"Vancomycin"},{"colour":16777215,"object":17,"text":"± <a href=\"4\">§</a>"},{"colour":16777215,"object":0,"text":""}]],"columnCount":3,"key":4,"object":5,"rowCount":4}' table 5
# Arrangement 1 from the penicillins: drugs as columns, organisms as rows.
got=$("$DUMP" --json "$WORK/guide" table 11)
echo "$got" | grep -qF '"arrangement":1,' || fail "table 11: $got"
echo "$got" | grep -qF '"columnCount":3,' || fail "table 11: $got"
echo "$got" | grep -qF '"rowCount":3}' || fail "table 11: $got"
echo "$got" | grep -qF '[{"colour":16766720,"object":14,"text":"E. coli"},{"colour":16777215,"object":19,"text":"a, \"b\""},{"colour":16777215,"object":21,"text":"x<br>y &amp; z"}]' ||
  fail "table 11: row E. coli: $got"
# Arrangement 0 from one organism: one column.
got=$("$DUMP" --json "$WORK/guide" table 14)
echo "$got" | grep -qF '"arrangement":0,' || fail "table 14: $got"
echo "$got" | grep -qF '"columnCount":2,' || fail "table 14: $got"
echo "$got" | grep -qF '{"colour":16777215,"object":21,"text":"x<br>y &amp; z"}' || fail "table 14: $got"
# A fresh run each time: the same colours every time.
[ "$("$DUMP" --json "$WORK/guide" table 5)" = "$("$DUMP" --json "$WORK/guide" table 5)" ] || fail "table 5 differs between runs"

# CSV: markup removed, RFC 4180 quoting, CRLF line ends.
"$DUMP" "$WORK/guide" table 5 --csv > "$WORK/t.csv" || fail "table 5 --csv: exit status $?"
printf ',MSSA,E. coli\r\nAmoxicillin,++,"a, ""b"""\r\nAmpicillin,0,"x\ny & z"\r\nVancomycin,± §,\r\n' > "$WORK/expected.csv"
cmp -s "$WORK/t.csv" "$WORK/expected.csv" || fail "table 5 --csv: $(od -c "$WORK/t.csv" | head -20)"
"$DUMP" "$WORK/guide" table 5 --csv --bom | head -c 3 | od -An -tx1 | grep -q 'ef bb bf' || fail "--bom"
if command -v python3 > /dev/null; then
  python3 - "$WORK/t.csv" <<'PY' || fail "python's csv reader disagrees"
import csv, sys
rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8')))
assert rows == [['', 'MSSA', 'E. coli'], ['Amoxicillin', '++', 'a, "b"'], ['Ampicillin', '0', 'x\ny & z'],
                ['Vancomycin', '± §', '']], rows
PY
fi

# Popup texts: the row heading's path, " / ", the column heading's path, a line feed, the cell.
expect_json '{"column":2,"object":5,"row":2,"text":"Drugs, Penicillins, Ampicillin / Organisms, E. coli\nx<br>y &amp; z"}' \
  cell-popup 5 2 2
expect_json '{"column":1,"object":5,"row":3,"text":"Drugs, Vancomycin / Organisms, <i>MSSA</i>\n± <a href=\"4\">§</a>"}' \
  cell-popup 5 3 1
[ "$("$DUMP" "$WORK/guide" cell-popup 11 1 2)" = "$(printf 'Organisms, <i>MSSA</i> / Drugs, Penicillins, Ampicillin\n0')" ] ||
  fail "plain cell-popup 11 1 2: $("$DUMP" "$WORK/guide" cell-popup 11 1 2)"

# Refusals (1) and bad usage (2).
expect_status 1 "$WORK/guide" table 6    # first child has children
expect_status 1 "$WORK/guide" table 1    # the table itself
expect_status 1 "$WORK/guide" table 9    # an item of an html table
expect_status 1 "$WORK/guide" table 23   # past the end
expect_status 1 --json "$WORK/guide" table 6
expect_status 1 "$WORK/guide" cell-popup 6 1 1
expect_status 1 "$WORK/guide" cell-popup 5 4 1
expect_status 1 "$WORK/guide" cell-popup 5 1 3
expect_status 2 "$WORK/guide" table
expect_status 2 "$WORK/guide" table x
expect_status 2 "$WORK/guide" table 5 --bom
expect_status 2 "$WORK/guide" table 5 6
expect_status 2 "$WORK/guide" cell-popup 5 1
"$DUMP" "$WORK/guide" table 6 2>&1 | grep -q "first \"hierarchy item\" child" || fail "table 6: no reason given"

# --- the demo guide's "tight crt" tables ---
if [ -f "$DEMO/Qd07-Qd07-Data.pdb" ] && [ -f "$SRC/samples/demo-guide/objects.txt" ]; then
  label() { awk -F'\t' -v l="$1" '$2 == l { print $1 }' "$SRC/samples/demo-guide/objects.txt"; }
  check_table() {  # LABEL ARRANGEMENT
    local i
    i=$(label "$1")
    [ -n "$i" ] || { fail "demo guide: no label $1"; return; }
    local got
    got=$("$DUMP" --json "$DEMO" table "$i" 2> "$WORK/err") || { fail "demo $1 ($i): $(cat "$WORK/err")"; return; }
    python3 - "$2" "$got" <<'PY' || fail "demo $1 ($i): $(echo "$got" | head -c 300)"
import json, sys
want, t = int(sys.argv[1]), json.loads(sys.argv[2])
assert t["arrangement"] == want, t["arrangement"]
assert t["rowCount"] >= 2 and t["columnCount"] >= 2
assert len(t["cells"]) == t["rowCount"] and all(len(r) == t["columnCount"] for r in t["cells"])
assert t["cells"][0][0] == {"object": 0, "text": "", "colour": 0xC0C0C0}
assert t["key"] != 0
heads = [c for c in t["cells"][0][1:]] + [r[0] for r in t["cells"][1:]]
assert all(h["object"] != 0 and h["colour"] in (0xFFD700, 0x3E9DFF) for h in heads)
# Every row of the demo tables holds one field per column.
assert all(c["object"] != 0 and c["colour"] == 0xFFFFFF for r in t["cells"][1:] for c in r[1:])
PY
    "$DUMP" "$DEMO" table "$i" --csv > "$WORK/demo.csv" || fail "demo $1 --csv"
    python3 - "$WORK/demo.csv" "$got" <<'PY' || fail "demo $1 --csv does not match the table"
import csv, json, sys
rows = list(csv.reader(open(sys.argv[1], newline='', encoding='utf-8')))
t = json.loads(sys.argv[2])
assert len(rows) == t["rowCount"] and all(len(r) == t["columnCount"] for r in rows)
assert not any('<b>' in c or '<i>' in c or '&amp;' in c for r in rows for c in r)
PY
  }
  if command -v python3 > /dev/null; then
    check_table spec_all 2
    check_table DOSAGE_CRCL_OK 2
    check_table spec_orggroup_gp 1
    check_table renal_class_amg 1
    check_table spec_org_mrsa 1
    check_table spec_class_pen 0
    check_table spec_drug_vancomycin 0
    check_table renal_bands 0
  fi
  for l in spec_orgs spec_drugs renal_drugs spec_table; do
    i=$(label "$l")
    [ -n "$i" ] && expect_status 1 "$DEMO" table "$i"
  done
  # A footnote link ("§") in a cell of the spectrum table, and its popup text.
  i=$(label spec_all)
  "$DUMP" --json "$DEMO" table "$i" | grep -q '§' || fail "demo spec_all: no § link in a cell"
  got=$("$DUMP" "$DEMO" cell-popup "$i" 1 1) || fail "demo cell-popup"
  case "$got" in
    *" / "*) ;;
    *) fail "demo cell-popup $i 1 1: $got" ;;
  esac
else
  echo "note: demo guide not built; its tables were not checked"
fi

finish tables

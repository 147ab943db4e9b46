#!/usr/bin/env bash
# vantrel-dump pdf: a long table printed over several pages has its column
# headings at the top of every page and the footer (guide, edition, page
# number) at the bottom; an HTML page and the index print; refusals exit 1
# or 2 and leave no file behind. Read back with pdftotext.
# Usage: pdf.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"
command -v pdftotext > /dev/null || { echo "pdftotext missing (poppler-utils)"; exit 1; }

# A tight crt table shown from "Regimen": two column leaves (Adultdose,
# Childdose) holding one field per drug row, 150 drug rows.
python3 - "$WORK/guide.json" <<'PY'
import json, sys
rows = [{"type": "hierarchy item", "text": "Drug%03d" % i} for i in range(150)]
cols = [{"type": "hierarchy item", "text": name,
         "children": [{"type": "field", "text": "%s %d mg" % (name[:1], i)} for i in range(150)]}
        for name in ("Adultdose", "Childdose")]
guide = {"edition": [7, 1, 20071001], "root": {"type": "guide", "text": "Pocket Test Guide", "children": [
  {"type": "table", "text": "Doses", "children": [
    {"type": "table type", "text": "tight crt"},
    {"type": "hierarchy item", "text": "Regimen", "label": "regimen", "children": cols},
    {"type": "hierarchy item", "text": "Drug", "children": rows}]},
  {"type": "table", "text": "Pages", "children": [
    {"type": "table type", "text": "html"},
    {"type": "hierarchy item", "text": "About", "children": [
      {"type": "html", "text": "<p>Printed words of the about page.</p>"}]}]}]}}
json.dump(guide, open(sys.argv[1], "w"))
PY
"$PACK" "$WORK/guide.json" "$WORK/guide" > "$WORK/pack.out" 2>&1 || fail "pack: $(cat "$WORK/pack.out")"
# "Regimen" is the first item of the table (object 1, the root's first child).
regimen=$("$DUMP" --json "$WORK/guide" children 1 "hierarchy item" | python3 -c '
import json, sys
print(json.load(sys.stdin)["children"][0])')
[ "${regimen:-0}" -gt 0 ] || fail "no Regimen item found"

"$DUMP" "$WORK/guide" pdf "$regimen" "$WORK/table.pdf" > "$WORK/out" 2> "$WORK/err" || fail "pdf: $(cat "$WORK/err")"
pages=$(pdfinfo "$WORK/table.pdf" 2> /dev/null | awk '/^Pages:/ {print $2}')
[ "${pages:-0}" -ge 3 ] || fail "the long table takes $pages pages, expected at least 3"
for p in $(seq 1 "${pages:-0}"); do
  text=$(pdftotext -f "$p" -l "$p" -layout "$WORK/table.pdf" -)
  echo "$text" | grep -q "Adultdose" || fail "page $p lacks the heading Adultdose"
  echo "$text" | grep -q "Childdose" || fail "page $p lacks the heading Childdose"
  echo "$text" | grep -q "Pocket Test Guide . edition 7.1" || fail "page $p lacks the footer"
  echo "$text" | grep -q "Page $p of $pages" || fail "page $p lacks its number"
done
pdftotext "$WORK/table.pdf" - | grep -q "Drug149" || fail "the last row is missing"

# An HTML page prints its text.
about=""
for i in $(seq 2 12); do
  if "$DUMP" "$WORK/guide" pdf "$i" "$WORK/page.pdf" > /dev/null 2>&1 &&
     pdftotext "$WORK/page.pdf" - | grep -q "Printed words of the about page"; then
    about=$i
    break
  fi
done
[ -n "$about" ] || fail "no object prints the about page"

# Refusals.
expect_status 2 "$WORK/guide" pdf "$regimen"
expect_status 2 "$WORK/guide" pdf "$regimen" "$WORK/x.pdf" --dpi 0
expect_status 1 "$WORK/guide" pdf 999999 "$WORK/x.pdf"
expect_status 1 "$WORK/guide" pdf 0 "$WORK/x.pdf"
[ ! -e "$WORK/x.pdf" ] && [ ! -e "$WORK/x.pdf.part" ] || fail "a refused pdf left a file"

finish pdf

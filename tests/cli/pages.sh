#!/usr/bin/env bash
# vantrel-dump's page and crcl commands from the outside: on a small guide
# packed with vantrel-pack (exact pages, keys, exit codes and messages), and
# on the demo guide (the calculator's worked values and a walk through its
# decision tree in both orders).
# Usage: pages.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"

# run_json GUIDE ARGS...: --json output into $WORK/out, exit status 0 expected.
run_json() {
  local guide="$1"
  shift
  "$DUMP" --json "$guide" "$@" > "$WORK/out" 2> "$WORK/err" || fail "$*: exit status $? ($(cat "$WORK/err"))"
  grep -q "Sanitizer" "$WORK/err" && fail "$*: $(cat "$WORK/err")"
}
# has PATTERN: the last output contains PATTERN (grep -F).
has() { grep -qF -- "$1" "$WORK/out" || fail "${2:-}no '$1' in $(head -c 600 "$WORK/out")"; }
hasnt() { ! grep -qF -- "$1" "$WORK/out" || fail "${2:-}unexpected '$1' in $(head -c 600 "$WORK/out")"; }

# --- a small guide ---
#   0 guide
#   1 table "Index" (INDEX)  2 table "Drugs"  3 table "Notes"  4 table "PEP"  5 item "DOSAGE_CRCL_OK"
#   6 item "entry" (index)   7 item "amox" (drugs)   8 table type "html"  9 item "note" (notes)
#   10 table type "decision tree"  11 question "Q1"  12 question "Q2"  13 version
#   14 item "x" linking to 7 (child of 6)   15 html child of 9   16 17 answers of 11
#   18 answer of 12  19 20 links of the version  21 22 result   23 link
#   24 link  25 link under 14
cat > "$WORK/guide.json" <<'EOF'
{
  "edition": [7, 1, 20071001],
  "types": ["guide", "table", "table type", "hierarchy item", "html", "link", "question", "answer", "result", "version"],
  "root": {"type": "guide", "children": [
    {"type": "table", "text": "Index", "name": "INDEX", "children": [
      {"type": "hierarchy item", "text": "entry", "children": [
        {"type": "hierarchy item", "text": "x", "children": [{"type": "link", "link": "amox"}]}]}]},
    {"type": "table", "text": "Drugs", "children": [
      {"type": "hierarchy item", "text": "amox", "label": "amox"}]},
    {"type": "table", "text": "Notes", "children": [
      {"type": "table type", "text": "html"},
      {"type": "hierarchy item", "text": "note", "name": "DOSAGE_CRCL_BAD", "children": [
        {"type": "html", "text": "<p>caf\u00e9 <a href=\"http://example.org\">web</a></p>"}]}]},
    {"type": "table", "text": "PEP", "label": "tree", "children": [
      {"type": "table type", "text": "decision tree"},
      {"type": "question", "text": "Q1", "children": [
        {"type": "answer", "text": "yes", "children": [{"type": "link", "link": "ec"}]},
        {"type": "answer", "text": "no"}]},
      {"type": "question", "text": "Q2", "children": [
        {"type": "answer", "text": "pos", "children": [{"type": "link", "link": "sc"}]}]},
      {"type": "result", "text": "EC one", "label": "ec"},
      {"type": "result", "text": "SC one", "label": "sc"},
      {"type": "version", "text": "Take it.", "children": [
        {"type": "link", "link": "sc"}, {"type": "link", "link": "ec"}]}]},
    {"type": "hierarchy item", "text": "Renal <b>table</b>", "name": "DOSAGE_CRCL_OK"}]}
}
EOF
"$PACK" --quiet "$WORK/guide.json" "$WORK/guide" > /dev/null 2> "$WORK/pack.err" || {
  echo "FAIL: vantrel-pack: $(cat "$WORK/pack.err")"
  exit 1
}
idx() { "$DUMP" "$WORK/guide" name "$1" | sed -n 's/^index: //p'; }
run_json "$WORK/guide" name INDEX
INDEX=$(sed 's/.*"index":\([0-9]*\).*/\1/' "$WORK/out")
OKOBJ=$(idx DOSAGE_CRCL_OK)
BADOBJ=$(idx DOSAGE_CRCL_BAD)
run_json "$WORK/guide" info
COUNT=$(sed 's/.*"objectCount":\([0-9]*\).*/\1/' "$WORK/out")
# The objects by their text.
find_text() {
  local i
  for ((i = 0; i < COUNT; i++)); do
    [ "$("$DUMP" "$WORK/guide" text "$i" | sed 's/^text: //')" = "$1" ] && { echo "$i"; return; }
  done
  echo "no object with text $1" >&2
}
ENTRY=$(find_text entry)
AMOX=$(find_text amox)
TREE=$(find_text PEP)
Q1=$(find_text Q1)
Q2=$(find_text Q2)
YES=$(find_text yes)
NO=$(find_text no)
POS=$(find_text pos)
EC=$(find_text "EC one")
SC=$(find_text "SC one")

# --- help ---
"$DUMP" --help > "$WORK/help" 2>&1 || fail "--help exit status $?"
for c in "page I \[LINK...\]" "crcl female|male AGE WEIGHT CREATININE HEIGHT"; do
  grep -q "^  $c\$" "$WORK/help" || fail "--help does not list '$c'"
done

# --- page ---
expect_json "{\"anchor\":\"\",\"html\":\"<HTML><BODY><FONT FACE='PPC_font2'></MENU><B>Drugs</B><br><MENU><LI><A HREF=\\\"$AMOX\\\">x</A></LI></MENU></FONT></BODY></HTML>\",\"object\":$ENTRY,\"source\":\"menu\",\"title\":\"entry\"}" page "$ENTRY"
expect_json "{\"anchor\":\"\",\"html\":null,\"object\":$INDEX,\"source\":null,\"title\":null}" page "$INDEX"
expect_json "{\"anchor\":\"\",\"html\":null,\"object\":$AMOX,\"source\":null,\"title\":null}" page "$ENTRY" "$AMOX#top"
run_json "$WORK/guide" page "$BADOBJ"
has '"source":"html"'
has '"title":"Notes"'
has "<HTML><HEAD></HEAD><BODY><FONT FACE='PPC_Font2'><p>caf"
# A web address is not followed: the page stays.
run_json "$WORK/guide" page "$BADOBJ" "http://example.org"
has '"source":"html"'
has "\"object\":$BADOBJ"
# Plain output: one "key: value" line each.
"$DUMP" "$WORK/guide" page "$ENTRY" > "$WORK/out" 2>&1 || fail "plain page: exit status $?"
has "source: menu"
has "title: entry"
# The results page key (objectCount) without page data.
run_json "$WORK/guide" page "$COUNT"
has '"source":"results"'
has '"title":"Creatinine Clearance (CrCl) Calculator - results"'
has '0.00ml/min. Abnormal level.'
run_json "$WORK/guide" page "$((COUNT + 4))"
has '"source":null'

# The decision tree, in both orders.
run_json "$WORK/guide" page "$TREE"
has '"source":"decisionTree"'
has '"title":"PEP"'
has "<A HREF=\\\"$Q1\\\">Step 1: Determine the Exposure Code(EC)</A><br /><br /><A HREF=\\\"$Q2\\\">Step 2: Determien the HIV Status Code(HIV SC)</A><br /><br />\""
run_json "$WORK/guide" page "$TREE" "$Q1" "$YES"
has "\"object\":$Q2"
has "\"anchor\":\"$Q2\""
has "EC one<br />SC Undetermined<br /><br /><b>Step 2: Determien the HIV Status Code(HIV SC)</b><br /><A NAME=\\\"$Q2\\\">Q2<UL><LI><A HREF=\\\"$POS\\\">pos</A></LI></UL><br />\""
run_json "$WORK/guide" page "$TREE" "$Q1" "$YES" "$POS"
has "\"object\":$SC"
has "EC one <A HREF=\\\"$Q1\\\">Change</A><br /><br />SC one <A HREF=\\\"$Q2\\\">Change</A><br /><br />Take it.\""
run_json "$WORK/guide" page "$TREE" "$Q2" "$POS" "$YES"
has "\"object\":$EC"
has "Take it.\""
# "Change", then an answer without children: its own page.
run_json "$WORK/guide" page "$TREE" "$Q2" "$POS" "$YES" "$Q1" "$NO"
has "\"object\":$NO"
has "EC one<br />SC one<br /><br /><b>Step 1: Determine the Exposure Code(EC)</b><br /><A NAME=\\\"$Q1\\\">Q1<UL><LI><A HREF=\\\"$YES\\\">yes</A></LI><LI><B>no</B></LI></UL><br />\""

# --- crcl ---
run_json "$WORK/guide" crcl female 60 70 1.0 65
has '"ok":true'
has '"crcl":53.833332'
has '"ibw":57.0'
has '"weight":70.0'
has '"html":"<HTML><BODY LINK=#086BE7><B>Creatinine Clearance </B><BR><blockquote>53.83ml/min. Abnormal level.</blockquote><BR><B>Ideal Body Weight </B><BR><blockquote>57kg. Actual Weight: 70kg. </blockquote><BR><B>Obesity Adjustment: </B><BR><blockquote>None required.</blockquote><BR><A HREF=\"'"$OKOBJ"'\">Renal <b>table</b></A><BR></BODY></HTML>"'
run_json "$WORK/guide" crcl male 40 100 1.0 70
has '"crcl":116.388885'
has '"ibw":73.0'
has 'Within normal limits: 116.39ml/min'
has 'Yes, adjusted appropiately for CrCl estimation.'
has "<A HREF=\\\"$BADOBJ\\\">note</A>"
run_json "$WORK/guide" crcl female 85 50 2.0 60
has '46kg. Actual Weight: 50kg.'
has '14.77ml/min'
run_json "$WORK/guide" crcl male 59 60 0.625 60
has '"crcl":90.0'
has "Within normal limits: 90.00ml/min"
has "<A HREF=\\\"$BADOBJ\\\">"
expect_json '{"caption":"Error","crcl":null,"field":1000,"html":null,"ibw":null,"message":"The \"Age\" value must be between 0 and 140 years inclusive.","ok":false,"weight":null}' crcl female 0 70 1 65
run_json "$WORK/guide" crcl female 141 70 1 65
has '"field":1000'
run_json "$WORK/guide" crcl female 140 70 1 65
has '"ok":true'
run_json "$WORK/guide" crcl male 50 500.1 1 65
has '"message":"The \"Weight\" value must be between 0 and 500 kg inclusive."'
run_json "$WORK/guide" crcl male 50 70 0.59 65
has '"message":"The \"Serum Creatinine\" value must be between 0.6  and 1000.0 mg/dl inclusive."'
has '"field":1002'
run_json "$WORK/guide" crcl male 50 70 0.6 65
has '"ok":true'
run_json "$WORK/guide" crcl male 50 70 1 59.9
has '"message":"The \"Height in inches\" value must be between 60.0 and 120.0 inches inclusive."'
has '"field":1003'
"$DUMP" "$WORK/guide" crcl male abc 70 1 65 > "$WORK/out" 2>&1 || fail "plain refused crcl: exit status $?"
has "ok: false"
has "field: 1000"

# --- bad usage and failures ---
expect_status 2 "$WORK/guide" page
expect_status 2 "$WORK/guide" page x
expect_status 1 "$WORK/guide" page "$((COUNT + 6))"
expect_status 1 "$WORK/guide" page "$AMOX" "$ENTRY"
expect_status 2 "$WORK/guide" crcl female 60 70 1
expect_status 2 "$WORK/guide" crcl other 60 70 1 65
expect_status 1 "$WORK/missing" page 1
printf 'not a database' > "$WORK/bad-Data.pdb"
cp "$WORK/bad-Data.pdb" "$WORK/bad-Strings.pdb"
mkdir -p "$WORK/bad" && mv "$WORK/bad-Data.pdb" "$WORK/bad/Qd07-Qd07-Data.pdb" &&
  mv "$WORK/bad-Strings.pdb" "$WORK/bad/Qd07-Qd07-Strings.pdb"
expect_status 1 "$WORK/bad" crcl female 60 70 1 65

# --- the demo guide ---
if [ -f "$DEMO/Qd07-Qd07-Data.pdb" ] && [ -f "$SRC/samples/demo-guide/objects.txt" ]; then
  label() { awk -F'\t' -v l="$1" '$2 == l { print $1 }' "$SRC/samples/demo-guide/objects.txt"; }
  run_json "$DEMO" crcl female 60 70 1.0 65
  has '53.83ml/min. Abnormal level.'
  has "<A HREF=\\\"$(label DOSAGE_CRCL_OK)\\\">"
  run_json "$DEMO" crcl male 40 100 1.0 70
  has 'Within normal limits: 116.39ml/min'
  has "<A HREF=\\\"$(label DOSAGE_CRCL_BAD)\\\">"
  run_json "$DEMO" page "$(label DOSAGE_CRCL_BAD)"
  has '"source":"html"'
  run_json "$DEMO" page "$(label INDEX)"
  has '"source":null'

  PEP=$(label pep_tree)
  STEP1=$(label pep_q_source)
  STEP2=$(label pep_q_status)
  # walk FIRST: from the tree, open step FIRST and take the first answer of
  # the last question shown until a page with both codes and "Change" links.
  walk() {
    local links=("$1") i html next
    for ((i = 0; i < 20; i++)); do
      run_json "$DEMO" page "$PEP" "${links[@]}"
      grep -qF '>Change</A>' "$WORK/out" && return 0
      grep -qF '"source":"decisionTree"' "$WORK/out" || { fail "walk left the tree: $(head -c 300 "$WORK/out")"; return 1; }
      html=$(sed 's/.*<A NAME=//' "$WORK/out")
      next=$(printf '%s' "$html" | grep -o 'HREF=\\"[0-9]*' | head -1 | grep -o '[0-9]*$')
      [ -n "$next" ] || { fail "walk: no answer to take in $(head -c 300 "$WORK/out")"; return 1; }
      links+=("$next")
    done
    fail "walk from $1 did not end"
    return 1
  }
  run_json "$DEMO" page "$PEP"
  has "<A HREF=\\\"$STEP1\\\">Step 1: Determine the Exposure Code(EC)</A>"
  has "<A HREF=\\\"$STEP2\\\">Step 2: Determien the HIV Status Code(HIV SC)</A>"
  if walk "$STEP1"; then
    has "\">Change</A><br /><br />HIV SC" "EC first: "
    hasnt "Undetermined" "EC first: "
  fi
  if walk "$STEP2"; then
    has "<A HREF=\\\"$STEP1\\\">Change</A>" "SC first: "
    has "<A HREF=\\\"$STEP2\\\">Change</A>" "SC first: "
    hasnt "Undetermined" "SC first: "
  fi
else
  echo "note: demo guide not built; its checks skipped"
fi

finish pages

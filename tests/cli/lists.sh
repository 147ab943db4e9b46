#!/usr/bin/env bash
# vantrel-dump's list commands from the outside: index-search, key-search and
# counterpart on a small packed guide, refusals and bad usage.
# Usage: lists.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"

# --- a small guide ---
#  0 guide  1 table "Index" (INDEX)  2 table "Abbreviations"  3 table "Names" (dual list)  4 table "Other"
#  5..9 index entries  10..11 key entries  12 table type  13 list Generic  14 list Trade  15 table type html
#  16..17 fields of the key entries  18..19 Generic items  20..21 Trade items  22..24 links
cat > "$WORK/guide.json" <<'JSON'
{
  "edition": [7, 1, 20071001],
  "types": ["guide", "table", "table type", "field", "hierarchy item", "list", "item", "link"],
  "root": {"type": "guide", "children": [
    {"type": "table", "text": "Index", "name": "INDEX", "children": [
      {"type": "hierarchy item", "text": "<b>Abscess</b>"},
      {"type": "hierarchy item", "text": "Beta"},
      {"type": "hierarchy item", "text": "beta blockers"},
      {"type": "hierarchy item", "text": "<i>Klebsiella</i>"},
      {"type": "hierarchy item", "text": "Zoster"}]},
    {"type": "table", "text": "Abbreviations", "name": "Abbreviations", "children": [
      {"type": "hierarchy item", "text": "<b>&sect;</b>", "children": [{"type": "field", "text": "Section"}]},
      {"type": "hierarchy item", "text": "AUC", "children": [{"type": "field", "text": "<b>AUC</b>: area"}]}]},
    {"type": "table", "text": "Names", "children": [
      {"type": "table type", "text": "dual list"},
      {"type": "list", "text": "Generic", "children": [
        {"type": "item", "text": "amikacin", "label": "g0", "children": [{"type": "link", "link": "t1"}]},
        {"type": "item", "text": "nolink", "label": "g1"}]},
      {"type": "list", "text": "Trade", "children": [
        {"type": "item", "text": "<b>Alpha</b>", "label": "t0"},
        {"type": "item", "text": "<b>Amikorel</b>", "label": "t1", "children": [{"type": "link", "link": "g0"}]}]}]},
    {"type": "table", "text": "Other", "children": [{"type": "table type", "text": "html"}]}]}
}
JSON
"$PACK" --quiet "$WORK/guide.json" "$WORK/guide" > /dev/null 2> "$WORK/pack.err" || {
  echo "FAIL: vantrel-pack: $(cat "$WORK/pack.err")"
  exit 1
}

expect_json '{"object":1,"row":0,"rows":5,"target":5,"text":"<b>Abscess</b>"}' index-search a
expect_json '{"object":1,"row":1,"rows":5,"target":6,"text":"Beta"}' index-search BETA
expect_json '{"object":1,"row":3,"rows":5,"target":8,"text":"<i>Klebsiella</i>"}' index-search k
expect_json '{"object":1,"row":2,"rows":5,"target":7,"text":"beta blockers"}' index-search beta b
expect_json '{"object":1,"row":4,"rows":5,"target":9,"text":"Zoster"}' index-search zzz
expect_json '{"object":1,"row":-1,"rows":5,"target":null,"text":null}' index-search ""
expect_json '{"explanation":"Section","object":2,"row":0,"rows":2,"target":10,"text":"<b>&sect;</b>"}' key-search "<b"
expect_json '{"explanation":"<b>AUC</b>: area","object":2,"row":1,"rows":2,"target":11,"text":"AUC"}' key-search au
expect_json '{"entry":0,"entryText":"amikacin","list":"upper","object":3,"row":1,"text":"<b>Amikorel</b>"}' counterpart 3 0
expect_json '{"entry":1,"entryText":"<b>Amikorel</b>","list":"lower","object":3,"row":0,"text":"amikacin"}' counterpart 3 1 --lower
expect_json '{"entry":1,"entryText":"nolink","list":"upper","object":3,"row":-1,"text":null}' counterpart 3 1
expect_json '{"entry":0,"entryText":"<b>Alpha</b>","list":"lower","object":3,"row":-1,"text":null}' counterpart 3 0 --lower

# Plain output.
got=$("$DUMP" "$WORK/guide" index-search k)
case "$got" in *"row: 3"*"text: <i>Klebsiella</i>"*) ;; *) fail "plain index-search: $got" ;; esac

# Bad usage: exit 2; objects of another kind, rows past the end: exit 1.
expect_status 2 "$WORK/guide" index-search
expect_status 2 "$WORK/guide" key-search
expect_status 2 "$WORK/guide" counterpart 3
expect_status 2 "$WORK/guide" counterpart x 0
expect_status 2 "$WORK/guide" counterpart 3 -1
expect_status 1 "$WORK/guide" counterpart 4 0
expect_status 1 "$WORK/guide" counterpart 1 0
expect_status 1 "$WORK/guide" counterpart 3 2
expect_status 1 "$WORK/guide" counterpart 999 0

# A guide with neither an index nor a key.
cat > "$WORK/bare.json" <<'JSON'
{"edition": [7, 1, 20071001], "types": ["guide", "table"],
 "root": {"type": "guide", "children": [{"type": "table", "text": "Only"}]}}
JSON
"$PACK" --quiet "$WORK/bare.json" "$WORK/bare" > /dev/null 2>&1 || fail "pack bare guide"
expect_status 1 "$WORK/bare" index-search a
expect_status 1 "$WORK/bare" key-search a

finish lists

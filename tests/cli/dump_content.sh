#!/usr/bin/env bash
# vantrel-dump's content commands from the outside, on a small guide packed
# with vantrel-pack: the JSON keys and values, the plain output, exit codes
# and messages for bad input, and a broken database.
# Usage: dump_content.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"

# expect_has PATTERN ARGS...: --json output contains PATTERN (grep -F).
expect_has() {
  local pattern="$1"
  shift
  "$DUMP" --json "$WORK/guide" "$@" > "$WORK/out" 2> "$WORK/err" || fail "$*: exit status $? ($(cat "$WORK/err"))"
  grep -qF -- "$pattern" "$WORK/out" || fail "$*: no '$pattern' in $(cat "$WORK/out")"
}

# --- a small guide ---
#   0 guide
#   1 table "Drugs" (DRUGS, id 50)   2 table "Index" (INDEX)   3 image (blob)   4 data (number 7)
#   5 table type "tight crt"   6 7 8 field "f1" "f2" "café"    (children of 1)
#   9 item "i1" linking to 1                                  (child of 2)
printf 'PNG\x00\x01\x02bytes' > "$WORK/blob.bin"
cat > "$WORK/guide.json" <<'EOF'
{
  "edition": [7, 1, 20071001],
  "types": ["guide", "table", "table type", "field", "item", "image", "data"],
  "root": {"type": "guide", "children": [
    {"type": "table", "text": "Drugs", "name": "DRUGS", "id": 50, "children": [
      {"type": "table type", "text": "tight crt"},
      {"type": "field", "text": "f1"},
      {"type": "field", "text": "f2"},
      {"type": "field", "text": "caf\u00e9"}]},
    {"type": "table", "text": "Index", "name": "INDEX", "children": [
      {"type": "item", "text": "i1", "kind": "string"}]},
    {"type": "image", "blob": "blob.bin"},
    {"type": "data", "value": 7}]}
}
EOF
"$PACK" --quiet "$WORK/guide.json" "$WORK/guide" > /dev/null 2> "$WORK/pack.err" || {
  echo "FAIL: vantrel-pack: $(cat "$WORK/pack.err")"
  exit 1
}

# --- help ---
"$DUMP" --help > "$WORK/help" 2>&1 || fail "--help exit status $?"
for c in "info" "entry I" "text I" "children I \[TYPE\]" "group I TYPE" "find-id ID" "name NAME" "types" "kinds" \
         "names" "blob I \[--out FILE\]"; do
  grep -q "^  $c\$" "$WORK/help" || fail "--help does not list '$c'"
done

# --- the commands ---
expect_has '"valid":true' info
expect_has '"objectCount":10' info
expect_has '"typeCount":7' info
expect_has '"nameCount":2' info
expect_has '"blobCount":1' info
for key in objectCount typeCount kindCount nameCount stringCount blobCount maxId runLimit entryBits entriesPerChunk; do
  expect_has "\"$key\":" info
done

expect_has '"index":1,"kindName":"string","parent":0,"run":1,"text":"Drugs","type":1,"typeName":"table"' entry 1
expect_has '"id":50' entry 1
expect_has '"value":7' entry 4
"$DUMP" --json "$WORK/guide" entry 4 | grep -q '"text"' && fail "entry 4: a number has no text key"
expect_json '{"index":8,"text":"café"}' text 8
expect_json '{"index":3,"text":null}' text 3
expect_json '{"index":0,"text":null}' text 0
expect_json '{"children":[5,6,7,8],"parent":1,"type":null}' children 1
expect_json '{"children":[6,7,8],"parent":1,"type":"field"}' children 1 field
expect_json '{"children":[1,2],"parent":0,"type":"table"}' children 0 table
expect_json '{"children":[],"parent":0,"type":"no such type"}' children 0 "no such type"
expect_json '{"children":[],"parent":9,"type":null}' children 9
expect_json '{"index":6}' group 1 field
expect_json '{"index":5}' group 1 "table type"
expect_json '{"index":0}' group 2 field
expect_json '{"id":50,"index":1}' find-id 50
expect_json '{"id":4000000000,"index":0}' find-id 4000000000
id9=$("$DUMP" --json "$WORK/guide" entry 9 | sed 's/.*"id":\([0-9]*\).*/\1/')
expect_json "{\"id\":$id9,\"index\":9}" find-id "$id9"
expect_json '{"index":2,"name":"INDEX"}' name INDEX
expect_json '{"index":0,"name":"index"}' name index
expect_json '{"types":["guide","table","table type","field","item","image","data"]}' types
expect_has '"string"' kinds
expect_json '{"names":[["DRUGS",1],["INDEX",2]]}' names
expect_json "{\"blob\":0,\"length\":$(stat -c %s "$WORK/blob.bin")}" blob 0 --out "$WORK/blob.out"
cmp -s "$WORK/blob.bin" "$WORK/blob.out" || fail "blob 0 --out: bytes differ"
# --json may also follow the command.
got=$("$DUMP" "$WORK/guide" text 1 --json)
[ "$got" = '{"index":1,"text":"Drugs"}' ] || fail "text 1 --json: $got"

# --- plain output for people ---
plain=$("$DUMP" "$WORK/guide" info)
echo "$plain" | grep -qx "objectCount: 10" || fail "plain info: $plain"
[ "$(echo "$plain" | head -1)" = "valid: true" ] || fail "plain info starts with: $(echo "$plain" | head -1)"
plain=$("$DUMP" "$WORK/guide" entry 8)
echo "$plain" | grep -qx "text: café" || fail "plain entry: $plain"
[ "$("$DUMP" "$WORK/guide" text 6)" = "f1" ] || fail "plain text 6"
"$DUMP" "$WORK/guide" children 1 | grep -q '^  7  field  "f2"$' || fail "plain children: $("$DUMP" "$WORK/guide" children 1)"
"$DUMP" "$WORK/guide" names | grep -q '^  INDEX  2$' || fail "plain names"

# --- failures (1) and bad usage (2) ---
expect_status 1 "$WORK/guide" entry 10
expect_status 1 "$WORK/guide" entry 4294967295
expect_status 1 "$WORK/guide" text 10
expect_status 1 "$WORK/guide" children 10
expect_status 1 "$WORK/guide" group 10 field
expect_status 1 "$WORK/guide" blob 1
expect_status 1 "$WORK/guide" bogus
expect_status 1 "$WORK/missing" info
expect_status 1 --base Other "$WORK/guide" info
expect_status 1 --json "$WORK/guide" entry 10
expect_status 1 "$WORK/guide" blob 0 --out "$WORK/no/such/folder/file"
expect_status 2 "$WORK/guide" entry
expect_status 2 "$WORK/guide" entry x
expect_status 2 "$WORK/guide" entry -1
expect_status 2 "$WORK/guide" entry 1 2
expect_status 2 "$WORK/guide" entry 99999999999
expect_status 2 "$WORK/guide" group 1
expect_status 2 "$WORK/guide" blob 0 --out
expect_status 2 "$WORK/guide" info extra
expect_status 2 "$WORK/guide"

# --- a broken database: reported, never a crash ---
mkdir -p "$WORK/broken"
cp "$WORK/guide/"* "$WORK/broken/"
data="$WORK/broken/Qd07-Qd07-Data.pdb"
truncate -s $(($(stat -c %s "$data") - 3)) "$data"
got=$("$DUMP" --json "$WORK/broken" info)
echo "$got" | grep -qF '"valid":false' || fail "truncated Data file: info says $got"
echo "$got" | grep -qF '"objectCount":0' || fail "truncated Data file: info says $got"
expect_status 1 "$WORK/broken" entry 0
expect_status 1 "$WORK/broken" types
rm "$WORK/broken/Qd07-Qd07-Strings.pdb"
expect_status 1 "$WORK/broken" info

finish dump_content

#!/usr/bin/env bash
# vantrel-index and vantrel-dump search from the outside: an index built
# ahead of time beside a small guide, into --out, the temporary index of
# vantrel-dump, the JSON fields, a damaged guide and bad usage.
# Usage: search.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"
INDEX="$1/vantrel-index"
export XDG_CACHE_HOME="$WORK/cache"

cat > "$WORK/guide.json" <<'JSON'
{
  "edition": [3, 0, 20260101],
  "root": {"type": "guide", "children": [
    {"type": "table", "text": "Notes", "children": [
      {"type": "table type", "text": "html"},
      {"type": "hierarchy item", "text": "Sepsis", "children": [
        {"type": "html", "text": "<p>Give <b>vancomycin</b> early.</p>"}]}]},
    {"type": "table", "text": "Footnotes", "children": [
      {"type": "footnote", "text": "Thrombocytopenia & rash"}]}]}
}
JSON
"$PACK" --quiet "$WORK/guide.json" "$WORK/guide" > /dev/null || fail "pack"

# No index anywhere: dump builds a temporary one and leaves nothing behind.
expect_json '{"corrected":null,"query":"vancomycin","results":[{"kind":"page","object":4,"score":'"$("$DUMP" --json "$WORK/guide" search vancomycin | sed 's/.*"score":\([^,]*\),.*/\1/')"',"snippet":"Give <b>vancomycin</b> early.","title":"Sepsis"}],"total":1}' search vancomycin
[ ! -e "$WORK/guide/search-index" ] || fail "dump search wrote beside the guide"
got="$("$DUMP" --json "$WORK/guide" search vancomicin --limit 1)"
echo "$got" | grep -q '"corrected":"vancomycin"' || fail "misspelling: $got"
echo "$got" | grep -q '"object":4' || fail "misspelling finds the page: $got"
got="$("$DUMP" --json "$WORK/guide" search zebra)"
[ "$got" = '{"corrected":null,"query":"zebra","results":[],"total":0}' ] || fail "no match: $got"
"$DUMP" "$WORK/guide" search rash | grep -q "^  5 footnote" || fail "plain output lists the footnote"

# vantrel-index beside the guide, and into --out.
"$INDEX" "$WORK/guide" > "$WORK/out" 2> "$WORK/err" || fail "index: $(cat "$WORK/err")"
grep -q "2 documents" "$WORK/out" || fail "index summary: $(cat "$WORK/out")"
[ -d "$WORK/guide/search-index" ] || fail "no index beside the guide"
"$INDEX" --quiet "$WORK/guide" --out "$WORK/elsewhere/idx" > "$WORK/out" 2>&1 || fail "index --out"
[ -d "$WORK/elsewhere/idx" ] && [ ! -s "$WORK/out" ] || fail "--out, --quiet"
expect_json '{"corrected":null,"query":"rash","results":[{"kind":"footnote","object":5,"score":'"$("$DUMP" --json "$WORK/guide" search rash | sed 's/.*"score":\([^,]*\),.*/\1/')"',"snippet":"Thrombocytopenia &amp; <b>rash</b>","title":"Thrombocytopenia & rash"}],"total":1}' search rash

# Help, bad usage, a damaged or missing guide.
"$INDEX" --help | grep -q "Usage: vantrel-index" || fail "index --help"
"$INDEX" > /dev/null 2>&1; [ $? -eq 2 ] || fail "index without DIR: exit 2"
"$INDEX" --bogus "$WORK/guide" > /dev/null 2>&1; [ $? -eq 2 ] || fail "index --bogus: exit 2"
"$INDEX" "$WORK/nowhere" > /dev/null 2>&1; [ $? -eq 1 ] || fail "index of a missing guide: exit 1"
mkdir -p "$WORK/bad" && head -c 200 /dev/urandom > "$WORK/bad/Qd07-Qd07-Data.pdb" && cp "$WORK/bad/Qd07-Qd07-Data.pdb" "$WORK/bad/Qd07-Qd07-Strings.pdb"
"$INDEX" "$WORK/bad" > /dev/null 2> "$WORK/err"; [ $? -eq 1 ] || fail "index of a damaged guide: exit 1"
grep -q "not a valid content database" "$WORK/err" || fail "damaged guide message: $(cat "$WORK/err")"
expect_status 2 "$WORK/guide" search
expect_status 2 "$WORK/guide" search x --limit
expect_status 2 "$WORK/guide" search x --limit 0
expect_status 1 "$WORK/bad" search x

finish search

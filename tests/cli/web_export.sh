#!/usr/bin/env bash
# vantrel-export from the outside: the demo guide exported and crawled from
# its home page (no broken link, every page reached), a guide with markup and
# script in its titles and texts (nothing of it runs), usage and failures,
# and the guide's folder left as it was.
# Usage: web_export.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"
EXPORT="$1/vantrel-export"
CRAWL="$(dirname "$0")/lib/crawl.py"

# --- usage and failures ---
"$EXPORT" --help > "$WORK/help" 2>&1 || fail "--help: exit status $?"
grep -q "Usage: vantrel-export" "$WORK/help" || fail "--help says $(cat "$WORK/help")"
"$EXPORT" > /dev/null 2>&1; [ $? -eq 2 ] || fail "no arguments: exit status not 2"
"$EXPORT" --bogus a b > /dev/null 2>&1; [ $? -eq 2 ] || fail "unknown option: exit status not 2"
"$EXPORT" "$WORK/nothing" "$WORK/out" > /dev/null 2>&1; [ $? -eq 1 ] || fail "missing guide: exit status not 1"
: > "$WORK/afile"
"$EXPORT" --quiet "$DEMO" "$WORK/afile" > /dev/null 2>&1; [ $? -eq 1 ] || fail "OUT is a file: exit status not 1"

# --- the demo guide ---
before=$(demo_state)
"$EXPORT" "$DEMO" "$WORK/site" > "$WORK/out" 2> "$WORK/err" || fail "demo export: exit status $? ($(cat "$WORK/err"))"
grep -q "files, .* bytes in" "$WORK/err" || fail "no summary: $(cat "$WORK/err")"
after=$(demo_state)
[ "$before" = "$after" ] || fail "the export changed the guide's folder"
for f in index.html search.html contents.html index.json index-data.js style.css site.js; do
  [ -s "$WORK/site/$f" ] || fail "no $f"
done
ls "$WORK/site" | grep -q '\.part$' && fail "temporary files left behind"
python3 "$CRAWL" "$WORK/site" 20 > "$WORK/crawl" || fail "demo crawl: $(cat "$WORK/crawl")"
python3 -c 'import json,sys; d=json.load(open(sys.argv[1])); assert len(d) > 10 and all(len(e) == 2 for e in d)' \
  "$WORK/site/index.json" || fail "index.json is not a list of [text, address]"
# Exporting again over the same folder gives the same files.
(cd "$WORK/site" && md5sum ./* > "$WORK/sums")
"$EXPORT" --quiet "$DEMO" "$WORK/site" > /dev/null 2>&1 || fail "second export failed"
(cd "$WORK/site" && md5sum -c --quiet "$WORK/sums") > /dev/null 2>&1 || fail "a second export differs"

# --- markup and script in the content ---
cat > "$WORK/evil.json" <<'JSON'
{
  "types": ["guide", "table", "table type", "hierarchy item", "html", "link", "field", "footnote"],
  "root": {"type": "guide", "children": [
    {"type": "table", "text": "Index</title><script>alert(1)</script>", "name": "INDEX", "children": [
      {"type": "hierarchy item", "text": "<b>A</b> </script><script>alert(2)</script>", "children": [
        {"type": "hierarchy item", "text": "go", "children": [{"type": "link", "link": "page"}]}]}]},
    {"type": "table", "text": "TOC", "name": "TOC", "children": [
      {"type": "hierarchy item", "text": "<img src=x onerror=alert(3)>", "children": [
        {"type": "link", "link": "page"}]}]},
    {"type": "table", "text": "\"><svg onload=alert(4)>", "children": [
      {"type": "table type", "text": "html"},
      {"type": "hierarchy item", "text": "p", "label": "page", "children": [
        {"type": "html", "text": "<body onload=alert(5)><a href=\"javascript:alert(6)\">x</a><script>alert(7)</script></body>"}]}]},
    {"type": "table", "text": "T <script>alert(8)</script>", "children": [
      {"type": "table type", "text": "tight crt"},
      {"type": "hierarchy item", "text": "<script>alert(9)</script>", "children": [
        {"type": "hierarchy item", "text": "r", "children": [{"type": "field", "text": "<a href='x' onclick='alert(10)'>c</a>"}]}]},
      {"type": "hierarchy item", "text": "cols", "children": [{"type": "hierarchy item", "text": "c"}]}]}]}
}
JSON
"$PACK" --quiet "$WORK/evil.json" "$WORK/evil" > /dev/null 2> "$WORK/pack.err" || fail "pack: $(cat "$WORK/pack.err")"
"$EXPORT" --quiet "$WORK/evil" "$WORK/evilsite" > /dev/null 2> "$WORK/err" || fail "evil export: $(cat "$WORK/err")"
python3 "$CRAWL" "$WORK/evilsite" 3 > "$WORK/crawl" || fail "evil crawl: $(cat "$WORK/crawl")"
if grep -l -i -E '<script>|<svg|<img src=x|<[^>]* on[a-z]+=|href="javascript:' "$WORK"/evilsite/*.html > "$WORK/hits"; then
  fail "content made it into the pages as markup: $(cat "$WORK/hits")"
fi
# Titles are plain text as the reader's title bar shows them: its tags removed.
grep -qF '<title>T alert(8)</title>' "$WORK"/evilsite/o*.html || fail "the table's title is not shown as plain text"

# --- entities in titles, index entries and table headings ---
# Decoded once, tags removed as the reader removes them, escaped once.
cat > "$WORK/ent.json" <<'JSON'
{
  "types": ["guide", "table", "table type", "hierarchy item", "html", "link", "field"],
  "root": {"type": "guide", "children": [
    {"type": "table", "text": "Index", "name": "INDEX", "children": [
      {"type": "hierarchy item", "text": "Renal &lt;script&gt;alert(1)&lt;/script&gt; &amp; hepatic&nbsp;cautions",
       "children": [{"type": "link", "link": "renal"}]},
      {"type": "hierarchy item", "text": "Sodium &lt; 130 &amp;amp; more", "children": [{"type": "link", "link": "renal"}]}]},
    {"type": "table", "text": "Contents", "name": "TOC", "children": [
      {"type": "hierarchy item", "text": "Renal &lt;script&gt;alert(1)&lt;/script&gt; &amp; hepatic&nbsp;cautions",
       "children": [{"type": "link", "link": "renal"}]}]},
    {"type": "table", "text": "Renal &lt;script&gt;alert(1)&lt;/script&gt; &amp; hepatic&nbsp;<i>cautions</i>", "children": [
      {"type": "table type", "text": "tight crt"},
      {"type": "hierarchy item", "text": "Agents", "children": [
        {"type": "hierarchy item", "text": "Amox &amp; clav &lt;3&gt;", "label": "renal", "children": [
          {"type": "field", "text": "500 mg"}]}]},
      {"type": "hierarchy item", "text": "Properties", "children": [
        {"type": "hierarchy item", "text": "Dose&nbsp;&gt;&nbsp;1 g"}]}]}]}
}
JSON
"$PACK" --quiet "$WORK/ent.json" "$WORK/ent" > /dev/null 2> "$WORK/pack.err" || fail "pack: $(cat "$WORK/pack.err")"
"$EXPORT" --quiet "$WORK/ent" "$WORK/entsite" > /dev/null 2> "$WORK/err" || fail "entities export: $(cat "$WORK/err")"
shown='Renal alert(1) &amp; hepatic cautions'
table=$(grep -l -F "<h1>$shown</h1>" "$WORK"/entsite/o*.html | head -1)
[ -n "$table" ] || fail "no page headed '$shown': $(grep -h -o '<h1>.*</h1>' "$WORK"/entsite/*.html)"
if [ -n "$table" ]; then
  grep -qF "<title>$shown</title>" "$table" || fail "the table's <title>: $(grep -o '<title>.*</title>' "$table")"
  grep -qF 'Amox &amp; clav &lt;3&gt;' "$table" || fail "a row heading: $(cat "$table")"
  grep -qF 'Dose &gt; 1 g' "$table" || fail "a column heading: $(cat "$table")"
fi
grep -qF "$shown" "$WORK/entsite/contents.html" || fail "the contents: $(cat "$WORK/entsite/contents.html")"
python3 - "$WORK/entsite/index.json" <<'PY' || fail "index.json: $(cat "$WORK/entsite/index.json")"
import json, sys
texts = [e[0] for e in json.load(open(sys.argv[1]))]
assert "Renal alert(1) & hepatic cautions" in texts, texts
assert "Sodium < 130 &amp; more" in texts, texts
PY
if grep -l -E '&amp;(lt|gt|nbsp);|<script>|&lt;script|&lt;/?i&gt;' "$WORK"/entsite/*.html > "$WORK/hits"; then
  fail "an entity shown as text or a tag let through: $(cat "$WORK/hits")"
fi
finish web_export

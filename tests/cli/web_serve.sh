#!/usr/bin/env bash
# vantrel-serve from the outside, on 127.0.0.1 only: started on a free port,
# ordinary and hostile requests (lib/hostile.py), still running afterwards,
# the guide's folder untouched, and a clean stop on SIGTERM.
# Usage: web_serve.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"
SERVE="$1/vantrel-serve"
if [ ! -x "$SERVE" ]; then
  echo "vantrel-serve not built (no cpp-httplib): skipped"
  exit 0
fi

"$SERVE" --help > "$WORK/help" 2>&1 || fail "--help: exit status $?"
grep -q "Usage: vantrel-serve" "$WORK/help" || fail "--help says $(cat "$WORK/help")"
"$SERVE" > /dev/null 2>&1; [ $? -eq 2 ] || fail "no arguments: exit status not 2"
"$SERVE" --listen nowhere "$DEMO" > /dev/null 2>&1; [ $? -eq 2 ] || fail "bad --listen: exit status not 2"
"$SERVE" --threads 0 "$DEMO" > /dev/null 2>&1; [ $? -eq 2 ] || fail "--threads 0: exit status not 2"
"$SERVE" "$WORK/nothing" > /dev/null 2>&1; [ $? -eq 1 ] || fail "missing guide: exit status not 1"

COUNT=$("$DUMP" --json "$DEMO" info | sed 's/.*"objectCount":\([0-9]*\).*/\1/')
# An HTML page and a table item of the demo guide, found through the dump.
PAGE=""; TABLE=""
for ((i = 1; i < COUNT && i < 3000; i++)); do
  if [ -z "$PAGE" ] && "$DUMP" --json "$DEMO" page "$i" 2>/dev/null | grep -q '"source":"html"'; then PAGE=$i; fi
  if [ -z "$TABLE" ] && "$DUMP" --json "$DEMO" table "$i" > /dev/null 2>&1; then TABLE=$i; fi
  [ -n "$PAGE" ] && [ -n "$TABLE" ] && break
done
[ -n "$PAGE" ] && [ -n "$TABLE" ] || { echo "FAIL: no page or table in the demo guide"; exit 1; }

# An empty cache folder: no full-text index anywhere, so /api/search is 503.
export XDG_CACHE_HOME="$WORK/cache"
before=$(demo_state)
"$SERVE" --listen 127.0.0.1:0 --threads 80 "$DEMO" > "$WORK/serve.out" 2> "$WORK/serve.err" &
pid=$!
trap 'kill $pid 2>/dev/null; rm -rf "$WORK"' EXIT
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)/$|\1|p' "$WORK/serve.out")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "FAIL: the server did not start: $(cat "$WORK/serve.err")"; exit 1; }

timeout 120 python3 "$(dirname "$0")/lib/hostile.py" "$port" "$PAGE" "$TABLE" "$COUNT" > "$WORK/hostile" 2>&1 ||
  fail "hostile requests: $(cat "$WORK/hostile")"
kill -0 $pid 2>/dev/null || fail "the server is gone after the hostile requests: $(cat "$WORK/serve.err")"

kill -TERM $pid
for _ in $(seq 1 100); do
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
if kill -0 $pid 2>/dev/null; then
  fail "still running 10 s after SIGTERM"
  kill -KILL $pid
fi
wait $pid
rc=$?
[ $rc -eq 0 ] || fail "exit status $rc after SIGTERM ($(cat "$WORK/serve.err"))"
grep -q "Sanitizer" "$WORK/serve.err" && fail "$(cat "$WORK/serve.err")"
after=$(demo_state)
[ "$before" = "$after" ] || fail "the server changed the guide's folder"

# With a full-text index beside the guide, /api/search answers from it.
INDEX="$1/vantrel-index"
if [ -x "$INDEX" ]; then
  mkdir -p "$WORK/indexed"
  cp "$DEMO"/*.pdb "$WORK/indexed/"
  "$INDEX" --quiet "$WORK/indexed" > /dev/null 2>&1 || fail "vantrel-index on a copy of the demo guide"
  "$SERVE" --listen 127.0.0.1:0 "$WORK/indexed" > "$WORK/serve2.out" 2> "$WORK/serve2.err" &
  pid=$!
  port=""
  for _ in $(seq 1 100); do
    port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)/$|\1|p' "$WORK/serve2.out")
    [ -n "$port" ] && break
    sleep 0.1
  done
  if [ -z "$port" ]; then
    fail "the server on the indexed copy did not start: $(cat "$WORK/serve2.err")"
  else
    got=$(timeout 20 python3 - "$port" <<'PY'
import json, sys, urllib.request, urllib.error
base = "http://127.0.0.1:%s" % sys.argv[1]
body = json.load(urllib.request.urlopen(base + "/api/search?q=penicillin", timeout=10))
assert body["query"] == "penicillin" and body["total"] > 0 and body["results"], body
hit = body["results"][0]
assert set(hit) == {"object", "title", "kind", "snippet", "score"}, hit
try:
    urllib.request.urlopen(base + "/api/search?q=" + "x" * 600, timeout=10)
    raise SystemExit("a 600-character query was answered")
except urllib.error.HTTPError as e:
    assert e.code == 400, e.code
print("ok")
PY
)
    [ "$got" = "ok" ] || fail "/api/search with an index: $got"
    kill -TERM $pid
    wait $pid || fail "exit status $? after SIGTERM (indexed copy)"
  fi
fi
# Titles with entities and tags: the pages and the JSON show them as plain
# text (decoded once, the reader's tags removed), escaped once.
cat > "$WORK/ent.json" <<'JSON'
{
  "types": ["guide", "table", "table type", "hierarchy item", "html", "link"],
  "root": {"type": "guide", "children": [
    {"type": "table", "text": "Index", "name": "INDEX", "children": [
      {"type": "hierarchy item", "text": "Renal &lt;script&gt;x&lt;/script&gt; &amp; hepatic&nbsp;<b>cautions</b>",
       "children": [{"type": "link", "link": "page"}]}]},
    {"type": "table", "text": "TOC", "name": "TOC"},
    {"type": "table", "text": "Pages", "children": [
      {"type": "table type", "text": "html"},
      {"type": "hierarchy item", "text": "Renal &lt;script&gt;x&lt;/script&gt; &amp; hepatic&nbsp;<b>cautions</b>",
       "label": "page", "children": [{"type": "html", "text": "<p>Text</p>"}]}]}]}
}
JSON
if "$PACK" --quiet "$WORK/ent.json" "$WORK/ent" > /dev/null 2> "$WORK/pack.err"; then
  "$SERVE" --listen 127.0.0.1:0 "$WORK/ent" > "$WORK/serve3.out" 2> "$WORK/serve3.err" &
  pid=$!
  port=""
  for _ in $(seq 1 100); do
    port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)/$|\1|p' "$WORK/serve3.out")
    [ -n "$port" ] && break
    sleep 0.1
  done
  if [ -z "$port" ]; then
    fail "the server on the entities guide did not start: $(cat "$WORK/serve3.err")"
  else
    got=$(timeout 20 python3 - "$port" <<'PY'
import json, re, sys, urllib.request
base = "http://127.0.0.1:%s" % sys.argv[1]
get = lambda p: urllib.request.urlopen(base + p, timeout=10).read().decode()
index = json.loads(get("/api/index?q=r"))
row = index["rows"][0]
assert row["plain"] == "Renal x & hepatic cautions", row
assert row["text"].startswith("Renal &lt;script&gt;"), row  # the markup as stored
target = row["target"]
page = json.loads(get("/api/page/%d" % target))
assert page["title"] == "Renal x & hepatic cautions", page
html = get("/o%d.html" % target)
assert "<title>Renal x &amp; hepatic cautions</title>" in html, html
assert "<h1>Renal x &amp; hepatic cautions</h1>" in html, html
data = get("/index.json")
assert json.loads(data)[0][0] == "Renal x & hepatic cautions", data
for body in (html, data):
    assert not re.search(r"&amp;(lt|gt|amp|nbsp);|<script>|&lt;script", body), body
print("ok")
PY
)
    [ "$got" = "ok" ] || fail "titles with entities: $got"
    kill -TERM $pid
    wait $pid || fail "exit status $? after SIGTERM (entities guide)"
  fi
else
  fail "pack: $(cat "$WORK/pack.err")"
fi
finish web_serve

#!/usr/bin/env bash
# vantrel-check from the outside: the demo guide passes; a damaged guide
# fails with its problems in the --json report; bad usage exits 2.
# Usage: check.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"
CHECK="$1/vantrel-check"

# The demo guide has no errors.
"$CHECK" "$DEMO" > "$WORK/out" 2> "$WORK/err"
rc=$?
[ "$rc" -eq 0 ] || fail "demo guide: exit status $rc: $(cat "$WORK/out" "$WORK/err" | head -20)"
tail -1 "$WORK/out" | grep -q "^ok: 0 errors" || fail "demo guide: summary $(tail -1 "$WORK/out")"

"$CHECK" --json "$DEMO" > "$WORK/demo.json" || fail "demo guide --json: exit status $?"
python3 - "$WORK/demo.json" <<'PY' || fail "demo guide --json: $(head -c 400 "$WORK/demo.json")"
import json, sys
r = json.load(open(sys.argv[1]))
assert r["ok"] is True
assert set(r) == {"ok", "problems", "counts"}
assert r["counts"]["errors"] == 0
assert r["counts"]["checked"]["objects"] > 100
for p in r["problems"]:
    assert {"object", "kind", "path", "message", "severity"} <= set(p)
    assert p["severity"] == "warning"
PY

# A small guide with a link past the end and an index out of order.
cat > "$WORK/guide.json" <<'JSON'
{
  "root": {"type": "guide", "children": [
    {"type": "table", "text": "Contents", "name": "TOC", "children": [
      {"type": "hierarchy item", "text": "Chapter", "children": [
        {"type": "link", "value": 4000000, "kind": "object"}]}]},
    {"type": "table", "text": "Index", "name": "INDEX", "children": [
      {"type": "hierarchy item", "text": "beta"},
      {"type": "hierarchy item", "text": "alpha"}]}]}
}
JSON
if "$PACK" "$WORK/guide.json" "$WORK/guide" > "$WORK/pack.out" 2>&1; then
  "$CHECK" --json "$WORK/guide" > "$WORK/bad.json" 2> "$WORK/err"
  rc=$?
  [ "$rc" -eq 1 ] || fail "damaged guide: exit status $rc, expected 1"
  python3 - "$WORK/bad.json" <<'PY' || fail "damaged guide --json: $(head -c 1500 "$WORK/bad.json")"
import json, sys
r = json.load(open(sys.argv[1]))
assert r["ok"] is False
kinds = {p["kind"] for p in r["problems"]}
assert {"link-past-end", "index-order", "page-key"} <= kinds, kinds
alpha = [p for p in r["problems"] if p["kind"] == "index-order"][0]
assert alpha["path"] == "Index / alpha", alpha
assert alpha["severity"] == "error"
PY
else
  fail "packing the damaged guide: $(cat "$WORK/pack.out")"
fi

# The demo guide written by another tool: its links carry other value-kind
# names ("ref", "number"), one a "string". The links still lead where they
# did, so there are no errors; the string-kind link is a warning.
cp -r "$SRC/samples/demo-guide" "$WORK/other-src"
python3 - "$WORK/other-src/guide.json" <<'PY' || fail "rewriting the demo source"
import json, sys
path = sys.argv[1]
g = json.load(open(path))
names = ["ref", "number"]
count = [0]
def walk(o):
    if isinstance(o, dict):
        if "link" in o and "kind" not in o:
            o["kind"] = "string" if count[0] == 7 else names[count[0] % 2]
            count[0] += 1
        for v in o.values():
            walk(v)
    elif isinstance(o, list):
        for v in o:
            walk(v)
walk(g["root"])
assert count[0] > 100, count[0]
json.dump(g, open(path, "w"))
PY
if "$PACK" "$WORK/other-src/guide.json" "$WORK/other" > "$WORK/pack.out" 2>&1; then
  "$CHECK" --json "$WORK/other" > "$WORK/other.json" 2> "$WORK/err"
  rc=$?
  [ "$rc" -eq 0 ] || fail "links of other kinds: exit status $rc: $(head -c 1500 "$WORK/other.json")"
  python3 - "$WORK/other.json" <<'PY' || fail "links of other kinds --json: $(head -c 1500 "$WORK/other.json")"
import json, sys
r = json.load(open(sys.argv[1]))
assert r["ok"] is True
assert r["counts"]["errors"] == 0
kinds = [p for p in r["problems"] if p["kind"] == "link-kind"]
assert len(kinds) == 1 and kinds[0]["severity"] == "warning", kinds
assert r["counts"]["checked"]["links"] > 100
PY
else
  fail "packing the demo guide with other kind names: $(cat "$WORK/pack.out")"
fi

# Usage.
for args in "" "--bogus $DEMO" "$DEMO $DEMO" "--base"; do
  # shellcheck disable=SC2086
  "$CHECK" $args > /dev/null 2> "$WORK/err"
  rc=$?
  [ "$rc" -eq 2 ] || fail "'$args': exit status $rc, expected 2"
  [ -s "$WORK/err" ] || fail "'$args': no message"
done
"$CHECK" --help | grep -q "^usage: vantrel-check" || fail "--help"
"$CHECK" "$WORK/nothing-here" > /dev/null 2>&1
[ $? -eq 1 ] || fail "a missing folder is a failure"
"$CHECK" --base Other "$DEMO" > "$WORK/out" 2>&1
[ $? -eq 1 ] && grep -q "cannot open" "$WORK/out" || fail "--base Other: $(cat "$WORK/out")"

finish check

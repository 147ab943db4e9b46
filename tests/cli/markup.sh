#!/usr/bin/env bash
# vantrel-dump markup and strip from the outside: the JSON keys tools rely on,
# exact layouts on the test surface, usage errors, and the --png picture.
# Usage: markup.sh BIN_DIR SOURCE_DIR
set -u
BIN="$1/vantrel-dump"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect_output NAME EXPECTED ARGS...: the command succeeds and prints exactly EXPECTED.
expect_output() {
  local name="$1" expected="$2"
  shift 2
  local got
  got=$("$BIN" "$@" 2> "$WORK/err")
  local rc=$?
  [ "$rc" -eq 0 ] || fail "$name: exit status $rc ($(cat "$WORK/err"))"
  [ "$got" = "$expected" ] || fail "$name: got
$got
expected
$expected"
}

# expect_status NAME STATUS ARGS...
expect_status() {
  local name="$1" status="$2"
  shift 2
  "$BIN" "$@" > /dev/null 2> "$WORK/err"
  local rc=$?
  [ "$rc" -eq "$status" ] || fail "$name: exit status $rc, expected $status"
  [ "$status" -eq 0 ] || [ -s "$WORK/err" ] || fail "$name: no message on standard error"
}

# --- help lists both commands ---
"$BIN" --help > "$WORK/help" 2>&1 || fail "--help exit status $?"
grep -q "markup \[--width W\] \[--lines N\] \[--dpi D\]" "$WORK/help" || fail "--help does not list markup"
grep -q "strip \[--tag NAME \[--attr NAME\]\] TEXT" "$WORK/help" || fail "--help does not list strip"

# --- markup: wrapping at the space that leaves room (8 px characters, margins 3) ---
expect_output wrap '{"lineWidth":111,"maxRunHeight":16,"pieces":[{"h":18,"line":0,"text":"one ","w":32,"x":3,"y":1},{"h":18,"line":0,"text":"two ","w":32,"x":35,"y":1},{"h":18,"line":1,"text":"three","w":40,"x":3,"y":19}],"runs":[{"bold":false,"colour":0,"end":13,"height":16,"italic":false,"link":false,"linkId":0,"script":0,"start":0,"width":104}],"text":"one two three","truncated":false}' \
  --json markup --width 76 "one two three"

# --- runs: bold, link with its id and colour, subscript in the smaller font ---
expect_output runs '{"lineWidth":62,"maxRunHeight":16,"pieces":[{"h":18,"line":0,"text":"b","w":9,"x":3,"y":1},{"h":18,"line":0,"text":"see","w":24,"x":12,"y":1},{"h":18,"line":0,"text":"H","w":8,"x":36,"y":1},{"h":14,"line":0,"text":"2","w":8,"x":44,"y":5},{"h":18,"line":0,"text":"O","w":8,"x":52,"y":1}],"runs":[{"bold":true,"colour":0,"end":1,"height":16,"italic":false,"link":false,"linkId":0,"script":0,"start":0,"width":9},{"bold":false,"colour":15166216,"end":4,"height":16,"italic":false,"link":true,"linkId":12,"script":0,"start":1,"width":24},{"bold":false,"colour":0,"end":5,"height":16,"italic":false,"link":false,"linkId":0,"script":0,"start":4,"width":8},{"bold":false,"colour":0,"end":6,"height":12,"italic":false,"link":false,"linkId":0,"script":2,"start":5,"width":6},{"bold":false,"colour":0,"end":7,"height":16,"italic":false,"link":false,"linkId":0,"script":0,"start":6,"width":8}],"text":"bseeH2O","truncated":false}' \
  --json markup '<b>b</b><a href="12">see</a>H<sub>2</sub>O'

# --- one-line limit: "..." and truncated ---
expect_output ellipsis '{"lineWidth":87,"maxRunHeight":16,"pieces":[{"h":18,"line":0,"text":"abc","w":24,"x":3,"y":1},{"h":18,"line":0,"text":"...","w":24,"x":27,"y":1}],"runs":[{"bold":false,"colour":0,"end":10,"height":16,"italic":false,"link":false,"linkId":0,"script":0,"start":0,"width":80}],"text":"abcdefghij","truncated":true}' \
  --json markup --width 56 --lines 1 abcdefghij
got=$("$BIN" --json markup --lines 1 'ab<br>cd')
case "$got" in *'"text":"..."'*'"truncated":true'*) ;; *) fail "line feed with one line: $got" ;; esac

# --- dpi: 192 doubles the font and the margins ---
got=$("$BIN" --json markup --dpi 192 x)
case "$got" in *'{"h":36,"line":0,"text":"x","w":16,"x":6,"y":2}'*) ;; *) fail "dpi 192: $got" ;; esac

# --- standard input ---
got=$(printf 'a &amp; b' | "$BIN" --json markup -)
case "$got" in *'"text":"a & b"'*) ;; *) fail "stdin: $got" ;; esac

# --- strip ---
expect_output strip-all '{"text":"A  B"}' --json strip '<b>A</b> &lt;i&gt; B'
expect_output strip-tag '{"text":"x</A>"}' --json strip --tag A --attr HREF '<A HREF="3">x</A>'
expect_output strip-tag-noattr '{"text":"t</b>"}' --json strip --tag b '<b>t</b>'
expect_output strip-plain 'A  B' strip '<b>A</b> &lt;i&gt; B'

# --- usage errors: status 2 with a message ---
expect_status no-text 2 markup
expect_status two-texts 2 markup a b
expect_status bad-width 2 markup --width wide x
expect_status zero-width 2 markup --width 0 x
expect_status bad-lines 2 markup --lines 300 x
expect_status unknown-option 2 markup --colour red x
expect_status attr-without-tag 2 strip --attr HREF x
expect_status strip-no-text 2 strip

# --- the picture ---
if "$BIN" markup --png "$WORK/p.png" --width 120 'See <a href="1">the table</a>' > /dev/null 2> "$WORK/err"; then
  head -c 8 "$WORK/p.png" | od -An -tx1 | grep -q "89 50 4e 47" || fail "--png wrote no PNG"
else
  grep -q "no Qt side" "$WORK/err" || fail "--png failed: $(cat "$WORK/err")"
fi
expect_status png-unwritable 1 markup --png "$WORK/no/such/dir/p.png" x

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "markup CLI: all checks passed"

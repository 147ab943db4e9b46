#!/usr/bin/env bash
# vantrel-pack from the outside: usage, exit codes, error messages that say
# where in the JSON the problem is, and no files written on any error.
# Usage: pack.sh BIN_DIR SOURCE_DIR
set -u
BIN="$1/vantrel-pack"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect_error NAME JSON PATTERN...: packing JSON fails with status 1, the
# messages match every PATTERN (grep -F), and OUTDIR is not created.
expect_error() {
  local name="$1" json="$2"
  shift 2
  printf '%s' "$json" > "$WORK/$name.json"
  "$BIN" "$WORK/$name.json" "$WORK/out-$name" > "$WORK/$name.out" 2> "$WORK/$name.err"
  local rc=$?
  [ "$rc" -eq 1 ] || fail "$name: exit status $rc, expected 1"
  for pattern in "$@"; do
    grep -qF -- "$pattern" "$WORK/$name.err" || fail "$name: no message with '$pattern' in: $(cat "$WORK/$name.err")"
  done
  [ ! -e "$WORK/out-$name" ] || fail "$name: output folder created"
}

# --- usage ---
"$BIN" --help > "$WORK/help" 2>&1 || fail "--help exit status $?"
grep -q "Usage: vantrel-pack" "$WORK/help" || fail "--help prints no usage"
grep -q -- "--synthetic" "$WORK/help" || fail "--help does not mention --synthetic"
"$BIN" > /dev/null 2>&1; [ $? -eq 2 ] || fail "no arguments: expected status 2"
"$BIN" --frobnicate a b > /dev/null 2>&1; [ $? -eq 2 ] || fail "unknown option: expected status 2"
"$BIN" --synthetic many "$WORK/x" > /dev/null 2>&1; [ $? -eq 2 ] || fail "--synthetic many: expected status 2"
"$BIN" --synthetic 0 "$WORK/x" > /dev/null 2>&1; [ $? -eq 2 ] || fail "--synthetic 0: expected status 2"
"$BIN" --base a/b x.json "$WORK/x" > /dev/null 2>&1; [ $? -eq 2 ] || fail "--base with a slash: expected status 2"
[ ! -e "$WORK/x" ] || fail "usage errors created a folder"

# --- a good source, with a link, a blob and an image ---
mkdir -p "$WORK/src/img"
printf 'BLOBDATA' > "$WORK/src/raw.bin"
# A PNG signature and header are all the packer reads of a picture.
printf '\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\xf0\x00\x00\x01\x40\x08\x02\x00\x00\x00' > "$WORK/src/img/small.png"
cat > "$WORK/src/guide.json" <<'EOF'
{
  "edition": [7, 1, 20071001],
  "types": ["root", "table"],
  "root": {"type": "root", "children": [
    {"type": "table", "text": "Index", "name": "INDEX", "children": [
      {"type": "item", "text": "caf\u00e9", "children": [{"type": "link", "link": "tbl-a"}]}
    ]},
    {"type": "table", "label": "tbl-a", "text": "Antibiotics", "id": 77},
    {"type": "data", "blob": "raw.bin"},
    {"type": "image", "image": ["img/small.png", {"file": "img/small.png", "width": 480, "height": 640}]},
    {"type": "version", "value": 4294967295, "kind": "count"}
  ]}
}
EOF
"$BIN" "$WORK/src/guide.json" "$WORK/good/deeper" > "$WORK/good.out" 2>&1 || fail "good source: exit status $? ($(cat "$WORK/good.out"))"
for f in Data Strings Binary-PPC; do
  [ -s "$WORK/good/deeper/Qd07-Qd07-$f.pdb" ] || fail "good source: Qd07-Qd07-$f.pdb missing"
done
[ "$(ls "$WORK/good/deeper" | wc -l)" -eq 3 ] || fail "good source: extra files: $(ls "$WORK/good/deeper")"
# The last blob (the image) ends with the second variant's file.
tail -c "$(wc -c < "$WORK/src/img/small.png")" "$WORK/good/deeper/Qd07-Qd07-Binary-PPC.pdb" \
  | cmp -s - "$WORK/src/img/small.png" || fail "image bytes not at the end of the Binary file"
# Image blob: 2 variants; descriptors {0 0, width, height, 0, offset}: 240x320
# read from the PNG at offset 23, then 480x640 as given.
hex() { od -An -v -tx1 "$1" | tr -d ' \n'; }
hex "$WORK/good/deeper/Qd07-Qd07-Binary-PPC.pdb" | grep -q "02000000f0014000000000170000""01e0028000" \
  || fail "image descriptors not found"

# Sizes read from GIF and JPEG headers too (little-endian GIF, JPEG from its
# start-of-frame segment after an APP0 segment).
printf 'GIF89a\x40\x01\xf0\x00\x00\x00\x00;' > "$WORK/src/img/pic.gif"
printf '\xff\xd8\xff\xe0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xff\xc0\x00\x11\x08\x02\x80\x01\xe0\x03\x01\x22\x00\x02\x11\x01\x03\x11\x01\xff\xd9' > "$WORK/src/img/pic.jpg"
printf '{"root": {"type": "root", "children": [{"type": "image", "image": ["img/pic.gif", "img/pic.jpg"]}]}}' > "$WORK/src/formats.json"
"$BIN" --quiet "$WORK/src/formats.json" "$WORK/formats" || fail "GIF and JPEG image: status $?"
# GIF 320x240, JPEG 480x640.
hex "$WORK/formats/Qd07-Qd07-Binary-PPC.pdb" | grep -q "020000014000f000000000170000""01e0028000" \
  || fail "GIF/JPEG image descriptors not found"
printf 'not a picture' > "$WORK/src/img/text.png"
printf '{"root": {"type": "r", "children": [{"type": "image", "image": ["img/text.png", {"file": "img/text.png", "width": 10, "height": 20}]}]}}' > "$WORK/src/unknown.json"
"$BIN" "$WORK/src/unknown.json" "$WORK/unknown" > /dev/null 2> "$WORK/unknown.err"; [ $? -eq 1 ] || fail "unknown image format: expected status 1"
grep -qF 'root.children[0].image[0]: cannot read the size of "img/text.png"' "$WORK/unknown.err" || fail "unknown image format: $(cat "$WORK/unknown.err")"
grep -qF 'image[1]' "$WORK/unknown.err" && fail "a variant with its size given was refused"

# --base
"$BIN" --quiet --base Other "$WORK/src/guide.json" "$WORK/based" > "$WORK/based.out" 2>&1 || fail "--base: status $?"
[ -s "$WORK/based/Other-Data.pdb" ] || fail "--base: Other-Data.pdb missing"
[ ! -s "$WORK/based.out" ] || fail "--quiet printed: $(cat "$WORK/based.out")"

# Packing the same source twice gives the same bytes.
"$BIN" --quiet "$WORK/src/guide.json" "$WORK/again" || fail "second pack failed"
for f in Data Strings Binary-PPC; do
  cmp -s "$WORK/good/deeper/Qd07-Qd07-$f.pdb" "$WORK/again/Qd07-Qd07-$f.pdb" || fail "repacking changed $f"
done

# A "kind" stays on a link and on a text with a reference, which are only
# resolved once the whole tree is read.
printf '{"root": {"type": "r", "children": [{"type": "t", "label": "a", "text": "A"}, {"type": "link", "link": "a", "kind": "ref"}, {"type": "t", "text": "see @a", "kind": "markup"}]}}' > "$WORK/src/kinds.json"
"$BIN" --quiet "$WORK/src/kinds.json" "$WORK/kinds" || fail "kinds: status $?"
DUMPBIN="$(dirname "$BIN")/vantrel-dump"
if [ -x "$DUMPBIN" ]; then
  kinds=$(for i in 1 2 3; do "$DUMPBIN" --json "$WORK/kinds" entry "$i"; echo; done)
  case "$kinds" in *'"kindName":"ref"'*'"typeName":"link","value":1'*) ;; *'"typeName":"link","value":1'*'"kindName":"ref"'*) ;;
    *) fail "the link lost its kind: $kinds" ;; esac
  case "$kinds" in *'"kindName":"markup"'*) ;; *) fail "the text with a reference lost its kind: $kinds" ;; esac
fi

# --- bad sources ---
expect_error badjson $'{"root": {"type": "root",\n  "children": [}\n}' "bad JSON" "line 2, column"
expect_error notobject '[1, 2]' "top level" "must be an object"
expect_error noroot '{"types": []}' 'missing field "root"'
expect_error unknowntop '{"root": {"type": "r"}, "colour": 1}' 'unknown field "colour"'
expect_error notype '{"root": {"type": "r", "children": [{"text": "x"}]}}' 'root.children[0]: missing field "type"'
expect_error unknownfield '{"root": {"type": "r", "children": [{"type": "t", "name": "N", "colour": 3}]}}' \
  'root.children[0] (name "N"): unknown field "colour"'
expect_error badlink '{"root": {"type": "r", "children": [{"type": "t", "children": [{"type": "link", "label": "L1", "link": "nowhere"}]}]}}' \
  'root.children[0].children[0] (label "L1"): unknown link target "nowhere"'
expect_error dupname '{"root": {"type": "r", "children": [{"type": "t", "name": "A"}, {"type": "t", "name": "A"}]}}' \
  'root.children[1] (name "A"): duplicate name "A"' 'root.children[0]'
expect_error duplabel '{"root": {"type": "r", "children": [{"type": "t", "name": "A"}, {"type": "t", "label": "A"}]}}' \
  'root.children[1] (label "A"): duplicate label "A"'
expect_error dupid '{"root": {"type": "r", "children": [{"type": "t", "id": 9}, {"type": "t", "id": 9}]}}' \
  'root.children[1]: duplicate id 9'
expect_error bigvalue '{"root": {"type": "r", "children": [{"type": "t", "value": 4294967296}]}}' \
  'root.children[0]: value 4294967296 out of range'
expect_error negid '{"root": {"type": "r", "children": [{"type": "t", "id": -1}]}}' 'root.children[0]: id -1 out of range'
expect_error fraction '{"root": {"type": "r", "children": [{"type": "t", "value": 2.5}]}}' 'whole number'
expect_error textnumber '{"root": {"type": "r", "children": [{"type": "t", "text": 12}]}}' \
  'root.children[0]: text must be a string'
expect_error twovalues '{"root": {"type": "r", "children": [{"type": "t", "text": "a", "value": 1}]}}' 'at most one of'
expect_error edition '{"edition": [1, 70000, 3], "root": {"type": "r"}}' 'edition[1]' 'out of range'
expect_error nofile '{"root": {"type": "r", "children": [{"type": "image", "image": ["missing.png"]}]}}' \
  'root.children[0].image[0]: image file "missing.png": no such file'
expect_error noblob '{"root": {"type": "r", "children": [{"type": "data", "blob": "missing.bin"}]}}' \
  'root.children[0]: blob file "missing.bin"'
expect_error dupkey '{"root": {"type": "r", "children": [{"type": "t", "text": "a", "text": "b"}]}}' \
  'root.children[0]: field "text" given twice'
expect_error childrenkind '{"root": {"type": "r", "children": {"type": "t"}}}' 'children must be an array'

# An error leaves an existing program directory exactly as it was.
cp -r "$WORK/good/deeper" "$WORK/keep"
cp -r "$WORK/keep" "$WORK/keep-before"
printf '{"root": {"type": "r", "children": [{"type": "t", "link": "nowhere"}]}}' > "$WORK/bad-keep.json"
"$BIN" "$WORK/bad-keep.json" "$WORK/keep" > /dev/null 2>&1; [ $? -eq 1 ] || fail "bad-keep: expected status 1"
diff -r "$WORK/keep" "$WORK/keep-before" > /dev/null || fail "a failed pack changed an existing folder"

# OUTDIR that is a file: status 1, the file untouched.
printf 'keep me' > "$WORK/plainfile"
"$BIN" "$WORK/src/guide.json" "$WORK/plainfile" > /dev/null 2> "$WORK/plainfile.err"; [ $? -eq 1 ] || fail "OUTDIR a file: expected status 1"
[ "$(cat "$WORK/plainfile")" = "keep me" ] || fail "OUTDIR a file: the file was changed"
grep -q "cannot create the folder" "$WORK/plainfile.err" || fail "OUTDIR a file: message $(cat "$WORK/plainfile.err")"

"$BIN" "$WORK/does-not-exist.json" "$WORK/out-missing" > /dev/null 2> "$WORK/missing.err"
[ $? -eq 1 ] || fail "missing source: expected status 1"
grep -q "no such file" "$WORK/missing.err" || fail "missing source: message $(cat "$WORK/missing.err")"
[ ! -e "$WORK/out-missing" ] || fail "missing source: output folder created"

# --- synthetic guides are deterministic for a seed ---
"$BIN" --quiet --synthetic 3000 --seed 5 "$WORK/syn1" || fail "synthetic 1 failed"
"$BIN" --quiet --synthetic 3000 --seed 5 "$WORK/syn2" || fail "synthetic 2 failed"
"$BIN" --quiet --synthetic 3000 --seed 6 "$WORK/syn3" || fail "synthetic 3 failed"
cmp -s "$WORK/syn1/Qd07-Qd07-Strings.pdb" "$WORK/syn2/Qd07-Qd07-Strings.pdb" || fail "same seed, different Strings"
cmp -s "$WORK/syn1/Qd07-Qd07-Data.pdb" "$WORK/syn2/Qd07-Qd07-Data.pdb" || fail "same seed, different Data"
! cmp -s "$WORK/syn1/Qd07-Qd07-Strings.pdb" "$WORK/syn3/Qd07-Qd07-Strings.pdb" || fail "different seeds, same Strings"
"$BIN" --synthetic 1 "$WORK/syn-one" > /dev/null || fail "synthetic 1 object failed"

# --- JSON the parser cannot hold: a clear error with its path, never an abort ---
expect_error huge-number '{"root":{"type":"t","value":1e400}}' "root.value" "bad JSON"
expect_error huge-in-array '{"root":{"type":"t","children":[{"type":"c"},{"type":"c","value":-1e999}]}}' \
  "root.children[1].value"
grep -q "terminate\|Aborted" "$WORK/huge-number.err" && fail "huge number: uncaught exception"
"$BIN" --bogus a b > /dev/null 2> "$WORK/bogus.err"; [ $? -eq 2 ] || fail "--bogus: expected status 2"
grep -q "unknown option '--bogus'. Try '--help'$" "$WORK/bogus.err" || fail "--bogus: message $(cat "$WORK/bogus.err")"
grep -q -- "--quiet" "$WORK/help" || fail "--help does not list --quiet"
grep -q -- "--help" "$WORK/help" || fail "--help does not list --help"

# --- texts name their link targets by label ---
DUMP="$(dirname "$BIN")/vantrel-dump"
cat > "$WORK/refs.json" <<'J'
{"root": {"type": "root", "children": [
  {"type": "page", "label": "first", "text": "See <a href=\"@second\">two</a>, <a href='@second#dose'>dose</a> and @{third}; mail a@b.c"},
  {"type": "page", "label": "second", "text": "back to <A HREF=\"@{first}\">one</A>"},
  {"type": "page", "name": "third", "text": "plain"}]}}
J
"$BIN" --quiet "$WORK/refs.json" "$WORK/refs" || fail "label references: pack failed"
t1=$("$DUMP" --json "$WORK/refs" text 1 2>&1)
t2=$("$DUMP" --json "$WORK/refs" text 2 2>&1)
case "$t1" in *'See <a href=\"2\">two</a>, <a href='"'"'2#dose'"'"'>dose</a> and 3; mail a@b.c'*) ;; *) fail "label references: $t1" ;; esac
case "$t2" in *'back to <A HREF=\"1\">one</A>'*) ;; *) fail "label references in braces: $t2" ;; esac
expect_error unknown-ref '{"root":{"type":"r","children":[{"type":"p","text":"go <a href=\"@nowhere\">x</a>"}]}}' \
  'root.children[0]' 'unknown label "nowhere"'
expect_error open-ref '{"root":{"type":"r","children":[{"type":"p","text":"@{nowhere"}]}}' 'root.children[0]' 'closing'

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "pack.sh: all passed"

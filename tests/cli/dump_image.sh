#!/usr/bin/env bash
# vantrel-dump image from the outside, on a small guide of pictures packed
# with vantrel-pack: the variant table, the choice for several screens, the
# chosen variant's bytes, damaged blobs (listed, exit 0) and refusals.
# Usage: dump_image.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"

IMAGES="$SRC/samples/demo-guide/images"
cp "$IMAGES/bacterial_shapes_240x320.png" "$WORK/a.png"
cp "$IMAGES/bacterial_shapes_480x640.png" "$WORK/b.png"
cp "$IMAGES/bacterial_shapes_320x240.png" "$WORK/c.png"
# Two descriptors, the second starting before the first.
printf '\x02\x00\x00\x00\xf0\x01\x40\x00\x00\x00\x00\x17\x00\x00\x01\xe0\x02\x80\x00\x00\x00\x00\x050123456789' \
  > "$WORK/backwards.bin"
# One descriptor pointing far past the end.
printf '\x01\x00\x00\x00\xf0\x01\x40\x00\xff\xff\xff\x00abc' > "$WORK/past.bin"
# One variant that is no picture.
printf '\x01\x00\x00\x00\xf0\x01\x40\x00\x00\x00\x00\x0cnot a picture at all' > "$WORK/garbage.bin"
# Three variants declared, the table cut after the first descriptor.
printf '\x03\x00\x00\x00\xf0\x01\x40\x00\x00\x00\x00\x22abcd' > "$WORK/cut.bin"
cat > "$WORK/guide.json" <<'EOF'
{
  "types": ["guide", "table", "image", "data", "note"],
  "root": {"type": "guide", "children": [
    {"type": "table", "text": "Figures", "children": [
      {"type": "image", "text": "Good <b>one</b> &amp; more", "children": [
        {"type": "data", "image": ["a.png", "b.png", "c.png"]},
        {"type": "note", "text": "The <i>note</i>"}]},
      {"type": "image", "text": "Backwards", "children": [{"type": "data", "blob": "backwards.bin"}]},
      {"type": "image", "text": "Past", "children": [{"type": "data", "blob": "past.bin"}]},
      {"type": "image", "text": "Garbage", "children": [{"type": "data", "blob": "garbage.bin"}]},
      {"type": "image", "text": "Cut", "children": [{"type": "data", "blob": "cut.bin"}]}]}]}
}
EOF
"$PACK" --quiet "$WORK/guide.json" "$WORK/guide" > /dev/null 2> "$WORK/pack.err" || {
  echo "FAIL: vantrel-pack: $(cat "$WORK/pack.err")"
  exit 1
}

# json ARGS...: the --json output of a run that must succeed.
json() {
  "$DUMP" --json "$WORK/guide" "$@" 2> "$WORK/err" || fail "$*: exit status $? ($(cat "$WORK/err"))"
}
has() { case "$2" in *"$1"*) ;; *) fail "$3: expected $1 in $2" ;; esac; }

"$DUMP" --help | grep -q "^  image I \[--screen WxH\] \[--dpi D\] \[--out FILE\]$" || fail "--help does not list image"

out=$(json image 2)
has '"object":2,' "$out" "object"
has '"caption":"Good one & more"' "$out" "caption without markup"
has '"count":3' "$out" "declared variants"
has '{"format":"png","height":320,"offset":34,' "$out" "first variant"
has '"width":320}]' "$out" "last variant"
has '"chosen":0' "$out" "240x320 at 96 dpi"
has '"note":"The <i>note</i>"' "$out" "note with its markup"
has '"problem":null' "$out" "no problem"
has '"chosen":2' "$(json image 2 --screen 320x240)" "landscape: the exact size"
has '"chosen":1' "$(json image 2 --screen 480x640 --dpi 192)" "high resolution: the exact size"
has '"chosen":1' "$(json image 2 --screen 640x480 --dpi 192)" "no exact size: the device's portrait"
has '"chosen":0' "$(json image 2 --screen 800x600 --dpi 96)" "nothing matches: variant 0"

json image 2 --screen 480x640 --dpi 192 --out "$WORK/chosen.png" > /dev/null
cmp -s "$WORK/chosen.png" "$WORK/b.png" || fail "--out did not write the chosen variant's file"

out=$(json image 3)
has '"chosen":-1' "$out" "backwards offsets fail the load"
has '"size":0' "$out" "the backwards variant has no bytes"
has '"offset":5,"size":28,"width":480}' "$out" "the second variant is listed as read"
has '"note":null' "$out" "no note"
out=$(json image 4)
has '"chosen":-1' "$out" "an offset past the end fails the load"
has 'past the end' "$out" "and says why"
out=$(json image 5)
has '"chosen":-1' "$out" "a variant that does not decode"
has '"format":null' "$out" "has no format"
has '"size":20' "$out" "but its bytes are there"
out=$(json image 6)
has '"count":3' "$out" "a cut table declares three"
has '"variants":[{' "$out" "and lists the one it holds"
has '"chosen":-1' "$out" "the cut table's variant cannot be read"
"$DUMP" "$WORK/guide" image 6 > "$WORK/plain" 2>&1 || fail "plain output: exit status $?"
grep -q '^caption: Cut$' "$WORK/plain" || fail "plain output: $(cat "$WORK/plain")"

# A garbage variant is still written; a range outside the blob is not.
json image 5 --out "$WORK/garbage.out" > /dev/null
[ "$(cat "$WORK/garbage.out")" = "not a picture at all" ] || fail "--out of an undecodable variant"
expect_status 1 "$WORK/guide" image 4 --out "$WORK/past.out"
[ ! -e "$WORK/past.out" ] || fail "--out wrote a file for a variant outside the blob"

expect_status 1 "$WORK/guide" image 1
grep -q 'not "image"' "$WORK/err" || fail "refusal message: $(cat "$WORK/err")"
expect_status 1 "$WORK/guide" image 99
expect_status 2 "$WORK/guide" image
expect_status 2 "$WORK/guide" image 2 --screen 240
expect_status 2 "$WORK/guide" image 2 --dpi 0
expect_status 2 "$WORK/guide" image 2 --out
expect_status 2 "$WORK/guide" image 2 --bogus

finish dump_image

#!/bin/bash
# vantrel-userdata from the outside: listing, adding and removing bookmarks
# and notes, the refusals and their messages, bad usage that writes nothing,
# the bytes on disk, and the migration from a previous edition's folder.
# Usage: userdata.sh BIN_DIR SOURCE_DIR
set -u
bin=$1
tool=$bin/vantrel-userdata
pack=$bin/vantrel-pack
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
expect_status() {  # expect_status WANT DESCRIPTION CMD...
  local want=$1 what=$2; shift 2
  "$@" >"$work/out" 2>"$work/err"
  local got=$?
  [ "$got" = "$want" ] || fail "$what: exit status $got, wanted $want ($(cat "$work/err"))"
}
contains() {  # contains FILE TEXT DESCRIPTION
  grep -qF -- "$2" "$1" || fail "$3: '$2' not in $(cat "$1")"
}
hexof() { od -An -tx1 -v "$1" | tr -d ' \n'; }

if [ ! -x "$tool" ] || [ ! -x "$pack" ]; then
  echo "vantrel-userdata or vantrel-pack not built"; exit 1
fi

# A small guide: object 1 has persistent id 500, object 3 has id 0.
cat >"$work/g.json" <<'JSON'
{"root": {"type": "root", "id": 1, "children": [
  {"type": "table", "text": "Contents", "id": 500, "name": "TOC"},
  {"type": "page", "text": "Dosing", "id": 501},
  {"type": "page", "text": "No id", "id": 0}
]}}
JSON
dir=$work/prog
"$pack" --quiet "$work/g.json" "$dir" || { echo "cannot pack the test guide"; exit 1; }

expect_status 0 "--help" "$tool" --help
contains "$work/out" "bookmark-add OBJECT TITLE" "--help"

# Bad usage: status 2, and no user-data file appears.
expect_status 2 "no command" "$tool" "$dir"
expect_status 2 "unknown command" "$tool" "$dir" frobnicate
expect_status 2 "odd hex" "$tool" "$dir" bookmark-add 1 T abc
expect_status 2 "bad hex" "$tool" "$dir" bookmark-add 1 T zz
expect_status 2 "bad object" "$tool" "$dir" bookmark-add nowhere T
expect_status 2 "missing title" "$tool" "$dir" bookmark-add 1
expect_status 2 "remove from nothing" "$tool" "$dir" bookmark-remove 0
expect_status 2 "empty note title" "$tool" "$dir" note-add "" body
contains "$work/err" "You can't save this note. \"Title\" field is empty." "empty note title"
expect_status 2 "key too large" "$tool" "$dir" note-add T B --key 1000000001
expect_status 2 "missing folder" "$tool" "$work/none" bookmarks
expect_status 2 "migrate without --from" "$tool" "$dir" migrate
ls "$dir" | grep -q '\.vs[id]' && fail "bad usage wrote user-data files: $(ls "$dir")"

# Bookmarks, with the refusals of the add-bookmark command.
expect_status 0 "add" "$tool" "$dir" bookmark-add 1 "Dosing é €" 0a0b
expect_status 1 "add twice" "$tool" "$dir" bookmark-add 1 "again" 0a0b
contains "$work/err" "You can't place a bookmark here. Bookmark exists." "add twice"
expect_status 0 "one byte different" "$tool" "$dir" bookmark-add 1 "other" 0a0c
expect_status 1 "page key" "$tool" "$dir" bookmark-add home "Home"
grep -qxF "You can't place a bookmark here." "$work/err" || fail "page key message: $(cat "$work/err")"
expect_status 1 "no persistent id" "$tool" "$dir" bookmark-add 3 "x"
contains "$work/err" "You can't place a bookmark here." "no persistent id"
expect_status 0 "add by page key" "$tool" "$dir" bookmark-add toc "$(printf 'L%.0s' $(seq 300))"
expect_status 0 "list" "$tool" --json "$dir" bookmarks
contains "$work/out" '{"bookmarks":[{"position":0,"title":"Dosing é €","id":500,"target":1,"data":"0a0b"}' "json list"
contains "$work/out" '"position":2,"title":"LLLL' "json list"
grep -q "L\{256\}" "$work/out" && fail "title not cut at 255 bytes"

# The bytes: version record, then id, S, T, page data, title in Windows-1252.
want="0100""f4010000""02000000""0a000000""0a0b""446f73696e6720e92080"
case $(hexof "$dir/bookmarks.vsd") in
  "$want"*) ;;
  *) fail "bookmark bytes: $(hexof "$dir/bookmarks.vsd" | cut -c1-80)" ;;
esac
[ "$(hexof "$dir/bookmarks.vsi" | cut -c1-32)" = "00000000020000000200000018000000" ] ||
  fail "bookmark index: $(hexof "$dir/bookmarks.vsi")"

expect_status 0 "remove 0 and 2" "$tool" "$dir" bookmark-remove 2 0
expect_status 0 "list after remove" "$tool" --json "$dir" bookmarks
contains "$work/out" '{"bookmarks":[{"position":0,"title":"other","id":500,"target":1,"data":"0a0c"}]}' "after remove"
# Closing compacted the pair: version record then the one bookmark, no gaps.
[ "$(stat -c %s "$dir/bookmarks.vsd")" = $((2 + 12 + 2 + 5)) ] || fail "not compacted: $(hexof "$dir/bookmarks.vsd")"

# Notes: new notes from the list, notes kept under a page's key.
expect_status 0 "note" "$tool" "$dir" note-add "Hello" $'line1\nline2'
expect_status 0 "page note" "$tool" "$dir" note-add "Page" "first" --key 1234
expect_status 0 "page note again" "$tool" "$dir" note-add "Page" "second" --key 1234
expect_status 0 "notes" "$tool" --json "$dir" notes
contains "$work/out" '{"notes":[{"position":0,"key":0,"title":"Hello","body":"line1\r\nline2"},{"position":1,"key":1234,"title":"Page","body":"second"}]}' "notes json"
want="00000000""05000000""0c000000""48656c6c6f""6c696e65310d0a6c696e6532"
[ "$(hexof "$dir/notes.vsd" | cut -c1-${#want})" = "$want" ] || fail "note bytes: $(hexof "$dir/notes.vsd")"
expect_status 2 "note position out of range" "$tool" "$dir" note-remove 2
expect_status 0 "note remove" "$tool" "$dir" note-remove 0
expect_status 0 "export" "$tool" "$dir" export
contains "$work/out" '"title": "Page"' "export"
contains "$work/out" '"bookmarks": [' "export"

# A damaged note (title length 300 in a 20-byte record) and an index entry
# past the end of the data file are listed and can be removed.
le32() { printf '\\x%02x\\x%02x\\x%02x\\x%02x' $(($1 & 255)) $((($1 >> 8) & 255)) $((($1 >> 16) & 255)) $((($1 >> 24) & 255)); }
size=$(stat -c %s "$dir/notes.vsd")
printf '\x01\x00\x00\x00\x2c\x01\x00\x00\x00\x00\x00\x00abcdefgh' >>"$dir/notes.vsd"
printf "$(le32 "$size")$(le32 20)$(le32 $((size + 1000)))$(le32 12)" >>"$dir/notes.vsi"
expect_status 0 "damaged notes listed" "$tool" "$dir" notes
expect_status 0 "damaged notes removed" "$tool" "$dir" note-remove 1 2
expect_status 0 "notes after" "$tool" --json "$dir" notes
contains "$work/out" '{"notes":[{"position":0,"key":1234,"title":"Page","body":"second"}]}' "notes after removing damaged"

# Migration from a previous edition: bookmarks converted, notes copied.
old=$work/old
new=$work/new
mkdir -p "$old" "$new"
printf '\xf4\x01\x00\x00Dosing\xf5\x01\x00\x00' >"$old/bookmarks.vsd"
printf '\x00\x00\x00\x00\x0a\x00\x00\x00\x0a\x00\x00\x00\x04\x00\x00\x00' >"$old/bookmarks.vsi"
cp "$dir/notes.vsd" "$old/notes.vsd"
cp "$dir/notes.vsi" "$old/notes.vsi"
expect_status 2 "migrate from nowhere" "$tool" "$new" migrate --from "$work/nowhere"
expect_status 0 "migrate" "$tool" --json "$new" migrate --from "$old"
contains "$work/out" '"bookmarksConverted":2' "migrate"
cmp -s "$old/notes.vsd" "$new/notes.vsd" || fail "notes not copied"
[ -e "$new/bookmarks_TMP.vsi" ] && fail "transfer files left behind"
for f in "$dir"/Qd07-Qd07-*; do cp "$f" "$new/"; done
expect_status 0 "migrated bookmarks" "$tool" --json "$new" bookmarks
contains "$work/out" '{"position":0,"title":"Dosing","id":500,"target":1,"data":""}' "migrated bookmark"
contains "$work/out" '{"position":1,"title":"","id":501' "migrated 4-byte record"
expect_status 0 "second migrate does nothing" "$tool" --json "$new" migrate --from "$old"
contains "$work/out" '"migrated":false' "second migrate"

# A new edition started once, with no previous edition known, has empty pairs:
# migrating into it carries everything over. Once a pair holds records, it
# does nothing.
fresh=$work/fresh
mkdir -p "$fresh"
for f in "$dir"/Qd07-Qd07-*; do cp "$f" "$fresh/"; done
if [ -x "$bin/vantrel-guide" ]; then
  printf 'quit\n' >"$work/quit"
  QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$work} "$bin/vantrel-guide" --data "$fresh" \
    --settings "$work/none.ini" --script "$work/quit" >"$work/out" 2>"$work/err" || fail "first start: $(cat "$work/err")"
else
  printf '\x00\x00\x00\x00\x02\x00\x00\x00' >"$fresh/bookmarks.vsi"
  printf '\x01\x00' >"$fresh/bookmarks.vsd"
  : >"$fresh/notes.vsi"
  : >"$fresh/notes.vsd"
fi
for f in bookmarks.vsi bookmarks.vsd notes.vsi notes.vsd; do
  [ -e "$fresh/$f" ] || fail "the first start left no $f"
done
expect_status 0 "migrate into empty pairs" "$tool" --json "$fresh" migrate --from "$old"
contains "$work/out" '"migrated":true' "migrate into empty pairs"
contains "$work/out" '"bookmarksConverted":2' "migrate into empty pairs"
contains "$work/out" '"notesCopied":true' "migrate into empty pairs"
cmp -s "$old/notes.vsd" "$fresh/notes.vsd" || fail "notes not copied into the empty pair"
expect_status 0 "bookmarks after migrating into empty pairs" "$tool" --json "$fresh" bookmarks
contains "$work/out" '{"position":0,"title":"Dosing","id":500,"target":1,"data":""}' "migrated into empty pairs"
before=$(hexof "$fresh/bookmarks.vsd")
expect_status 0 "migrate into pairs with records" "$tool" "$fresh" migrate --from "$old"
contains "$work/out" 'nothing to do' "migrate into pairs with records"
[ "$(hexof "$fresh/bookmarks.vsd")" = "$before" ] || fail "bookmarks carried over twice"
# A single note in otherwise empty pairs is kept: nothing is carried over.
kept=$work/kept
mkdir -p "$kept"
printf '\x00\x00\x00\x00\x02\x00\x00\x00' >"$kept/bookmarks.vsi"
printf '\x01\x00' >"$kept/bookmarks.vsd"
printf '\x00\x00\x00\x00\x0d\x00\x00\x00' >"$kept/notes.vsi"
printf '\x07\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00k' >"$kept/notes.vsd"
expect_status 0 "migrate into a pair with a note" "$tool" --json "$kept" migrate --from "$old"
contains "$work/out" '"migrated":false' "migrate into a pair with a note"
[ "$(hexof "$kept/notes.vsd")" = "0700000001000000000000006b" ] || fail "the note was replaced"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "vantrel-userdata: all checks passed"

#!/usr/bin/env bash
# The search page end to end on the demo guide: the index is built on a
# worker as soon as the reader starts, Ctrl+K opens the page, typing shows
# results, a misspelling shows the suggestion's results, a result opens its page, Back
# returns to the results, and the guide menu offers the page too. A damaged
# index in the cache is rebuilt.
# Usage: guide_search.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"
export XDG_CACHE_HOME="$WORK/cache"

# The reader starts building the index as soon as it runs, without the
# search page being opened; the page then answers at once.
run --script - > "$WORK/out" <<'EOF2'
wait-index 120000
state
EOF2
reject '"title":"Search the guide"' "$(line 1)" "the search page was not opened"
[ -n "$(ls "$WORK/cache/vantrel-guide")" ] || fail "the index is in the cache folder"
ls "$WORK/cache/vantrel-guide" | grep -q -e '\.building-' -e '\.old-' && fail "no temporary folder is left"
ls "$DEMO" | grep -q search-index && fail "the index was written beside the guide"
run --script - > "$WORK/out" <<'EOF2'
key Ctrl+K
state
type vancomycin
wait 400
state
EOF2
expect '"title":"Search the guide"' "$(line 1)" "Ctrl+K opens the search page"
expect '"indexReady":true' "$(line 1)" "ready when first opened"
expect '"building":false' "$(line 1)" "not building again"
expect '"query":"vancomycin"' "$(line 2)" "query typed"
expect '"kind":"index"' "$(line 2)" "the index entry is found"
expect '"corrected":null' "$(line 2)" "no suggestion for a word spelt right"

# The index is there now: ready at once; a misspelling; a result; Back.
mono=$(obj mono_vancomycin)
run --script - > "$WORK/out" <<EOF2
command 40090
type vancomicin
wait 400
state
link $mono
state
key Alt+Left
wait 100
state
EOF2
expect '"indexReady":true' "$(line 1)" "ready at once the second time"
expect '"corrected":"vancomycin"' "$(line 1)" "suggestion for a misspelling"
expect "\"object\":$mono" "$(line 1)" "the suggestion's results are shown"
reject '"title":"Search the guide"' "$(line 2)" "a result opens its page"
expect '"title":"Search the guide"' "$(line 3)" "Back returns to the search page"
expect '"query":"vancomicin"' "$(line 3)" "with the query"
expect "\"object\":$mono" "$(line 3)" "and the results"

# A damaged index in the cache is not trusted: it is built again.
for f in "$WORK"/cache/vantrel-guide/search-*/*; do printf 'XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX' | dd of="$f" conv=notrunc 2>/dev/null; done
run --script - > "$WORK/out" <<'EOF2'
navigate-key search 7365707369730a
wait-index 120000
state
EOF2
grep -rlq XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX "$WORK"/cache/vantrel-guide/ && fail "a damaged index is rebuilt"
expect '"indexReady":true' "$(line 1)" "and then used"
expect '"query":"sepsis\n"' "$(line 1)" "the query from the page data"

# Find in page: an HTML page highlights and steps with wrap-around; a table
# selects the row of the matching cell and scrolls it into view; Escape closes.
note=$(obj note_sepsis)
table=$(obj spec_all)
run --script - > "$WORK/out" <<EOF2
navigate $note
key Ctrl+F
type the
wait 50
state
key F3
key Shift+F3
key Shift+F3
state
key Escape
state
navigate $table
key Ctrl+F
type peptostrep
wait 50
state
type zzz
state
EOF2
expect '"find":{"current":1,"matches":3,"text":"the"}' "$(line 1)" "find on an HTML page"
expect '"find":{"current":3,"matches":3,"text":"the"}' "$(line 2)" "Shift+F3 wraps to the last match"
reject '"find":' "$(line 3)" "Escape closes the find bar"
expect '"find":{"current":1,"matches":1,"text":"peptostrep"}' "$(line 4)" "find in a table"
expect '"selectedRows":[' "$(line 4)" "the row is selected"
reject '"selectedRows":[]' "$(line 4)" "the row is selected"
reject '"scrollY":0,' "$(line 4)" "and scrolled into view"
expect '"find":{"current":0,"matches":0,"text":"peptostrepzzz"}' "$(line 5)" "no match"
finish guide_search

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
expect_state "$(line 1)" <<'ROWS'
.title  != "Search the guide"  the search page was not opened
ROWS
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
expect_state "$(line 1)" <<'ROWS'
.title                      "Search the guide"  Ctrl+K opens the search page
.viewers.search.indexReady  true                ready when first opened
.viewers.search.building    false               not building again
ROWS
expect_state "$(line 2)" <<'ROWS'
.viewers.search.query           "vancomycin"   query typed
.viewers.search.results[*].kind  has "index"    the index entry is found
.viewers.search.corrected        null           no suggestion for a word spelt right
ROWS

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
expect_state "$(line 1)" <<ROWS
.viewers.search.indexReady         true          ready at once the second time
.viewers.search.corrected          "vancomycin"  suggestion for a misspelling
.viewers.search.results[*].object  has $mono     the suggestion's results are shown
ROWS
expect_state "$(line 2)" <<'ROWS'
.title  != "Search the guide"  a result opens its page
ROWS
expect_state "$(line 3)" <<ROWS
.title                             "Search the guide"  Back returns to the search page
.viewers.search.query              "vancomicin"        with the query
.viewers.search.results[*].object  has $mono           and the results
ROWS

# A damaged index in the cache is not trusted: it is built again.
for f in "$WORK"/cache/vantrel-guide/search-*/*; do printf 'XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX' | dd of="$f" conv=notrunc 2>/dev/null; done
run --script - > "$WORK/out" <<'EOF2'
navigate-key search 7365707369730a
wait-index 120000
state
EOF2
grep -rlq XXXXXXXXXXXXXXXXXXXXXXXXXXXXXXXX "$WORK"/cache/vantrel-guide/ && fail "a damaged index is rebuilt"
expect_state "$(line 1)" <<'ROWS'
.viewers.search.indexReady  true        and then used
.viewers.search.query       "sepsis\n"  the query from the page data
ROWS

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
expect_state "$(line 1)" <<'ROWS'
.find  {"current":1,"matches":3,"text":"the"}  find on an HTML page
ROWS
expect_state "$(line 2)" <<'ROWS'
.find  {"current":3,"matches":3,"text":"the"}  Shift+F3 wraps to the last match
ROWS
expect_state "$(line 3)" <<'ROWS'
.find  absent  Escape closes the find bar
ROWS
expect_state "$(line 4)" <<'ROWS'
.find                         {"current":1,"matches":1,"text":"peptostrep"}  find in a table
.viewers.table.selectedRows   present                                        the row is selected
.viewers.table.selectedRows   != []                                          the row is selected
.viewers.table.scrollY        != 0                                           and scrolled into view
ROWS
expect_state "$(line 5)" <<'ROWS'
.find  {"current":0,"matches":0,"text":"peptostrepzzz"}  no match
ROWS
finish guide_search

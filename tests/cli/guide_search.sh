#!/usr/bin/env bash
# The search page end to end on the demo guide: Ctrl+K opens it, the index
# is built on a worker while the page says so, typing shows results, a
# misspelling shows the suggestion's results, a result opens its page, Back
# returns to the results, and the guide menu offers the page too. A damaged
# index in the cache is rebuilt.
# Usage: guide_search.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"
export XDG_CACHE_HOME="$WORK/cache"

run --script - > "$WORK/out" <<'EOF2'
key Ctrl+K
state
wait-index 120000
type vancomycin
wait 400
state
EOF2
expect '"title":"Search the guide"' "$(line 1)" "Ctrl+K opens the search page"
expect '"indexReady":false' "$(line 1)" "not ready while building"
expect '"building":true' "$(line 1)" "building on open"
expect '"indexReady":true' "$(line 2)" "ready after building"
expect '"query":"vancomycin"' "$(line 2)" "query typed"
expect '"kind":"index"' "$(line 2)" "the index entry is found"
expect '"corrected":null' "$(line 2)" "no suggestion for a word spelt right"
[ -n "$(ls "$WORK/cache/vantrel-guide")" ] || fail "the index is in the cache folder"
ls "$DEMO" | grep -q search-index && fail "the index was written beside the guide"

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
state
wait-index 120000
state
EOF2
expect '"building":true' "$(line 1)" "a damaged index is rebuilt"
expect '"indexReady":true' "$(line 2)" "and then used"
expect '"query":"sepsis\n"' "$(line 2)" "the query from the page data"
finish guide_search

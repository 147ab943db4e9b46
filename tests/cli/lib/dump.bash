# Shared by the command-line tests of vantrel-dump; sourced with the test's
# own arguments: BIN_DIR SOURCE_DIR. Tests pack a small guide into
# $WORK/guide and check what the dump commands print and how they exit.
set -u
DUMP="$1/vantrel-dump"
PACK="$1/vantrel-pack"
SRC="${2:-}"
DEMO="$1/../demo-guide"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# expect_json EXPECTED ARGS...: --json output on the small guide is exactly
# EXPECTED, exit status 0.
expect_json() {
  local expected="$1"
  shift
  local got
  got="$("$DUMP" --json "$WORK/guide" "$@" 2> "$WORK/err")"
  local rc=$?
  [ "$rc" -eq 0 ] || fail "$*: exit status $rc ($(cat "$WORK/err"))"
  [ "$got" = "$expected" ] || fail "$*: got $got, expected $expected"
}

# expect_status STATUS ARGS...: exit status STATUS, a message on standard
# error, nothing on standard output, no crash.
expect_status() {
  local status="$1"
  shift
  "$DUMP" "$@" > "$WORK/out" 2> "$WORK/err"
  local rc=$?
  [ "$rc" -eq "$status" ] || fail "$*: exit status $rc, expected $status"
  [ -s "$WORK/err" ] || fail "$*: no message on standard error"
  [ ! -s "$WORK/out" ] || fail "$*: printed $(cat "$WORK/out")"
  grep -q "Sanitizer\|Aborted\|Segmentation" "$WORK/err" && fail "$*: crashed: $(cat "$WORK/err")"
}

# finish NAME: the summary line and the exit status.
finish() {
  if [ "$failures" -ne 0 ]; then
    echo "$failures failure(s)"
    exit 1
  fi
  echo "$1: all checks passed"
  exit 0
}

# demo_state: what a program that only reads the demo guide must leave as it
# was: the names in its folder and the content files' times and bytes. The
# user-data files (and their locks) are left out: readers that other tests
# run on the demo guide at the same time write them.
demo_state() {
  (cd "$DEMO" && ls -A | grep -v -E '^(bookmarks|notes)\.vs[id]' && ls -l --time-style=+%s ./*.pdb && md5sum ./*.pdb)
}

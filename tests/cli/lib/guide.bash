# Shared by the end-to-end script tests of vantrel-guide; sourced with the
# test's own arguments: BIN_DIR SOURCE_DIR. Runs the reader on the demo guide
# offscreen and offers small checks on the `state` lines it prints.
set -u
BIN=$1
SRC=${2:-}
STATE_LIB=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
GUIDE="$BIN/vantrel-guide"
DEMO="$BIN/../demo-guide"
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
# The reader builds its search index as soon as it starts: into this run's
# folder, never the user's cache.
export XDG_CACHE_HOME="$WORK/cache"
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# expect TEXT LINE DESCRIPTION: LINE contains TEXT (reject: it does not)
expect() { case "$2" in *"$1"*) ;; *) fail "$3: expected $1 in: ${2:0:600}" ;; esac; }
reject() { case "$2" in *"$1"*) fail "$3: did not expect $1 in: ${2:0:600}" ;; esac; }
# expect_state LINE <<TABLE: every row of TABLE holds for the state line LINE,
# compared exactly on the parsed JSON; rows are "PATH [OP] VALUE DESCRIPTION",
# e.g. `.buttons."40006" false back disabled` (the forms: lib/state_table.py).
# The tables are kept and checked together by finish, in one Python start;
# a failure names the script line of its table.
# Keep expect/reject for text that is not a state line (standard error, files).
TABLES="$WORK/tables"
mkdir -p "$TABLES"
tables=0
expect_state() {
  tables=$((tables + 1))
  # named by the shell too: a table written in a subshell keeps its own file
  local t="$TABLES/$tables-$BASHPID"
  printf '%s\n' "$1" >"$t.line"
  cat >"$t.rows"
  echo "line ${BASH_LINENO[0]}" >"$t.where"
}
# state_value LINE PATH: the value at PATH of a state line (a string bare,
# anything else as JSON; nothing when it is missing)
state_value() { printf '%s\n' "$1" | python3 "$STATE_LIB/state_table.py" --value "$2"; }
# run ARGS...: the reader on the demo guide; standard error goes to $WORK/err
run() { "$GUIDE" --data "$DEMO" "$@" 2>"$WORK/err"; }
# line N: line N of the last run's output, kept in $WORK/out
line() { sed -n "${1}p" "$WORK/out"; }
# obj NAME: the object index of a name or label of the demo guide
obj() { awk -F'\t' -v n="$1" '$2 == n { print $1 }' "$SRC/samples/demo-guide/objects.txt"; }
# finish NAME: the summary line and the exit status
finish() {
  if [ -n "$(ls "$TABLES")" ]; then
    python3 "$STATE_LIB/state_table.py" --batch "$TABLES"
    failures=$((failures + $?))
  fi
  if [ "$failures" -eq 0 ]; then
    echo "$1: all checks passed"
    exit 0
  fi
  echo "$1: $failures check(s) failed"
  exit 1
}

if [ ! -f "$DEMO/Qd07-Qd07-Data.pdb" ]; then
  echo "SKIP: the demo guide is not built"
  exit 0
fi

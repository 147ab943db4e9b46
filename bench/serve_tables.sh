#!/usr/bin/env bash
# Served tables under load: two builds of vantrel-serve side by side on
# 127.0.0.1 (run by hand, not by the tests; needs wrk, curl and python3).
# Each round hits, with wrk at 16 and at 64 connections, the largest table
# of the guide twice: as its page (o<N>.html, cached after the first answer)
# and through the table API (api/table/<N>, built anew for every request),
# alternating A and B so that both meet the same machine. Prints requests/s
# per build and B/A as a ratio.
# Usage: bench/serve_tables.sh BIN_A BIN_B [GUIDE_DIR] [SECONDS] [ROUNDS]
set -eu
A="$(cd "$1" && pwd)"
B="$(cd "$2" && pwd)"
GUIDE="$(cd "${3:-$(dirname "$0")/../build/demo-guide}" && pwd)"
SECS="${4:-5}"
ROUNDS="${5:-2}"
for tool in wrk curl python3; do
  command -v "$tool" > /dev/null || { echo "needs $tool"; exit 2; }
done
WORK="$(mktemp -d)"
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done
  wait 2> /dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' TERM INT HUP
export XDG_CACHE_HOME="$WORK/cache"

# The largest table page of the export names the table item to ask for.
"$B/vantrel-export" --quiet "$GUIDE" "$WORK/site"
TABLE=$(ls -S $(grep -l 'class="grid"' "$WORK"/site/o*.html) | head -1 | sed 's|.*/o\([0-9]*\)\.html|\1|')

# serve BIN: a server in the background; its port in PORT.
serve() {
  local out="$WORK/serve-$RANDOM.out"
  "$1/vantrel-serve" --listen 127.0.0.1:0 --threads 96 "$GUIDE" > "$out" 2> /dev/null &
  pids+=($!)
  for _ in $(seq 1 300); do
    PORT=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)/$|\1|p' "$out")
    [ -n "$PORT" ] && return 0
    sleep 0.1
  done
  echo "$1/vantrel-serve did not start"
  exit 1
}
serve "$A"
PORT_A=$PORT
serve "$B"
PORT_B=$PORT
for p in "$PORT_A" "$PORT_B"; do
  curl -sf -o /dev/null "http://127.0.0.1:$p/api/table/$TABLE" || { echo "no table $TABLE at port $p"; exit 1; }
done

rps() {
  wrk -t2 -c"$2" -d"${SECS}s" --timeout 5s "$1" 2>&1 | sed -n 's/^Requests\/sec: *\([0-9.]*\)/\1/p'
}

echo "guide: $GUIDE  table item $TABLE  ${SECS}s per run, $ROUNDS rounds"
printf "%-6s %-14s %5s %12s %12s %7s\n" round what conns A-req/s B-req/s B/A
for round in $(seq 1 "$ROUNDS"); do
  for what in api page; do
    case $what in
      api) path="api/table/$TABLE" ;;
      page) path="o$TABLE.html" ;;
    esac
    for c in 16 64; do
      a=$(rps "http://127.0.0.1:$PORT_A/$path" "$c")
      b=$(rps "http://127.0.0.1:$PORT_B/$path" "$c")
      ratio=$(awk -v a="$a" -v b="$b" 'BEGIN { printf "%.2f", (a > 0) ? b / a : 0 }')
      printf "%-6s %-14s %5d %12s %12s %7s\n" "$round" "$what" "$c" "$a" "$b" "$ratio"
    done
  done
done

#!/usr/bin/env bash
# Browser tests: the served and the exported demo guide in the Debian
# Chromium, through puppeteer-core installed from the lock file into the
# build folder (npm ci; no browser is downloaded). Bounded in time; the
# server listens on 127.0.0.1 only and is always stopped.
# Usage: run.sh BIN_DIR SOURCE_DIR
set -u
BIN="$1"
HERE="$(cd "$(dirname "$0")" && pwd)"
DEMO="$BIN/../demo-guide"
CHROMIUM="${CHROMIUM:-$(command -v chromium || true)}"
if [ -z "$CHROMIUM" ] || ! command -v node > /dev/null || ! command -v npm > /dev/null; then
  echo "no chromium, node or npm: skipped"
  exit 0
fi
RUN="$BIN/../browser-tests"
mkdir -p "$RUN"
cp "$HERE/package.json" "$HERE/package-lock.json" "$HERE/browser.test.mjs" "$RUN/"
if ! cmp -s "$HERE/package-lock.json" "$RUN/node_modules/.package-lock.json.copy" 2> /dev/null; then
  (cd "$RUN" && PUPPETEER_SKIP_DOWNLOAD=1 timeout 300 npm ci --ignore-scripts --no-audit --no-fund --prefer-offline > npm.log 2>&1) ||
    { echo "FAIL: npm ci: $(tail -5 "$RUN/npm.log")"; exit 1; }
  cp "$HERE/package-lock.json" "$RUN/node_modules/.package-lock.json.copy"
fi
WORK="$(mktemp -d)"
pid=""
trap '[ -n "$pid" ] && kill $pid 2> /dev/null; rm -rf "$WORK"' EXIT

"$BIN/vantrel-export" --quiet "$DEMO" "$WORK/site" || { echo "FAIL: export"; exit 1; }
# A table item and a page with a footnote, found in the export.
TABLE=$(grep -l 'class="grid"' "$WORK"/site/o*.html | head -1 | sed 's|.*/o\([0-9]*\)\.html|\1|')
NOTE=$(grep -l 'popovertarget' "$WORK"/site/o*.html | head -1 | xargs -r basename)
[ -n "$TABLE" ] && [ -n "$NOTE" ] || { echo "FAIL: no table or footnote in the demo export"; exit 1; }

"$BIN/vantrel-serve" --listen 127.0.0.1:0 "$DEMO" > "$WORK/serve.out" 2> "$WORK/serve.err" &
pid=$!
port=""
for _ in $(seq 1 100); do
  port=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)/$|\1|p' "$WORK/serve.out")
  [ -n "$port" ] && break
  sleep 0.1
done
[ -n "$port" ] || { echo "FAIL: the server did not start: $(cat "$WORK/serve.err")"; exit 1; }

failures=0
for base in "http://127.0.0.1:$port/" "file://$WORK/site/"; do
  timeout 60 node "$RUN/browser.test.mjs" "$CHROMIUM" "$base" "$TABLE" "$NOTE" ${BROWSER_SHOTS:-} ||
    failures=$((failures + 1))
done
kill -TERM $pid
wait $pid
pid=""
[ "$failures" -eq 0 ] || { echo "$failures browser run(s) failed"; exit 1; }
echo "browser: all checks passed"

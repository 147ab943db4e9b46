#!/usr/bin/env bash
# vantrel-serve as the people who run it see it, on 127.0.0.1 only:
# /healthz and /metrics, the access log and its reopening on SIGUSR1, a new
# edition on SIGHUP (and a damaged one, which leaves the old one serving),
# content files gone, the drain on SIGTERM, and the systemd unit.
# Usage: serve_ops.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"
SERVE="$1/vantrel-serve"
if [ ! -x "$SERVE" ]; then
  echo "vantrel-serve not built (no cpp-httplib): skipped"
  exit 0
fi
command -v curl > /dev/null || { echo "needs curl: skipped"; exit 0; }
. "$(dirname "$0")/lib/serve.bash"
export XDG_CACHE_HOME="$WORK/cache"

# Two editions: a copy of the demo guide, then a synthetic guide.
mkdir -p "$WORK/ed1" "$WORK/broken"
cp "$DEMO"/*.pdb "$WORK/ed1/"
"$PACK" --quiet --synthetic 500 "$WORK/ed2" > /dev/null 2>&1 || fail "vantrel-pack --synthetic"
for f in "$WORK"/ed1/*.pdb; do head -c 100 "$f" > "$WORK/broken/$(basename "$f")"; done
ln -s ed1 "$WORK/current"
switch_to() { ln -sfn "$1" "$WORK/current.new" && mv -T "$WORK/current.new" "$WORK/current"; }

"$SERVE" --access-log-format xml "$WORK/current" > /dev/null 2>&1; [ $? -eq 2 ] || fail "bad --access-log-format: exit status not 2"
"$SERVE" --drain-seconds -1 "$WORK/current" > /dev/null 2>&1; [ $? -eq 2 ] || fail "bad --drain-seconds: exit status not 2"
"$SERVE" --access-log "$WORK/no/such/folder/log" "$WORK/current" > /dev/null 2> "$WORK/err"
[ $? -eq 1 ] && grep -q "access log" "$WORK/err" || fail "unopenable access log: $(cat "$WORK/err")"
"$SERVE" --help | grep -q -- "--drain-seconds" || fail "--help does not tell --drain-seconds"

start_server one --listen 127.0.0.1:0 --access-log "$WORK/access.log" --drain-seconds 2 "$WORK/current" ||
  { fail "the server did not start: $(cat "$WORK/one.err")"; finish serve_ops; }
PID=$SERVER_PID
PORT=$SERVER_PORT

# Health, with GET and HEAD.
[ "$(http "$PORT" /healthz)" = 200 ] || fail "/healthz: $(cat "$WORK/http")"
E1=$(body | python3 -c 'import json,sys; b=json.load(sys.stdin); assert b["status"]=="ok" and b["objects"]>0, b; print(b["edition"])') ||
  fail "/healthz body: $(body)"
[ "$(http "$PORT" /healthz -I)" = 200 ] || fail "HEAD /healthz: $(cat "$WORK/http")"
[ "$(http "$PORT" /index.html)" = 200 ] || fail "/index.html"
[ "$(header ETag)" = "\"$E1-w1\"" ] || fail "ETag $(header ETag) is not of edition $E1"
http "$PORT" /index.html > /dev/null
http "$PORT" /o999999.html > /dev/null

# Metrics: a scraper's content type, the counts of what was just asked.
[ "$(http "$PORT" /metrics)" = 200 ] || fail "/metrics"
header Content-Type | grep -q "^text/plain; version=0.0.4" || fail "/metrics content type $(header Content-Type)"
body > "$WORK/metrics"
metric() { awk -v n="$1" '$1 == n { print $2; exit }' "$WORK/metrics"; }
[ "$(metric 'vantrel_http_requests_total{route="site",code="2xx"}')" = 2 ] || fail "site 2xx count: $(grep requests_total "$WORK/metrics")"
[ "$(metric 'vantrel_http_requests_total{route="site",code="4xx"}')" = 1 ] || fail "site 4xx count"
[ "$(metric 'vantrel_http_requests_total{route="healthz",code="2xx"}')" = 2 ] || fail "healthz count"
[ "$(metric vantrel_page_cache_hits_total)" = 1 ] || fail "cache hits $(metric vantrel_page_cache_hits_total)"
[ "$(metric vantrel_page_cache_entries)" -ge 1 ] || fail "cache entries"
[ "$(metric vantrel_http_open_connections)" -ge 1 ] || fail "open connections"
grep -q "^vantrel_edition_info{edition=\"$E1\",objects=\"[0-9]*\"} 1$" "$WORK/metrics" || fail "edition info"

# The access log: one CLF line per request, reopened on SIGUSR1.
grep -Eq '^127\.0\.0\.1 - - \[[0-9]{2}/[A-Z][a-z]{2}/[0-9]{4}:[0-9:]{8} \+0000\] "GET /index.html HTTP/1.1" 200 [0-9]+$' "$WORK/access.log" ||
  fail "no CLF line for /index.html: $(cat "$WORK/access.log")"
grep -q '"GET /o999999.html HTTP/1.1" 404' "$WORK/access.log" || fail "no line for the 404"
mv "$WORK/access.log" "$WORK/access.log.1"
kill -USR1 "$PID"
for _ in $(seq 1 50); do [ -e "$WORK/access.log" ] && break; sleep 0.1; done
http "$PORT" /contents.html > /dev/null
grep -q "GET /contents.html" "$WORK/access.log" 2> /dev/null || fail "SIGUSR1 did not reopen the access log"
grep -q "GET /contents.html" "$WORK/access.log.1" && fail "written to the rotated log after SIGUSR1"

# A damaged new edition: the old one keeps serving, /healthz says why (200).
switch_to broken
kill -HUP "$PID"
for _ in $(seq 1 50); do grep -q "reload failed" "$WORK/one.err" && break; sleep 0.1; done
grep -q "reload failed, still serving edition $E1" "$WORK/one.err" || fail "no reason on standard error: $(cat "$WORK/one.err")"
[ "$(http "$PORT" /healthz)" = 200 ] || fail "/healthz after a failed reload: $(cat "$WORK/http")"
body | python3 -c 'import json,sys; b=json.load(sys.stdin); assert b["status"]=="degraded" and b["reason"], b' ||
  fail "not degraded: $(body)"
[ "$(http "$PORT" /index.html)" = 200 ] && [ "$(header ETag)" = "\"$E1-w1\"" ] || fail "old edition not served after a failed reload"

# The new edition: new ETag, cache dropped, healthy again.
switch_to ed2
kill -HUP "$PID"
E2=""
for _ in $(seq 1 100); do
  http "$PORT" /healthz > /dev/null
  E2=$(body | python3 -c 'import json,sys; b=json.load(sys.stdin); print(b["edition"] if b["status"]=="ok" else "")' 2> /dev/null)
  [ -n "$E2" ] && [ "$E2" != "$E1" ] && break
  sleep 0.1
done
[ -n "$E2" ] && [ "$E2" != "$E1" ] || fail "SIGHUP did not open the new edition: $(cat "$WORK/one.err")"
[ "$(http "$PORT" /index.html)" = 200 ] && [ "$(header ETag)" = "\"$E2-w1\"" ] || fail "ETag after reload: $(header ETag)"
[ "$(http "$PORT" /index.html -H "If-None-Match: \"$E1-w1\"")" = 200 ] || fail "the old edition's ETag still answered 304"
http "$PORT" /metrics > /dev/null
body > "$WORK/metrics"
[ "$(metric vantrel_page_cache_entries)" = 1 ] || fail "page cache not dropped: $(metric vantrel_page_cache_entries) entries"
[ "$(metric 'vantrel_reloads_total{result="ok"}')" = 1 ] && [ "$(metric 'vantrel_reloads_total{result="failed"}')" = 1 ] ||
  fail "reload counts: $(grep reloads_total "$WORK/metrics")"

# The guide's files gone from the folder: 503 with the reason; back: 200.
mv "$WORK/ed2" "$WORK/ed2.away"
[ "$(http "$PORT" /healthz)" = 503 ] || fail "/healthz with the files gone: $(cat "$WORK/http")"
body | grep -q "Data.pdb" || fail "503 without the reason: $(body)"
mv "$WORK/ed2.away" "$WORK/ed2"
[ "$(http "$PORT" /healthz)" = 200 ] || fail "/healthz with the files back"

# SIGTERM with a drain: /healthz 503 while pages are still served, then exit 0.
kill -TERM "$PID"
sleep 0.3
[ "$(http "$PORT" /healthz)" = 503 ] || fail "/healthz while draining: $(cat "$WORK/http")"
body | grep -q draining || fail "no reason while draining: $(body)"
[ "$(http "$PORT" /index.html)" = 200 ] || fail "a page while draining"
if wait_gone "$PID" 8; then
  [ "$GONE_STATUS" -eq 0 ] || fail "exit status $GONE_STATUS after the drain ($(cat "$WORK/one.err"))"
else
  fail "still running 8 s after SIGTERM with a 2 s drain"
fi
grep -q "Sanitizer" "$WORK/one.err" && fail "$(cat "$WORK/one.err")"

# JSON lines to standard output.
start_server two --listen 127.0.0.1:0 --access-log-format json "$WORK/current" || fail "second server did not start"
http "$SERVER_PORT" "/api/index?q=a%22b" > /dev/null
kill -TERM "$SERVER_PID"
wait_gone "$SERVER_PID" 5 || fail "second server did not stop"
grep '^{' "$WORK/two.out" | python3 -c '
import json, sys
lines = [json.loads(l) for l in sys.stdin]
assert len(lines) == 1, lines
l = lines[0]
assert l["method"] == "GET" and l["target"] == "/api/index?q=a%22b" and l["status"] == 200, l
assert l["remote"] == "127.0.0.1" and l["bytes"] > 0 and l["seconds"] >= 0, l
' || fail "JSON access log: $(cat "$WORK/two.out")"

# The systemd unit, checked by systemd itself where it is installed.
UNIT="$SRC/packaging/vantrel-serve@.service"
if command -v systemd-analyze > /dev/null; then
  mkdir -p "$WORK/unit"
  sed "s|/usr/bin/vantrel-serve|$(realpath "$SERVE")|" "$UNIT" > "$WORK/unit/vantrel-serve@8081.service"
  systemd-analyze verify --man=no "$WORK/unit/vantrel-serve@8081.service" > "$WORK/verify" 2>&1 ||
    fail "systemd-analyze verify: $(cat "$WORK/verify")"
  [ -s "$WORK/verify" ] && fail "systemd-analyze verify warns: $(cat "$WORK/verify")"
else
  echo "systemd-analyze not installed: the unit is not verified"
fi
for key in DynamicUser=yes ProtectSystem=strict ProtectHome=yes PrivateTmp=yes NoNewPrivileges=yes \
  ReadOnlyPaths= RestrictAddressFamilies= SystemCallFilter=@system-service "ExecReload=/bin/kill -HUP"; do
  grep -q "^$key" "$UNIT" || fail "the unit lacks $key"
done
finish serve_ops

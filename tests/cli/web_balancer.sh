#!/usr/bin/env bash
# Three vantrel-serve behind a real nginx, all on 127.0.0.1, with steady
# requests through nginx: one server killed with SIGKILL mid-run and started
# again, then a new edition put in place and all three sent SIGHUP. No
# request may fail, and every answer after the reload carries the new ETag.
# Bounded in time; everything started is stopped, also on failure.
# Usage: web_balancer.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"
SERVE="$1/vantrel-serve"
if [ ! -x "$SERVE" ]; then
  echo "vantrel-serve not built (no cpp-httplib): skipped"
  exit 0
fi
for tool in nginx curl; do
  command -v "$tool" > /dev/null || { echo "needs $tool (./vantrel installs it): skipped"; exit 0; }
done
. "$(dirname "$0")/lib/serve.bash"
export XDG_CACHE_HOME="$WORK/cache"

mkdir -p "$WORK/ed1"
cp "$DEMO"/*.pdb "$WORK/ed1/"
"$PACK" --quiet --synthetic 500 "$WORK/ed2" > /dev/null 2>&1 || fail "vantrel-pack --synthetic"
ln -s ed1 "$WORK/current"

ports=()
pids=()
for n in 0 1 2; do
  start_server "s$n" --listen 127.0.0.1:0 --threads 16 "$WORK/current" ||
    { fail "server $n did not start: $(cat "$WORK/s$n.err")"; finish web_balancer; }
  ports+=("$SERVER_PORT")
  pids+=("$SERVER_PID")
done
http "${ports[0]}" /healthz > /dev/null
E1=$(body | python3 -c 'import json,sys; print(json.load(sys.stdin)["edition"])')

NGINX_PORT=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
mkdir -p "$WORK/nginx"
cat > "$WORK/nginx/nginx.conf" <<CONF
# One process, no master: stopping it (even with SIGKILL) leaves no worker behind.
master_process off;
daemon off;
pid $WORK/nginx/nginx.pid;
error_log $WORK/nginx/error.log warn;
$( [ "$(id -u)" -eq 0 ] && echo "user $(id -un) $(id -gn);" )
events { worker_connections 256; }
http {
  access_log off;
  client_body_temp_path $WORK/nginx/t1; proxy_temp_path $WORK/nginx/t2; fastcgi_temp_path $WORK/nginx/t3;
  uwsgi_temp_path $WORK/nginx/t4; scgi_temp_path $WORK/nginx/t5;
  upstream vantrel {
    server 127.0.0.1:${ports[0]} max_fails=1 fail_timeout=2s;
    server 127.0.0.1:${ports[1]} max_fails=1 fail_timeout=2s;
    server 127.0.0.1:${ports[2]} max_fails=1 fail_timeout=2s;
    keepalive 8;
  }
  server {
    listen 127.0.0.1:$NGINX_PORT;
    location / {
      proxy_pass http://vantrel;
      proxy_http_version 1.1;
      proxy_set_header Connection "";
      proxy_next_upstream error timeout http_502 http_503 http_504;
      proxy_next_upstream_tries 3;
      proxy_connect_timeout 1s;
      proxy_read_timeout 10s;
    }
  }
}
CONF
nginx -e "$WORK/nginx/error.log" -p "$WORK/nginx" -c "$WORK/nginx/nginx.conf" &
STARTED+=($!)
up=""
for _ in $(seq 1 100); do
  [ "$(http "$NGINX_PORT" /healthz)" = 200 ] && up=1 && break
  sleep 0.1
done
[ -n "$up" ] || { fail "nginx did not come up: $(cat "$WORK/nginx/error.log")"; finish web_balancer; }

timeout 70 python3 "$(dirname "$0")/lib/steady_client.py" "$NGINX_PORT" "$WORK/stop" "$WORK/answers.json" \
  /index.html /contents.html /search.html /style.css &
CLIENT=$!
STARTED+=($CLIENT)
sleep 1.5

# One server killed mid-run, then started again on its port (a rolling restart).
T_KILL=$(date +%s.%N)
kill -KILL "${pids[1]}"
{ wait "${pids[1]}"; } 2> /dev/null
sleep 1.5
start_server s1b --listen "127.0.0.1:${ports[1]}" --threads 16 "$WORK/current" ||
  fail "server 1 did not start again: $(cat "$WORK/s1b.err")"
pids[1]=$SERVER_PID
sleep 1

# The new edition put in place (one rename of a symlink), then SIGHUP to all.
ln -sfn ed2 "$WORK/current.new" && mv -T "$WORK/current.new" "$WORK/current"
T_HUP=$(date +%s.%N)
kill -HUP "${pids[@]}"
E2=""
for p in "${ports[@]}"; do
  for _ in $(seq 1 100); do
    http "$p" /healthz > /dev/null
    e=$(body | python3 -c 'import json,sys; print(json.load(sys.stdin)["edition"])' 2> /dev/null)
    [ -n "$e" ] && [ "$e" != "$E1" ] && break
    sleep 0.05
  done
  [ -n "$e" ] && [ "$e" != "$E1" ] || fail "server on $p still serves $E1 after SIGHUP"
  E2=$e
done
T_NEW=$(date +%s.%N)
sleep 1.5
touch "$WORK/stop"
wait "$CLIENT" || fail "the client did not finish"

python3 - "$WORK/answers.json" "$T_KILL" "$T_HUP" "$T_NEW" "\"$E1-w1\"" "\"$E2-w1\"" <<'PY' || fail "answers through nginx (above)"
import json, sys
answers = json.load(open(sys.argv[1]))
t_kill, t_hup, t_new = map(float, sys.argv[2:5])
old, new = sys.argv[5], sys.argv[6]
bad = [a for a in answers if a[2] != 200]
before = [a for a in answers if a[1] < t_kill]
killed = [a for a in answers if t_kill <= a[0] < t_hup]
reload = [a for a in answers if t_hup <= a[0] < t_new]
after = [a for a in answers if a[0] >= t_new]
stale = [a for a in after if a[3] != new]
odd = [a for a in answers if a[3] not in (old, new)]
print("answers: %d (before the kill %d, kill to SIGHUP %d, during the reload %d, after %d); failed %d"
      % (len(answers), len(before), len(killed), len(reload), len(after), len(bad)))
ok = True
for what, cond in (("no failed request", not bad), ("answers in every phase", before and killed and after),
                   ("every answer after the reload has the new ETag", not stale),
                   ("only the two editions' ETags", not odd), ("old ETag before", all(a[3] == old for a in before))):
    if not cond:
        print("FAIL:", what, (bad or stale or odd)[:5])
        ok = False
sys.exit(0 if ok else 1)
PY
for n in 0 1 2; do kill -TERM "${pids[$n]}"; done
for n in 0 1 2; do
  wait_gone "${pids[$n]}" 10 && [ "$GONE_STATUS" -eq 0 ] || fail "server $n: no clean stop ($(tail -3 "$WORK/s$n.err"))"
done
grep -h "Sanitizer" "$WORK"/s*.err && fail "sanitizer reports"
finish web_balancer

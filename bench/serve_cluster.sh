#!/usr/bin/env bash
# vantrel-serve as a hospital runs it, measured on 127.0.0.1 only (run by
# hand, not by the tests; needs Debian's nginx, wrk, curl and python3):
#  1. nginx in front of 1, 2 and 3 servers against nginx serving the static
#     export: requests/s and p99 for one page at 64 connections, as ratios;
#  2. requests lost while one server is killed (SIGKILL) and started again,
#     and while all three reload a new edition (SIGHUP);
#  3. time from SIGHUP to the first answer with the new edition, for the
#     demo guide and a synthetic guide of 200,000 objects;
#  4. resident memory of one server after 200,000 requests over 10,000
#     distinct pages of the 200,000-object guide.
# Usage: bench/serve_cluster.sh [BIN_DIR] [GUIDE_DIR] [SECONDS]
set -eu
BIN="$(cd "${1:-$(dirname "$0")/../build/bin}" && pwd)"
GUIDE="$(cd "${2:-$BIN/../demo-guide}" && pwd)"
SECS="${3:-5}"
for tool in wrk nginx curl python3; do
  command -v "$tool" > /dev/null || { echo "needs $tool"; exit 2; }
done
WORK="$(mktemp -d)"
chmod 755 "$WORK"
pids=()
cleanup() {
  # nginx's master stops its workers on SIGTERM; SIGKILL only for what is left.
  for p in "${pids[@]}"; do kill -TERM "$p" 2> /dev/null || true; done
  sleep 1
  for p in "${pids[@]}"; do kill -KILL "$p" 2> /dev/null || true; done
  wait 2> /dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT
trap 'exit 1' TERM INT HUP
export XDG_CACHE_HOME="$WORK/cache"
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }

# serve NAME PORT DIR: a server in the background; its pid in SPID.
serve() {
  "$BIN/vantrel-serve" --listen "127.0.0.1:$2" --threads 96 "$3" > "$WORK/$1.out" 2> "$WORK/$1.err" &
  SPID=$!
  pids+=("$SPID")
  for _ in $(seq 1 300); do
    grep -q "^listening on" "$WORK/$1.out" && return 0
    sleep 0.1
  done
  echo "server $1 did not start: $(cat "$WORK/$1.err")"
  exit 1
}

# nginx_conf NAME PORT ROOT|"" UPSTREAM_PORTS...: a config proxying to the
# ports, or serving ROOT as files.
nginx_start() {
  local name="$1" port="$2" root="$3"
  shift 3
  mkdir -p "$WORK/$name"
  {
    echo "worker_processes 2; daemon off; pid $WORK/$name/pid; error_log $WORK/$name/error.log;"
    [ "$(id -u)" -eq 0 ] && echo "user $(id -un) $(id -gn);"
    echo "events { worker_connections 2048; }"
    echo "http { access_log off; include /etc/nginx/mime.types;"
    echo " client_body_temp_path $WORK/$name/t1; proxy_temp_path $WORK/$name/t2; fastcgi_temp_path $WORK/$name/t3;"
    echo " uwsgi_temp_path $WORK/$name/t4; scgi_temp_path $WORK/$name/t5;"
    if [ -z "$root" ]; then
      echo " upstream vantrel {"
      for p in "$@"; do echo "  server 127.0.0.1:$p max_fails=1 fail_timeout=2s;"; done
      echo "  keepalive 64; }"
      echo " server { listen 127.0.0.1:$port; location / { proxy_pass http://vantrel; proxy_http_version 1.1;"
      echo "  proxy_set_header Connection \"\"; proxy_next_upstream error timeout http_502 http_503 http_504;"
      echo "  proxy_next_upstream_tries 3; proxy_connect_timeout 1s; proxy_read_timeout 10s; } } }"
    else
      echo " server { listen 127.0.0.1:$port; root $root; } }"
    fi
  } > "$WORK/$name/nginx.conf"
  nginx -e "$WORK/$name/error.log" -p "$WORK/$name" -c "$WORK/$name/nginx.conf" &
  pids+=($!)
  for _ in $(seq 1 100); do
    curl -s -o /dev/null "http://127.0.0.1:$port/index.html" && return 0
    sleep 0.1
  done
  echo "nginx $name did not start: $(cat "$WORK/$name/error.log")"
  exit 1
}

# wrk_run URL CONNECTIONS SECONDS: "requests/s p99-ms failed" (failed: socket
# errors and answers other than 2xx/3xx).
wrk_run() {
  wrk -t2 -c"$2" -d"${3}s" --timeout 5s --latency "$1" > "$WORK/wrk.out" 2>&1 || true
  local rps p99 errors non2xx
  rps=$(sed -n 's/^Requests\/sec: *\([0-9.]*\)/\1/p' "$WORK/wrk.out")
  p99=$(awk '$1 == "99%" { v = $2; if (v ~ /us$/) { sub(/us/, "", v); v /= 1000 } else if (v ~ /ms$/) { sub(/ms/, "", v) } else if (v ~ /s$/) { sub(/s/, "", v); v *= 1000 } print v }' "$WORK/wrk.out")
  errors=$(sed -n 's/.*Socket errors: connect \([0-9]*\), read \([0-9]*\), write \([0-9]*\), timeout \([0-9]*\).*/\1 \2 \3 \4/p' "$WORK/wrk.out" | awk '{print $1+$2+$3+$4}')
  non2xx=$(sed -n 's/.*Non-2xx or 3xx responses: *\([0-9]*\).*/\1/p' "$WORK/wrk.out")
  echo "${rps:-0} ${p99:-0} $(( ${errors:-0} + ${non2xx:-0} ))"
}

echo "== vantrel-serve behind nginx ($(nproc) cores, shared machine: figures vary between runs; compare ratios)"
echo "guide: $GUIDE"
"$BIN/vantrel-export" --quiet "$GUIDE" "$WORK/site"
chmod -R a+rX "$WORK/site"
PAGE=$(grep -L 'class="grid"' "$WORK"/site/o*.html | head -1 | sed 's|.*/\(o[0-9]*\.html\)|\1|')

mkdir -p "$WORK/ed1"
cp "$GUIDE"/*.pdb "$WORK/ed1/"
ln -s ed1 "$WORK/current"
P=()
for n in 0 1 2; do
  P+=("$(free_port)")
  serve "s$n" "${P[$n]}" "$WORK/current"
  eval "PID$n=$SPID"
done
STATIC=$(free_port); N1=$(free_port); N2=$(free_port); N3=$(free_port)
nginx_start static "$STATIC" "$WORK/site"
nginx_start n1 "$N1" "" "${P[0]}"
nginx_start n2 "$N2" "" "${P[0]}" "${P[1]}"
nginx_start n3 "$N3" "" "${P[0]}" "${P[1]}" "${P[2]}"
for port in "$STATIC" "$N1" "$N2" "$N3"; do wrk_run "http://127.0.0.1:$port/$PAGE" 16 1 > /dev/null; done  # warm up

echo
echo "1. $PAGE at 64 connections, ${SECS}s a run"
read -r srps sp99 _ < <(wrk_run "http://127.0.0.1:$STATIC/$PAGE" 64 "$SECS")
printf "%-26s %10s %9s %10s %10s\n" what req/s p99-ms "req/s:st" "p99:st"
printf "%-26s %10s %9s %10s %10s\n" "nginx, static export" "$srps" "$sp99" 1.00 1.00
for n in 1 2 3; do
  port_var="N$n"
  read -r rps p99 _ < <(wrk_run "http://127.0.0.1:${!port_var}/$PAGE" 64 "$SECS")
  printf "%-26s %10s %9s %10s %10s\n" "nginx -> $n vantrel-serve" "$rps" "$p99" \
    "$(awk -v a="$rps" -v b="$srps" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }')" \
    "$(awk -v a="$p99" -v b="$sp99" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }')"
done

echo
echo "2. requests lost, 64 connections through nginx to 3 servers, 8 s a run"
wrk_run "http://127.0.0.1:$N3/$PAGE" 64 8 > "$WORK/kill.res" &
W=$!
sleep 2
kill -KILL "$PID1"
{ wait "$PID1"; } 2> /dev/null || true
sleep 2
serve s1b "${P[1]}" "$WORK/current"
PID1=$SPID
wait $W
read -r rps _ lost < "$WORK/kill.res"
echo "one server SIGKILLed at 2 s, started again at 4 s: $lost failed of $(awk -v r="$rps" 'BEGIN { printf "%d", r * 8 }') (${rps} req/s)"

"$BIN/vantrel-pack" --quiet --synthetic 2000 "$WORK/ed2"
wrk_run "http://127.0.0.1:$N3/index.html" 64 8 > "$WORK/hup.res" &
W=$!
sleep 3
ln -sfn ed2 "$WORK/current.new" && mv -T "$WORK/current.new" "$WORK/current"
kill -HUP "$PID0" "$PID1" "$PID2"
wait $W
read -r rps _ lost < "$WORK/hup.res"
echo "all three SIGHUPed to a new edition at 3 s: $lost failed of $(awk -v r="$rps" 'BEGIN { printf "%d", r * 8 }') (${rps} req/s)"

# time_reload PID PORT NEWDIR: milliseconds from SIGHUP to the first answer
# carrying another ETag, seen by a client asking in a tight loop.
time_reload() {
  python3 - "$1" "$2" <<'PY'
import http.client, os, signal, sys, time
pid, port = int(sys.argv[1]), int(sys.argv[2])
def etag():
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
    c.request("GET", "/index.html")
    r = c.getresponse(); r.read(); c.close()
    return r.getheader("ETag")
old = etag()
t0 = time.monotonic()
os.kill(pid, signal.SIGHUP)
while etag() == old:
    if time.monotonic() - t0 > 60:
        print("no new edition within 60 s"); sys.exit(1)
print("%.0f" % ((time.monotonic() - t0) * 1000))
PY
}

echo
echo "3. SIGHUP to the first answer from the new edition"
mkdir -p "$WORK/demo2"
cp "$GUIDE"/*.pdb "$WORK/demo2/"
ln -sfn ed1 "$WORK/current"
RP=$(free_port)
serve r1 "$RP" "$WORK/current"
ln -sfn ed2 "$WORK/current"
echo "demo guide -> 2,000-object guide: $(time_reload "$SPID" "$RP") ms ($(grep -o 'opened in [0-9]* ms' "$WORK/r1.err" | tail -1) by the server)"
ln -sfn ed1 "$WORK/current"
echo "back to the demo guide: $(time_reload "$SPID" "$RP") ms ($(grep -o 'opened in [0-9]* ms' "$WORK/r1.err" | tail -1) by the server)"
"$BIN/vantrel-pack" --quiet --synthetic 200000 "$WORK/big"
"$BIN/vantrel-pack" --quiet --synthetic 200001 "$WORK/big2"  # another object count: another edition
ln -sfn big "$WORK/current"
echo "demo guide -> 200,000 objects: $(time_reload "$SPID" "$RP") ms ($(grep -o 'opened in [0-9]* ms' "$WORK/r1.err" | tail -1) by the server)"
ln -sfn big2 "$WORK/current"
echo "200,000 -> another 200,000: $(time_reload "$SPID" "$RP") ms ($(grep -o 'opened in [0-9]* ms' "$WORK/r1.err" | tail -1) by the server)"
kill -TERM "$SPID"

echo
echo "4. resident memory after 200,000 requests over 10,000 distinct pages (200,000-object guide)"
MP=$(free_port)
serve m1 "$MP" "$WORK/big"
MPID=$SPID
rss() { awk '/^VmRSS/ { print $2 / 1024 }' "/proc/$1/status"; }
hwm() { awk '/^VmHWM/ { print $2 / 1024 }' "/proc/$1/status"; }
echo "after start: $(rss "$MPID") MB"
# 10,000 addresses that are pages: found by asking, in object order.
python3 - "$MP" "$WORK/paths.lua" <<'PY'
import http.client, sys
port, out = int(sys.argv[1]), sys.argv[2]
c = http.client.HTTPConnection("127.0.0.1", port, timeout=30)
paths, i = [], 1
while len(paths) < 10000 and i < 200000:
    c.request("HEAD", "/o%d.html" % i)
    r = c.getresponse(); r.read()
    if r.status == 200:
        paths.append("/o%d.html" % i)
    i += 1
with open(out, "w") as f:
    f.write("paths = {" + ",".join('"%s"' % p for p in paths) + "}\n")
    f.write("""
local i = 0
function init(args) i = math.random(#paths) end
function request() i = i % #paths + 1; return wrk.format("GET", paths[i]) end
""")
print(len(paths), "pages")
PY
echo "after probing: $(rss "$MPID") MB"
# wrk runs until the server has answered 200,000 more page requests.
site_count() {
  curl -s "http://127.0.0.1:$MP/metrics" | awk '$1 == "vantrel_http_requests_total{route=\"site\",code=\"2xx\"}" { print $2 }'
}
base=$(site_count)
T0=$(date +%s.%N)
wrk -t2 -c16 -d600s --timeout 10s -s "$WORK/paths.lua" "http://127.0.0.1:$MP/" > "$WORK/wrk.mem" 2>&1 &
WRK=$!
while [ $(( $(site_count) - base )) -lt 200000 ] && kill -0 $WRK 2> /dev/null; do sleep 0.2; done
kill -INT $WRK 2> /dev/null || true
wait $WRK 2> /dev/null || true
echo "$(( $(site_count) - base )) page requests in $(awk -v a="$T0" -v b="$(date +%s.%N)" 'BEGIN { printf "%.1f", b - a }') s"
echo "after 200,000 requests: RSS $(rss "$MPID") MB, peak $(hwm "$MPID") MB"
curl -s "http://127.0.0.1:$MP/metrics" | grep -E '^vantrel_page_cache_(entries|bytes|hits_total|misses_total) '

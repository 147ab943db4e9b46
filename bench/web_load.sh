#!/usr/bin/env bash
# Load test of vantrel-serve against nginx serving the exported files of the
# same pages, both on 127.0.0.1 only, with wrk bounded in time (5 s a run).
# Run by hand (not part of the tests): needs Debian's nginx and wrk.
# Usage: bench/web_load.sh [BIN_DIR] [GUIDE_DIR] [SECONDS]
set -eu
BIN="${1:-$(dirname "$0")/../build/bin}"
GUIDE="${2:-$BIN/../demo-guide}"
SECONDS_PER_RUN="${3:-5}"
for tool in wrk nginx; do
  command -v "$tool" > /dev/null || { echo "needs $tool (apt-get install $tool)"; exit 2; }
done
WORK="$(mktemp -d)"
chmod 755 "$WORK"
pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2> /dev/null || true; done; rm -rf "$WORK"; }
trap cleanup EXIT

"$BIN/vantrel-export" --quiet "$GUIDE" "$WORK/site"
chmod -R a+rX "$WORK/site"
TABLE=$(grep -l 'class="grid"' "$WORK"/site/o*.html | head -1 | sed 's|.*/o\([0-9]*\)\.html|\1|')
PAGE=$(grep -L 'class="grid"' "$WORK"/site/o*.html | head -1 | sed 's|.*/o\([0-9]*\)\.html|\1|')

free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
NGINX_PORT=$(free_port)
cat > "$WORK/nginx.conf" <<CONF
worker_processes 2;
daemon off;
pid $WORK/nginx.pid;
error_log $WORK/nginx.err;
events { worker_connections 1024; }
http {
  access_log off;
  include /etc/nginx/mime.types;
  client_body_temp_path $WORK/t1; proxy_temp_path $WORK/t2; fastcgi_temp_path $WORK/t3;
  uwsgi_temp_path $WORK/t4; scgi_temp_path $WORK/t5;
  server { listen 127.0.0.1:$NGINX_PORT; root $WORK/site; }
}
CONF
nginx -c "$WORK/nginx.conf" &
pids+=($!)
"$BIN/vantrel-serve" --listen 127.0.0.1:0 --threads 96 "$GUIDE" > "$WORK/serve.out" 2> /dev/null &
pids+=($!)
for _ in $(seq 1 100); do
  SERVE_PORT=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)/$|\1|p' "$WORK/serve.out")
  [ -n "$SERVE_PORT" ] && curl -s -o /dev/null "http://127.0.0.1:$NGINX_PORT/index.html" && break
  sleep 0.1
done

# run URL CONNECTIONS: "requests/s p99-ms"
run() {
  local threads=2
  [ "$2" -eq 1 ] && threads=1
  wrk -t"$threads" -c"$2" -d"${SECONDS_PER_RUN}s" --timeout 5s --latency "$1" > "$WORK/wrk.out" 2>&1
  local rps p99
  rps=$(sed -n 's/^Requests\/sec: *\([0-9.]*\)/\1/p' "$WORK/wrk.out")
  p99=$(awk '$1 == "99%" { v = $2; if (v ~ /us$/) { sub(/us/, "", v); v /= 1000 } else if (v ~ /ms$/) { sub(/ms/, "", v) } else if (v ~ /s$/) { sub(/s/, "", v); v *= 1000 } print v }' "$WORK/wrk.out")
  echo "${rps:-0} ${p99:-0}"
}

echo "guide: $GUIDE  page o$PAGE.html  table o$TABLE.html  ${SECONDS_PER_RUN}s per run"
printf "%-12s %5s %12s %9s %12s %9s %7s\n" what conns serve-req/s p99-ms nginx-req/s p99-ms ratio
for what in page table index; do
  case $what in
    page) path="o$PAGE.html"; npath="$path" ;;
    table) path="o$TABLE.html"; npath="$path" ;;
    index) path="api/index?q=am"; npath="index.json" ;;
  esac
  for c in 1 16 64; do
    read -r srps sp99 < <(run "http://127.0.0.1:$SERVE_PORT/$path" "$c")
    read -r nrps np99 < <(run "http://127.0.0.1:$NGINX_PORT/$npath" "$c")
    ratio=$(awk -v a="$srps" -v b="$nrps" 'BEGIN { printf "%.2f", (b > 0) ? a / b : 0 }')
    printf "%-12s %5d %12s %9s %12s %9s %7s\n" "$what" "$c" "$srps" "$sp99" "$nrps" "$np99" "$ratio"
  done
done
echo "(index: vantrel-serve answers the query; nginx serves the whole index.json for reference)"

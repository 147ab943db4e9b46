# Shared by the tests that run vantrel-serve: starting servers on free
# loopback ports and stopping everything that was started, even on failure.
# Sourced after lib/dump.bash (WORK, fail). Every started process id goes
# into STARTED; the EXIT trap ends them.
STARTED=()
stop_all() {
  for p in "${STARTED[@]}"; do kill -KILL "$p" 2> /dev/null; done
  for p in "${STARTED[@]}"; do wait "$p" 2> /dev/null; done
  rm -rf "$WORK"
}
trap stop_all EXIT
trap 'exit 1' TERM INT HUP

# start_server NAME ARGS...: starts vantrel-serve ARGS with standard output in
# $WORK/NAME.out and standard error in $WORK/NAME.err; sets SERVER_PID and
# SERVER_PORT (empty when it did not come up within 10 s).
start_server() {
  local name="$1"
  shift
  "$SERVE" "$@" > "$WORK/$name.out" 2> "$WORK/$name.err" &
  SERVER_PID=$!
  STARTED+=("$SERVER_PID")
  SERVER_PORT=""
  for _ in $(seq 1 100); do
    SERVER_PORT=$(sed -n 's|^listening on http://127.0.0.1:\([0-9]*\)/$|\1|p' "$WORK/$name.out")
    [ -n "$SERVER_PORT" ] && return 0
    kill -0 "$SERVER_PID" 2> /dev/null || break
    sleep 0.1
  done
  return 1
}

# wait_gone PID SECONDS: true when PID ended within SECONDS; its exit status in GONE_STATUS.
wait_gone() {
  local i
  for ((i = 0; i < $2 * 10; i++)); do
    if ! kill -0 "$1" 2> /dev/null; then
      wait "$1"
      GONE_STATUS=$?
      return 0
    fi
    sleep 0.1
  done
  return 1
}

# http PORT PATH [CURL ARGS...]: "STATUS" on the first line, then the headers
# and body as curl -i prints them, into $WORK/http; bounded to 10 s.
http() {
  local port="$1" path="$2"
  shift 2
  curl -s -i --max-time 10 "$@" "http://127.0.0.1:$port$path" > "$WORK/http" 2> /dev/null
  sed -n '1s|^HTTP/[0-9.]* \([0-9]*\).*|\1|p' "$WORK/http" | tr -d '\r'
}

# header NAME: that header's value in $WORK/http.
header() { grep -i "^$1:" "$WORK/http" | head -1 | sed 's/^[^:]*: *//' | tr -d '\r'; }
# body: the body in $WORK/http.
body() { sed '1,/^\r\{0,1\}$/d' "$WORK/http"; }

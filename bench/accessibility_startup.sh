#!/usr/bin/env bash
# Start-up to the home page and shutdown of vantrel-guide on a real X server
# (Xvfb) with the accessibility bus running, with Qt's accessibility bridge
# switched on (as it is while a screen reader runs) against off, in one run.
# Run by hand after a plain build:  bash bench/accessibility_startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
RUNS=${2:-20}
GUIDE="$BUILD/bin/vantrel-guide"
DEMO="$BUILD/demo-guide"
[ -x "$GUIDE" ] || { echo "build vantrel-guide first" >&2; exit 1; }
command -v hyperfine >/dev/null || { echo "needs hyperfine (apt-get install hyperfine)" >&2; exit 1; }
WORK=$(mktemp -d)
Xvfb :93 -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
XVFB=$!
trap 'kill $XVFB 2>/dev/null; rm -rf "$WORK"' EXIT
sleep 1
printf 'state\nquit\n' >"$WORK/script"
cat >"$WORK/run.sh" <<IN
set -e
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
sleep 0.5
export DISPLAY=:93 QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$WORK
hyperfine -N --warmup 2 --runs $RUNS --export-json $WORK/result.json \\
  -n off "$GUIDE --data $DEMO --script $WORK/script" \\
  -n on "env QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 $GUIDE --data $DEMO --script $WORK/script" >/dev/null
IN
dbus-run-session -- bash "$WORK/run.sh"
python3 - "$WORK/result.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
off, on = r["off"]["median"], r["on"]["median"]
print(f"start-up to home + shutdown, accessibility off: median {off*1000:.1f} ms")
print(f"start-up to home + shutdown, accessibility on:  median {on*1000:.1f} ms")
print(f"ratio on/off: {on/off:.2f}")
PY

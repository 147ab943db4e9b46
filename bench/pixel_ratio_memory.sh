#!/usr/bin/env bash
# Peak memory (maximum resident set) of vantrel-guide at a device pixel ratio
# of 1 and of 2 (QT_SCALE_FACTOR), in one run: the same scripted walk through
# the demo guide's pages (home, index, a large table, a tight hierarchy, a
# picture, the dual list), each page drawn and grabbed once.
# Run by hand after a plain build:  bash bench/pixel_ratio_memory.sh [BUILD_DIR] [RUNS]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
RUNS=${2:-5}
GUIDE="$BUILD/bin/vantrel-guide"
DEMO="$BUILD/demo-guide"
[ -x "$GUIDE" ] || { echo "build vantrel-guide first" >&2; exit 1; }
[ -x /usr/bin/time ] || { echo "needs GNU time (apt-get install time)" >&2; exit 1; }
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
export XDG_CACHE_HOME="$WORK/cache" XDG_RUNTIME_DIR="$WORK"
cat >"$WORK/script" <<S
shot $WORK/1.png
navigate-key index
shot $WORK/2.png
navigate 40
shot $WORK/3.png
navigate 8
shot $WORK/4.png
navigate 34
shot $WORK/5.png
navigate 11
shot $WORK/6.png
quit
S
peak() {  # peak RSS in KiB, the median of RUNS runs
  for _ in $(seq "$RUNS"); do
    QT_SCALE_FACTOR=$1 /usr/bin/time -f %M "$GUIDE" --data "$DEMO" --script "$WORK/script" 2>&1 >/dev/null | tail -1
  done | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'
}
one=$(peak 1)
two=$(peak 2)
echo "peak memory at pixel ratio 1: $((one / 1024)) MiB ($one KiB)"
echo "peak memory at pixel ratio 2: $((two / 1024)) MiB ($two KiB)"
awk -v a="$one" -v b="$two" 'BEGIN { printf "ratio 2/1: %.2f\n", b / a }'

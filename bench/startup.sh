#!/usr/bin/env bash
# Start-up to the home page shown and shutdown of vantrel-guide (a script of
# `state` and `quit`, offscreen), against a minimal Qt Widgets program that
# shows one 240 x 320 window and exits, measured in the same run.
# Run by hand after a plain build:  bash bench/startup.sh [BUILD_DIR] [RUNS]
set -euo pipefail
ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${1:-$ROOT/build}
RUNS=${2:-40}
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT

GUIDE="$BUILD/bin/vantrel-guide"
DEMO="$BUILD/demo-guide"
[ -x "$GUIDE" ] || { echo "build vantrel-guide first" >&2; exit 1; }

# The baseline, built with the same compiler flags level as a release build.
cp "$ROOT/bench/startup_minimal.cpp.in" "$WORK/minimal.cpp"
c++ -O2 -fPIC -std=c++20 "$WORK/minimal.cpp" -o "$WORK/minimal" $(pkg-config --cflags --libs Qt6Widgets)
printf 'state\nquit\n' >"$WORK/script"

if command -v hyperfine >/dev/null; then
  hyperfine -N --warmup 3 --runs "$RUNS" --export-json "$WORK/result.json" \
    -n minimal "$WORK/minimal" \
    -n vantrel-guide "$GUIDE --data $DEMO --script $WORK/script" >/dev/null
  python3 - "$WORK/result.json" <<'PY'
import json, sys
r = {x["command"]: x for x in json.load(open(sys.argv[1]))["results"]}
m, g = r["minimal"]["median"], r["vantrel-guide"]["median"]
print(f"minimal Qt program: median {m*1000:.1f} ms")
print(f"vantrel-guide start-up to home + shutdown: median {g*1000:.1f} ms")
print(f"ratio: {g/m:.2f}")
PY
else
  # Without hyperfine: a loop with nanosecond timestamps.
  # The median in whole microseconds (a mean of two middle values is rounded,
  # so that the shell's integer arithmetic can take it).
  median() { sort -n | awk '{a[NR]=$1} END {printf "%d\n", (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2) + 0.5}'; }
  time_runs() {
    for _ in $(seq "$RUNS"); do
      s=$(date +%s%N); "$@" >/dev/null 2>&1; e=$(date +%s%N); echo $(((e - s) / 1000))
    done | median
  }
  m=$(time_runs "$WORK/minimal")
  g=$(time_runs "$GUIDE" --data "$DEMO" --script "$WORK/script")
  awk -v m="$m" 'BEGIN {printf "minimal Qt program: median %.1f ms\n", m / 1000}'
  awk -v g="$g" 'BEGIN {printf "vantrel-guide start-up to home + shutdown: median %.1f ms\n", g / 1000}'
  awk -v g="$g" -v m="$m" 'BEGIN {printf "ratio: %.2f\n", g / m}'
fi

if [ -x "$BUILD/bin/bench_shell_navigation" ]; then
  "$BUILD/bin/bench_shell_navigation" --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
fi

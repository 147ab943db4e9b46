#!/bin/bash
# run-fuzzer.sh BINARY SEED_DIR SECONDS: fuzz for a bounded time from the seeds.
set -euo pipefail
bin=$1 seeds=$2 seconds=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/corpus"
if [ -d "$seeds" ]; then cp -r "$seeds"/. "$work/corpus/" 2>/dev/null || true; fi
cd "$work"
exec "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 corpus

#!/usr/bin/env bash
# Every example of docs/writing-a-guide.md: each `json` block is packed on
# its own and every command of the `sh` block after it must succeed, DIR
# standing for the packed folder. Usage: writing_guide.sh BIN_DIR SOURCE_DIR
set -u
BIN="$1"
SRC="$2"
DOC="$SRC/docs/writing-a-guide.md"
WORK="$(mktemp -d)"
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Split the page into ex<N>.json and ex<N>.sh (the checks after example N).
python3 - "$DOC" "$WORK" <<'PY' || fail "cannot read the examples"
import re, sys
text = open(sys.argv[1], encoding="utf-8").read()
n = 0
for kind, body in re.findall(r"```(json|sh)\n(.*?)```", text, re.S):
    if kind == "json":
        n += 1
        open(f"{sys.argv[2]}/ex{n}.json", "w", encoding="utf-8").write(body)
    elif n:
        open(f"{sys.argv[2]}/ex{n}.sh", "a", encoding="utf-8").write(body)
print(n)
PY
# A small picture for the example that names one.
python3 -c "
import struct, zlib
def chunk(t, d): return struct.pack('>I', len(d)) + t + d + struct.pack('>I', zlib.crc32(t + d))
raw = b''.join(b'\x00' + b'\xff\x00\x00' * 4 for _ in range(4))
open('$WORK/chart.png', 'wb').write(b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 4, 4, 8, 2, 0, 0, 0)) + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))
"

count=0
for json in "$WORK"/ex*.json; do
  [ -e "$json" ] || break
  count=$((count + 1))
  name=$(basename "$json" .json)
  out="$WORK/$name"
  if ! "$BIN/vantrel-pack" --quiet "$json" "$out" 2>"$WORK/$name.err"; then
    fail "$name: does not pack: $(cat "$WORK/$name.err")"
    continue
  fi
  "$BIN/vantrel-dump" "$out" info >/dev/null 2>&1 || fail "$name: vantrel-dump info fails"
  [ -f "$WORK/$name.sh" ] || { fail "$name: no checks after the example"; continue; }
  while IFS= read -r line; do
    [ -n "$line" ] || continue
    cmd=${line/vantrel-dump DIR/\"$BIN/vantrel-dump\" \"$out\"}
    if ! eval "$cmd" >"$WORK/$name.out" 2>&1; then
      fail "$name: '$line' failed: $(head -c 300 "$WORK/$name.out")"
    fi
  done <"$WORK/$name.sh"
done
[ "$count" -ge 10 ] || fail "only $count examples found"

if [ "$failures" -ne 0 ]; then
  echo "$failures failure(s)"
  exit 1
fi
echo "writing_guide.sh: $count examples packed and checked"

#!/bin/bash
# Two programs on one folder, and files that cannot be written: a reader
# holds the bookmarks and notes while it runs, vantrel-userdata refuses at
# once and touches nothing, two writers at the same time never lose the
# pair, and a read-only folder lists but refuses changes with the reason.
# Usage: userdata_sharing.sh BIN_DIR SOURCE_DIR
set -u
bin=$1
tool=$bin/vantrel-userdata
guide=$bin/vantrel-guide
demo=$bin/../demo-guide
work=$(mktemp -d)
cleanup() {
  mountpoint -q "$work/ro" 2>/dev/null && umount "$work/ro"
  rm -rf "$work"
}
trap cleanup EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-$(mktemp -d)}
# The reader builds its search index as soon as it starts: here, not in the
# user's cache.
export XDG_CACHE_HOME="$work/cache"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
sums() { cat "$1"/bookmarks.vs? "$1"/notes.vs? 2>/dev/null | md5sum; }

if [ ! -x "$tool" ] || [ ! -f "$demo/Qd07-Qd07-Data.pdb" ]; then
  echo "SKIP: vantrel-userdata or the demo guide is not built"; exit 0
fi
dir=$work/prog
cp -r "$demo" "$dir"
rm -f "$dir"/bookmarks.vs? "$dir"/notes.vs?
"$tool" "$dir" note-add "First" "kept" >/dev/null || fail "note-add on a free folder"

# A reader holds the folder while its script waits.
printf 'wait 4000\nquit\n' >"$work/hold"
"$guide" --data "$dir" --script "$work/hold" >/dev/null 2>&1 &
reader=$!
for _ in $(seq 1 100); do [ -e "$dir/notes.vsi.lock" ] && break; sleep 0.05; done
[ -e "$dir/notes.vsi.lock" ] || fail "the reader took no lock"
before=$(sums "$dir")
for cmd in "notes" "note-add T B" "note-remove 0" "bookmarks"; do
  # shellcheck disable=SC2086
  "$tool" "$dir" $cmd >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" = 1 ] || fail "$cmd while a reader runs: exit status $status, wanted 1"
  grep -q "in use by another program" "$work/err" || fail "$cmd while a reader runs: $(cat "$work/err")"
done
[ "$(sums "$dir")" = "$before" ] || fail "vantrel-userdata changed files a reader holds"
wait "$reader"
"$tool" "$dir" note-add "Second" "after" >/dev/null || fail "note-add after the reader ended"
[ ! -e "$dir/notes.vsi.lock" ] || fail "a lock file was left behind"

# Two writers at once: every acknowledged note is there, the pair is whole.
ok_file() { : >"$1"; for i in $(seq 1 200); do "$tool" "$dir" note-add "$2$i" body >/dev/null 2>&1 && echo >>"$1"; done; }
ok_file "$work/a" A &
ok_file "$work/b" B &
wait
acked=$(( $(wc -l <"$work/a") + $(wc -l <"$work/b") + 2 ))
[ -f "$dir/notes.vsd" ] || fail "the note data file is gone"
count=$("$tool" --json "$dir" notes | grep -o '"position"' | wc -l)
[ "$count" = "$acked" ] || fail "two writers: $count notes listed, $acked acknowledged"

# A read-only mount of the folder, where this machine allows one.
mkdir -p "$work/ro"
if mount --bind "$dir" "$work/ro" 2>/dev/null && mount -o remount,bind,ro "$work/ro" 2>/dev/null; then
  "$tool" --json "$work/ro" notes >"$work/out" 2>"$work/err" || fail "listing a read-only folder: $(cat "$work/err")"
  grep -q '"First"' "$work/out" || fail "a read-only folder lists no notes"
  "$tool" "$work/ro" note-add T B >"$work/out" 2>"$work/err"
  status=$?
  [ "$status" = 1 ] || fail "note-add on a read-only folder: exit status $status"
  grep -q "cannot be written: Read-only file system" "$work/err" || fail "read-only reason: $(cat "$work/err")"
  printf 'state\ncommand 40024\nstate\nquit\n' | "$guide" --data "$work/ro" --script - >"$work/out" 2>"$work/err"
  grep -q '"readOnly":true' "$work/out" || fail "the reader on a read-only folder: $(tail -c 400 "$work/out")"
  umount "$work/ro"
else
  echo "note: no read-only bind mount here; skipped that part"
fi

if [ "$failures" -eq 0 ]; then echo "userdata_sharing: all checks passed"; exit 0; fi
echo "userdata_sharing: $failures check(s) failed"; exit 1

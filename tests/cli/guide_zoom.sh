#!/usr/bin/env bash
# End-to-end: the reader's zoom. A reader at 96 dots per inch zoomed to 200 %
# (at start with --zoom, or with Ctrl++ on the page shown) lays out every
# viewer exactly as one started at 192 dots per inch: the same layout items,
# rows, columns and pictures, and the same pixels. The zoom is kept in the
# settings file across a restart. Usage: guide_zoom.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"
LIB="$(dirname "$0")/lib"

# name|script lines (\n-separated) that bring the page up without a tap
pages=(
  "home|navigate-key home"
  "index|navigate-key index\ntype sta"
  "contents|navigate-key toc"
  "key|navigate-key tools\ntype mic"
  "table|navigate $(obj spec_class_pen)\nkey Down\nkey Right"
  "html|navigate $(obj AboutVantrelGuide)"
  "dual-list|navigate $(obj dual_table)"
  "tight-hierarchy|navigate $(obj mono_table)"
  "picture|navigate $(obj fig_shapes)\nkey Tab"
  "calculator|navigate $(obj calc_table)"
  "pep-tree|navigate $(obj pep_tree)"
  "bookmarks|navigate $(obj spec_table)\ncommand 40026"
  "notes|navigate $(obj spec_table)\ncommand 40023"
  "search|key Ctrl+K\nwait-index 60000\ntype penicillin\nwait 300"
  "tree-opened|navigate $(obj mono_table)\nexpand $(obj mono_class_pen)\nexpand $(obj mono_class_ceph)"
)
ZOOM_IN="key Ctrl++\nkey Ctrl+=\nkey Ctrl++\nkey Ctrl++\nkey Ctrl++"  # 110 125 150 175 200

for p in "${pages[@]}"; do
  name=${p%%|*}
  body=${p#*|}
  printf "$body\nstate\nshot $WORK/$name-192.png\n" >"$WORK/$name.native"
  printf "$body\n$ZOOM_IN\nstate\nshot $WORK/$name-keys.png\n" >"$WORK/$name.keys"
  printf "$body\nstate\nshot $WORK/$name-start.png\n" >"$WORK/$name.start"
  run --dpi 192 --script "$WORK/$name.native" >"$WORK/$name.native.out" || fail "$name at 192 dpi: $(cat "$WORK/err")"
  run --dpi 96 --zoom 200 --script "$WORK/$name.start" >"$WORK/$name.start.out" || fail "$name --zoom 200: $(cat "$WORK/err")"
  run --dpi 96 --script "$WORK/$name.keys" >"$WORK/$name.keys.out" || fail "$name zoomed with keys: $(cat "$WORK/err")"
  expect_state "$(cat "$WORK/$name.keys.out")" <<ROWS
  .zoom  200  $name: five steps in from 100 % reach 200 %
ROWS
  for how in start keys; do
    d=$(python3 "$LIB/zoom_state.py" "$WORK/$name.$how.out" "$WORK/$name.native.out") ||
      fail "$name: layout at 96 dpi zoomed ($how) differs from 192 dpi: $d"
    d=$(python3 "$LIB/pngdiff.py" "$WORK/$name-$how.png" "$WORK/$name-192.png") ||
      fail "$name: screenshot at 96 dpi zoomed ($how) differs from 192 dpi: $d"
  done
done

# The zoom keys step and return; it is kept in the settings file the run names.
SET="$WORK/settings.ini"
printf 'key Ctrl+-\nstate\nkey Ctrl+0\nstate\nkey Ctrl++\nkey Ctrl++\nstate\nquit\n' >"$WORK/steps"
run --settings "$SET" --script "$WORK/steps" >"$WORK/out" || fail "zoom steps: $(cat "$WORK/err")"
expect_state "$(line 1)" <<'ROWS'
.zoom  90  Ctrl+- steps out to 90 %
ROWS
expect_state "$(line 2)" <<'ROWS'
.zoom  100  Ctrl+0 returns to 100 %
ROWS
expect_state "$(line 3)" <<'ROWS'
.zoom  125  two steps in reach 125 %
ROWS
printf 'state\n' | run --settings "$SET" --script - >"$WORK/out" || fail "restart: $(cat "$WORK/err")"
expect_state "$(line 1)" <<'ROWS'
.zoom  125  the zoom is kept across a restart
ROWS
printf 'state\n' | run --settings "$SET" --zoom 75 --script - >"$WORK/out" || fail "--zoom: $(cat "$WORK/err")"
expect_state "$(line 1)" <<'ROWS'
.zoom  75  --zoom wins over the kept zoom
ROWS
printf 'state\n' | run --script - >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.zoom  100  a scripted run without --settings starts at 100 %
ROWS
run --zoom 1000 --script - </dev/null >"$WORK/out"; rc=$?
[ $rc -eq 2 ] || fail "--zoom 1000: exit $rc, expected 2"
expect "--zoom takes a percentage" "$(cat "$WORK/err")" "--zoom out of range is refused with the reason"

finish guide_zoom

#!/usr/bin/env bash
# End-to-end: on a screen with a device pixel ratio of 2 (QT_SCALE_FACTOR=2)
# every window the reader draws itself is drawn at the full resolution, as
# sharp as Qt's own widgets, not at half resolution and scaled up.
# A window scaled up repeats each pixel in 2x2 blocks and scores 0; one drawn
# at the full resolution scores 0.25 (a line edit: mostly frame) to 1 (text).
# (A guide's own pictures are shown from the variant the device's choice rule
# takes, as on the device, so the picture itself is not checked.)
# Usage: guide_sharp.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"
LIB="$(dirname "$0")/lib"
export QT_SCALE_FACTOR=2

# name|script lines (\n-separated) bringing the page up
pages=(
  "home|navigate-key home"
  "index|navigate-key index\ntype sta"
  "key|navigate-key tools\ntype mic"
  "table|navigate $(obj spec_class_pen)"
  "tight-hierarchy|navigate $(obj mono_table)"
  "dual-list|navigate $(obj dual_table)"
  "picture|navigate $(obj fig_shapes)"
  "bookmarks|navigate $(obj spec_table)\ncommand 40026"
)

for p in "${pages[@]}"; do
  name=${p%%|*}
  printf "${p#*|}\nstate\nshot $WORK/$name.png\n" >"$WORK/$name.script"
  run --script "$WORK/$name.script" >"$WORK/$name.out" || { fail "$name: $(cat "$WORK/err")"; continue; }
  # Each laid-out window (page-area coordinates, below the task-bar strip of
  # 26 pixels) and the command bar below the page area.
  python3 - "$WORK/$name.out" >"$WORK/$name.regions" <<'PY'
import json, sys
state = json.loads(open(sys.argv[1]).readline())
items = state['overlayItems'] if state['overlay'] else state['items']
bottom = 0
for i in items:
    if i['visible'] and i['w'] > 4 and i['h'] > 4:
        print(i['window'], 2 * i['x'], 2 * (i['y'] + 26), 2 * i['w'], 2 * i['h'])
        bottom = max(bottom, i['y'] + i['h'])
print('commandBar', 0, 2 * (bottom + 26), 480, 2 * 26)
PY
  while read -r window x y w h; do
    s=$(python3 "$LIB/sharpness.py" "$WORK/$name.png" "$x" "$y" "$w" "$h")
    awk -v s="$s" 'BEGIN { exit !(s >= 0.1) }' || fail "$name: the $window window is drawn soft (sharpness $s)"
  done <"$WORK/$name.regions"
done

finish guide_sharp

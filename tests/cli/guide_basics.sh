#!/usr/bin/env bash
# End-to-end: drives vantrel-guide on the demo guide through scripts and
# checks what `state` reports. Usage: guide_basics.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"

# Start-up: home is the only page; back, forward and the history list are off.
printf 'state\n' | run --script - >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "plain start: exit $rc"
s=$(line 1)
expect_state "$s" <<'ROWS'
.title            "Home"    start-up title
.history.titles   ["Home"]  start-up history
.buttons."40006"  false     back disabled
.buttons."40007"  false     forward disabled
.buttons."40027"  false     history list disabled
.items[0].window  "home"    home window laid out
.items[0].kind    4         home is the fill
.exited           false     running
ROWS
count=$(state_value "$s" .objectCount)
[ -n "$count" ] && [ "$count" -gt 0 ] || fail "objectCount missing: $s"

# A letter opens the index search with the letter as page data; back and
# forward move through the history; Alt+Left is back.
cat >"$WORK/s1" <<'S'
tap 86 160
state
command 40006
state
key Alt+Right
state
key Alt+Left
state
tap 192 230
state
S
run --script "$WORK/s1" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "letters: exit $rc $(cat "$WORK/err")"
expect_state "$(line 1)" <<ROWS
.page             {"data":"4400","object":$((count + 5))}  tap on D
.buttons."40006"  true                                     back enabled after a second page
ROWS
expect_state "$(line 2)" <<ROWS
.page.object       $((count + 4))  back to home
.buttons."40007"   true            forward enabled after back
.history.position  0               history position after back
ROWS
expect_state "$(line 3)" <<'ROWS'
.page.data  "4400"  Alt+Right is forward
ROWS
expect_state "$(line 4)" <<ROWS
.page.object  $((count + 4))  Alt+Left is back
ROWS
expect_state "$(line 5)" <<'ROWS'
.page.data         "5a00"            tap on Z
.history.position  1                 push after back dropped the forward entry
.history.titles    ["Home","Index"]  push after back dropped the forward entry
ROWS

# The history list: newest first; choosing an entry goes there.
cat >"$WORK/s2" <<'S'
tap 86 160
command 40027
state
choose 1
state
S
run --script "$WORK/s2" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "history list: exit $rc"
expect_state "$(line 1)" <<'ROWS'
.menu  ["Index","Home"]  history popup items
ROWS
expect_state "$(line 2)" <<ROWS
.menu         null            popup closed after choosing
.page.object  $((count + 4))  second entry from the top is history index 0
ROWS

# Stylus by parts: the home page reacts to the press; a tap on the command
# bar's back button (below the page area) goes back; a tap on an item of the
# history popup chooses it; a tap outside an open popup only closes it.
cat >"$WORK/s4" <<'S'
press 15 192
state
move 40 200
release 40 200
tap 33 281
state
tap 60 281
state
tap 5 240
state
tap 60 281
tap 200 100
state
S
run --script "$WORK/s4" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "stylus: exit $rc $(cat "$WORK/err")"
expect_state "$(line 1)" <<'ROWS'
.page.data  "4a00"  press on J
ROWS
expect_state "$(line 2)" <<ROWS
.page.object  $((count + 4))  tap on the back button
ROWS
expect_state "$(line 3)" <<'ROWS'
.menu  ["Index","Home"]  tap on the history button opens the list
ROWS
expect_state "$(line 4)" <<'ROWS'
.history.position  1     tap on the list's first item goes to the newest entry
.menu              null  the list closes after a choice
ROWS
expect_state "$(line 5)" <<'ROWS'
.menu              null  a tap outside the list closes it
.history.position  1     and goes no further
ROWS

# Drop-down menu 0 and its commands.
printf 'command 40029\nstate\nchoose 0\nstate\n' | run --script - >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.menu  ["Vantrel Guide Home","About","About KORVAX, Inc.","Legitimacy Notice","Search the guide"]  menu 0
ROWS

# Exit: No keeps running, Yes ends the run with one last state line.
cat >"$WORK/s3" <<'S'
command 40019
answer yes
key Ctrl+Q
state
S
run --script "$WORK/s3" >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "exit: status $rc"
[ "$(wc -l <"$WORK/out")" -eq 1 ] || fail "exit: expected exactly one state line, got $(cat "$WORK/out")"
expect_state "$(line 1)" <<'ROWS'
.exited               true                             exit confirmed
.messages[0].answer   "no"                             first question answered No by default
.messages[0].caption  "Vantrel Guide 2007"             first question answered No by default
.messages[0].text     "Are you sure you want to exit"  first question answered No by default
.messages[1].answer   "yes"                            second question answered yes
ROWS

# Landscape and high resolution: the letters are where the picture shows them.
printf 'state\ntap 50 140\nstate\n' | run --screen 320x240 --script - >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.viewers.home  {"bitmap":482,"landscape":true,"x":0,"y":0}  landscape picture, filling the width
ROWS
expect_state "$(line 2)" <<'ROWS'
.page.data  "4200"  landscape B
ROWS
printf 'state\ntap 172 320\nstate\n' | run --screen 480x640 --dpi 192 --script - >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.viewers.home.bitmap  483  high-resolution portrait picture
ROWS
expect_state "$(line 2)" <<'ROWS'
.page.data  "4400"  D at twice the coordinates
ROWS
expect_state "$(line 1)" <<'ROWS'
.items[0].h  536  frame height at 192 dpi
ROWS
printf 'resize 320 240\nstate\n' | run --script - >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.viewers.home.bitmap  482  resize to landscape reloads the picture
.items[0].w           320  home fills the new width
ROWS

# Screenshots are PNG files.
printf 'command 40027\nshot %s/a.png\n' "$WORK" | run --script - >"$WORK/out"
head -c 8 "$WORK/a.png" | od -An -tx1 | grep -q '89 50 4e 47' || fail "shot: not a PNG"
# A screenshot does not depend on when the text cursor last blinked: taken at
# once after typing and again most of a blink later, it is the same picture.
printf 'navigate-key index\ntype sta\nshot %s/typed.png\nwait 700\nshot %s/later.png\n' "$WORK" "$WORK" |
  run --script - >"$WORK/out" || fail "caret shots: $(cat "$WORK/err")"
d=$(python3 "$(dirname "$0")/lib/pngdiff.py" "$WORK/typed.png" "$WORK/later.png") ||
  fail "a screenshot depends on the text cursor's blink: $d"

# Navigation by object and by page key.
printf 'navigate 99999 0102\nstate\nnavigate-key home\nstate\n' | run --script - >"$WORK/out"
expect_state "$(line 1)" <<'ROWS'
.page   {"data":"0102","object":99999}  navigate with data
.items  []                              a page nobody shows leaves the page area empty
ROWS
expect_state "$(line 2)" <<'ROWS'
.title  "Home"  navigate-key home
ROWS

# Bad lines stop the run with their line number and status 2.
printf 'state\nfly 1 2\nstate\n' | run --script - >"$WORK/out"; rc=$?
[ $rc -eq 2 ] || fail "bad line: status $rc"
grep -q "line 2" "$WORK/err" || fail "bad line: no line number in $(cat "$WORK/err")"
[ "$(wc -l <"$WORK/out")" -eq 1 ] || fail "bad line: the lines before it ran"
printf 'navigate-key nowhere\n' | run --script - >"$WORK/out"; rc=$?
[ $rc -eq 2 ] || fail "unknown page key: status $rc"
printf 'choose 0\n' | run --script - >"$WORK/out"; rc=$?
[ $rc -eq 2 ] || fail "choose without a menu: status $rc"
"$GUIDE" --bogus >/dev/null 2>&1; [ $? -eq 2 ] || fail "unknown option: not status 2"
"$GUIDE" --help | grep -q -- "--script" || fail "--help"

# Missing or damaged content: the message, the program ends, one state line.
mkdir -p "$WORK/empty" "$WORK/short"
printf 'state\n' | "$GUIDE" --data "$WORK/empty" --script - >"$WORK/out" 2>/dev/null; rc=$?
[ $rc -eq 1 ] || fail "missing content: status $rc"
expect_state "$(line 1)" <<'ROWS'
.messages[0].text  "Database files are missing or damaged."  missing content message
.exited            true                                      missing content ends the program
ROWS
cp "$DEMO"/*.pdb "$WORK/short/"
head -c 77 "$DEMO/Qd07-Qd07-Strings.pdb" >"$WORK/short/Qd07-Qd07-Strings.pdb"
printf 'state\n' | "$GUIDE" --data "$WORK/short" --script - >"$WORK/out" 2>/dev/null; rc=$?
[ $rc -eq 1 ] || fail "short strings file: status $rc"
# The content is checked where the settings say it is installed.
printf 'state\n' | "$GUIDE" --data "$DEMO" --install-dir "$WORK/empty" --script - >"$WORK/out" 2>/dev/null; rc=$?
[ $rc -eq 1 ] || fail "install dir without content: status $rc"
printf '[Qd07]\nInstallDir=%s\n' "$DEMO" >"$WORK/settings.ini"
printf 'state\n' | "$GUIDE" --data "$DEMO" --settings "$WORK/settings.ini" --script - >"$WORK/out" 2>/dev/null; rc=$?
[ $rc -eq 0 ] || fail "settings file: status $rc"

finish guide_basics

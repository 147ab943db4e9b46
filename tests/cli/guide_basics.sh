#!/usr/bin/env bash
# End-to-end: drives vantrel-guide on the demo guide through scripts and
# checks what `state` reports. Usage: guide_basics.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/guide.bash" "$@"

# Start-up: home is the only page; back, forward and the history list are off.
printf 'state\n' | run --script - >"$WORK/out"; rc=$?
[ $rc -eq 0 ] || fail "plain start: exit $rc"
s=$(line 1)
expect '"title":"Home"' "$s" "start-up title"
expect '"titles":["Home"]' "$s" "start-up history"
expect '"40006":false' "$s" "back disabled"
expect '"40007":false' "$s" "forward disabled"
expect '"40027":false' "$s" "history list disabled"
expect '"window":"home"' "$s" "home window laid out"
expect '"kind":4' "$s" "home is the fill"
expect '"exited":false' "$s" "running"
count=$(echo "$s" | grep -o '"objectCount":[0-9]*' | cut -d: -f2)
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
expect "\"page\":{\"data\":\"4400\",\"object\":$((count + 5))}" "$(line 1)" "tap on D"
expect '"40006":true' "$(line 1)" "back enabled after a second page"
expect "\"object\":$((count + 4))" "$(line 2)" "back to home"
expect '"40007":true' "$(line 2)" "forward enabled after back"
expect '"position":0' "$(line 2)" "history position after back"
expect '"data":"4400"' "$(line 3)" "Alt+Right is forward"
expect "\"object\":$((count + 4))" "$(line 4)" "Alt+Left is back"
expect '"data":"5a00"' "$(line 5)" "tap on Z"
expect '"position":1,"titles":["Home","Index"]' "$(line 5)" "push after back dropped the forward entry"

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
expect '"menu":["Index","Home"]' "$(line 1)" "history popup items"
expect '"menu":null' "$(line 2)" "popup closed after choosing"
expect "\"object\":$((count + 4))" "$(line 2)" "second entry from the top is history index 0"

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
expect '"data":"4a00"' "$(line 1)" "press on J"
expect "\"object\":$((count + 4))" "$(line 2)" "tap on the back button"
expect '"menu":["Index","Home"]' "$(line 3)" "tap on the history button opens the list"
expect '"position":1' "$(line 4)" "tap on the list's first item goes to the newest entry"
expect '"menu":null' "$(line 4)" "the list closes after a choice"
expect '"menu":null' "$(line 5)" "a tap outside the list closes it"
expect '"position":1' "$(line 5)" "and goes no further"

# Drop-down menu 0 and its commands.
printf 'command 40029\nstate\nchoose 0\nstate\n' | run --script - >"$WORK/out"
expect '"menu":["Vantrel Guide Home","About","About KORVAX, Inc.","Legitimacy Notice","Search the guide"]' "$(line 1)" "menu 0"

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
expect '"exited":true' "$(line 1)" "exit confirmed"
expect '{"answer":"no","caption":"Vantrel Guide 2007","text":"Are you sure you want to exit"}' "$(line 1)" "first question answered No by default"
expect '"answer":"yes"' "$(line 1)" "second question answered yes"

# Landscape and high resolution: the letters are where the picture shows them.
printf 'state\ntap 50 140\nstate\n' | run --screen 320x240 --script - >"$WORK/out"
expect '"home":{"bitmap":482,"landscape":true,"x":0,"y":0}' "$(line 1)" "landscape picture, filling the width"
expect '"data":"4200"' "$(line 2)" "landscape B"
printf 'state\ntap 172 320\nstate\n' | run --screen 480x640 --dpi 192 --script - >"$WORK/out"
expect '"bitmap":483' "$(line 1)" "high-resolution portrait picture"
expect '"data":"4400"' "$(line 2)" "D at twice the coordinates"
expect '"h":536' "$(line 1)" "frame height at 192 dpi"
printf 'resize 320 240\nstate\n' | run --script - >"$WORK/out"
expect '"bitmap":482' "$(line 1)" "resize to landscape reloads the picture"
expect '"w":320' "$(line 1)" "home fills the new width"

# Screenshots are PNG files.
printf 'command 40027\nshot %s/a.png\n' "$WORK" | run --script - >"$WORK/out"
head -c 8 "$WORK/a.png" | od -An -tx1 | grep -q '89 50 4e 47' || fail "shot: not a PNG"

# Navigation by object and by page key.
printf 'navigate 99999 0102\nstate\nnavigate-key home\nstate\n' | run --script - >"$WORK/out"
expect '"page":{"data":"0102","object":99999}' "$(line 1)" "navigate with data"
expect '"items":[]' "$(line 1)" "a page nobody shows leaves the page area empty"
expect '"title":"Home"' "$(line 2)" "navigate-key home"

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
expect '"text":"Database files are missing or damaged."' "$(line 1)" "missing content message"
expect '"exited":true' "$(line 1)" "missing content ends the program"
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

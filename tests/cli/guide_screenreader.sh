#!/usr/bin/env bash
# The reader as a screen reader reads it: on an X server of its own (Xvfb)
# with the accessibility bus, through AT-SPI (pyatspi). Home letters, the
# index list, a table and a picture. Skipped, with the reason, where no X
# server or accessibility bus can be started.
source "$(dirname "$0")/lib/guide.bash"

skip() { echo "SKIP: $*"; exit 0; }
command -v Xvfb >/dev/null || skip "Xvfb is not installed"
command -v dbus-run-session >/dev/null || skip "dbus-run-session is not installed"
[ -x /usr/libexec/at-spi-bus-launcher ] || skip "at-spi2-core is not installed"
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || skip "python3-pyatspi is not installed"

# A display number Xvfb picks itself.
mkfifo "$WORK/display"
exec 3<>"$WORK/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp >"$WORK/xvfb.log" 2>&1 &
XVFB=$!
trap 'kill $XVFB 2>/dev/null; rm -rf "$WORK"' EXIT
display=""
for _ in $(seq 50); do
  read -r -t 0.2 display <&3 && break
  kill -0 $XVFB 2>/dev/null || break
done
[ -n "$display" ] || skip "Xvfb did not start: $(tail -1 "$WORK/xvfb.log")"
export DISPLAY=":$display"
unset QT_QPA_PLATFORM
# Leaks inside the accessibility bus libraries are not the reader's.
export ASAN_OPTIONS="${ASAN_OPTIONS:-}:detect_leaks=0"

TABLE=$(obj spec_class_pen)
IMAGE=$(obj fig_shapes)
[ -n "$TABLE" ] && [ -n "$IMAGE" ] || fail "objects.txt lacks the demo table and picture"

timeout 120 dbus-run-session -- /usr/bin/python3 "$(dirname "$0")/lib/atspi_read.py" \
  "$GUIDE" "$DEMO" "$TABLE" "$IMAGE" >"$WORK/out" 2>"$WORK/err"
status=$?
cat "$WORK/out"
[ $status -eq 0 ] || fail "the screen-reader client failed ($status): $(grep -v '^$' "$WORK/err" | tail -5)"
finish guide_screenreader

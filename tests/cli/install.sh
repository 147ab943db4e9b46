#!/usr/bin/env bash
# The Debian package: cpack builds it from the build folder, dpkg -x unpacks
# it into a temporary root, and the installed programs run there: the reader's
# --help, vantrel-dump info and vantrel-check on the installed demo guide.
# The desktop entry, icon, man pages and documentation are where menus and
# man look for them, and the package depends on Debian's Qt packages.
# Usage: install.sh BIN_DIR SOURCE_DIR
. "$(dirname "$0")/lib/dump.bash" "$@"
BUILD="$(cd "$1/.." && pwd)"

command -v cpack > /dev/null || { echo "cpack missing"; exit 1; }
command -v dpkg-deb > /dev/null || { echo "dpkg-deb missing"; exit 1; }
(cd "$WORK" && cpack -G DEB --config "$BUILD/CPackConfig.cmake" -B "$WORK/pkg" > "$WORK/cpack.log" 2>&1) ||
  { fail "cpack: $(tail -20 "$WORK/cpack.log")"; finish install; }
deb=$(ls "$WORK"/pkg/vantrel-guide_*.deb 2> /dev/null | head -1)
[ -n "$deb" ] || { fail "no vantrel-guide_*.deb in $(ls "$WORK/pkg")"; finish install; }

depends=$(dpkg-deb -f "$deb" Depends)
for p in libqt6widgets6 libqt6gui6 libqt6core6 qt6-qpa-plugins; do
  echo "$depends" | grep -q "\b$p\b" || fail "Depends lacks $p: $depends"
done
[ "$(dpkg-deb -f "$deb" Package)" = "vantrel-guide" ] || fail "package name"

ROOT="$WORK/root"
dpkg -x "$deb" "$ROOT" || fail "dpkg -x"
for f in usr/bin/vantrel-guide usr/bin/vantrel-dump usr/bin/vantrel-pack usr/bin/vantrel-userdata \
         usr/bin/vantrel-check usr/share/applications/vantrel-guide.desktop \
         usr/share/icons/hicolor/scalable/apps/vantrel-guide.svg usr/share/man/man1/vantrel-guide.1 \
         usr/share/man/man1/vantrel-check.1 usr/share/doc/vantrel-guide/README.md \
         usr/share/vantrel-guide/demo-guide/Qd07-Qd07-Data.pdb; do
  [ -e "$ROOT/$f" ] || fail "not installed: /$f"
done
ls "$ROOT/usr/bin" | grep -q "^test_" && fail "test programs installed"

"$ROOT/usr/bin/vantrel-guide" --help > "$WORK/help" 2>&1 || fail "installed vantrel-guide --help: $(cat "$WORK/help")"
grep -q "^Usage: vantrel-guide" "$WORK/help" || fail "--help text: $(head -3 "$WORK/help")"
DEMO_INSTALLED="$ROOT/usr/share/vantrel-guide/demo-guide"
"$ROOT/usr/bin/vantrel-dump" "$DEMO_INSTALLED" info > "$WORK/info" 2>&1 || fail "installed vantrel-dump info: $(cat "$WORK/info")"
grep -q "^objectCount: [1-9]" "$WORK/info" || fail "info output: $(head -5 "$WORK/info")"
"$ROOT/usr/bin/vantrel-check" "$DEMO_INSTALLED" > "$WORK/check" 2>&1 || fail "installed vantrel-check: $(tail -3 "$WORK/check")"
grep -q "^Exec=vantrel-guide" "$ROOT/usr/share/applications/vantrel-guide.desktop" || fail "desktop Exec"
if command -v desktop-file-validate > /dev/null; then
  desktop-file-validate "$ROOT/usr/share/applications/vantrel-guide.desktop" || fail "desktop file does not validate"
fi
head -1 "$ROOT/usr/share/man/man1/vantrel-check.1" | grep -q '^\.TH VANTREL-CHECK 1' || fail "man page header"

finish install

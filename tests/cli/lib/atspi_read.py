#!/usr/bin/python3
# Reads the reader as a screen reader would: through the AT-SPI accessibility
# bus, with pyatspi. Run inside a D-Bus session on an X server:
#   atspi_read.py GUIDE DEMO TABLE IMAGE
# The reader runs a script that shows the home page, the index at "K", a
# table and a picture, printing its state after each; while the reader
# waits, this reads the same page through AT-SPI and compares the texts a
# screen reader gets with the texts the state says are on screen.
import html
import json
import os
import re
import subprocess
import sys
import tempfile
import time

import pyatspi

GUIDE, DEMO, TABLE, IMAGE = sys.argv[1:5]
HOLD_MS = 6000  # how long the reader waits on each page while it is read

failures = []
shares = []


def fail(what):
    failures.append(what)
    print("FAIL: " + what, flush=True)


def plain(markup):
    """The text a screen reader should get for a markup text."""
    text = re.sub(r"<br\s*/?>", " ", markup or "", flags=re.I)
    text = re.sub(r"<[^>]*>", "", text)
    return " ".join(html.unescape(text).replace("\u00a0", " ").split())


def norm(text):
    return " ".join((text or "").replace("\u00a0", " ").split())


def showing(node):
    try:
        return node.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def walk(node, depth=0):
    """Every showing node below node (a hidden one hides its subtree)."""
    if node is None or depth > 40 or not showing(node):
        return
    yield node
    try:
        role = node.getRoleName()
        count = node.childCount
    except Exception:
        return
    if role == "table":
        return  # read through the table interface
    for i in range(min(count, 2000)):
        yield from walk(node.getChildAtIndex(i), depth + 1)


def find_app(timeout=30):
    end = time.time() + timeout
    while time.time() < end:
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and "vantrel" in (app.name or ""):
                return app
        time.sleep(0.2)
    return None


def nodes(app, role):
    return [n for n in walk(app) if n.getRoleName() == role]


def share(kind, expected, got):
    expected = [t for t in (norm(e) for e in expected) if t]
    got = set(norm(g) for g in got)
    hit = sum(1 for e in expected if e in got)
    shares.append((kind, hit, len(expected)))
    if hit != len(expected):
        missing = [e for e in expected if e not in got][:5]
        fail(f"{kind}: {hit} of {len(expected)} texts on screen reach a screen reader; missing {missing}")


def check_home(app, state):
    names = [n.name for n in nodes(app, "push button")]
    letters = [chr(c) for c in range(ord("A"), ord("Z") + 1)]
    got = [n for n in names if n in letters or n == "Contents"]
    if got != ["Contents"] + letters:
        fail(f"home: the letters and Contents in reading order, got {got}")
    bar = ["Guide menu", "Back", "History", "Forward", "Home", "Index", "Notes", "Bookmarks", "Abbreviations", "Exit"]
    if [n for n in names if n in bar] != bar:
        fail(f"home: the command bar's ten buttons, got {[n for n in names if n in bar]}")
    for n in nodes(app, "push button"):
        if n.name == "K":
            actions = n.queryAction()
            if "Press" not in [actions.getName(i) for i in range(actions.nActions)]:
                fail("home: the letter K has no Press action")
    share("home", letters + ["Contents"] + bar, names)


def check_index(app, state):
    section = state["viewers"].get("index", {})
    visible = section.get("visible", [])
    items = list_items(app)
    names = [c.name for c in items]
    selected = [c.name for c in items if c.getState().contains(pyatspi.STATE_SELECTED)]
    if section.get("selected", -1) >= 0 and len(selected) != 1:
        fail(f"index: one selected row expected, got {selected}")
    share("index", visible, names)


def list_items(app):
    lists = [n for n in nodes(app, "list") if n.childCount > 0]
    return [c for l in lists for c in (l.getChildAtIndex(i) for i in range(l.childCount)) if c is not None]


def check_key(app, state):
    share("key", state["viewers"].get("key", {}).get("visible", []), [c.name for c in list_items(app)])


def check_contents(app, state):
    rows = state["viewers"].get("contents", {}).get("rows", [])
    shown = [r["text"] for r in rows if r.get("y") is not None]
    share("contents", shown, [n.name for n in walk(app)])


def check_table(app, state):
    section = state["viewers"].get("table", {})
    tables = nodes(app, "table")
    if not tables:
        fail("table: no table role showing")
        return
    t = tables[0].queryTable()
    if (t.nRows, t.nColumns) != (section["rowCount"], section["columnCount"]):
        fail(f"table: {t.nRows}x{t.nColumns} through AT-SPI, {section['rowCount']}x{section['columnCount']} in the state")
    start = time.time()
    expected, got = [], []
    for r, row in enumerate(section["cells"]):
        for c, text in enumerate(row):
            cell = t.getAccessibleAt(r, c)
            expected.append(plain(text))
            got.append(norm(cell.name) if cell is not None else "")
    elapsed = time.time() - start
    mismatched = [(e, g) for e, g in zip(expected, got) if e != g]
    if mismatched:
        fail(f"table: cells differ {mismatched[:3]}")
    shares.append(("table", len(expected) - len(mismatched), len(expected)))
    print(f"table: {len(expected)} cells read in {elapsed * 1000:.0f} ms", flush=True)
    if any(n.name == "K" for n in nodes(app, "push button")):
        fail("table: the home page's letters are still showing")


def check_image(app, state):
    caption = state["viewers"].get("image", {}).get("caption", "")
    images = [n.name for n in nodes(app, "image")]
    headings = [n.name for n in nodes(app, "heading")]
    share("image", [caption], images)
    if norm(caption) not in [norm(h) for h in headings]:
        fail(f"image: the header {caption!r} is not a heading (headings {headings})")


def main():
    runtime = tempfile.mkdtemp()
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    time.sleep(0.5)
    env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_RUNTIME_DIR=runtime,
               QT_ACCESSIBILITY="1")
    pages = [("home", "navigate-key home", check_home),
             ("index", "navigate-key index_search 4b00", check_index),
             ("key", "navigate-key tools", check_key),
             ("contents", "navigate-key toc", check_contents),
             ("table", f"navigate {TABLE}", check_table),
             ("image", f"navigate {IMAGE}", check_image)]
    script = "".join(f"{go}\nwait 500\nstate\nwait {HOLD_MS}\n" for _, go, _ in pages) + "quit\n"
    reader = subprocess.Popen([GUIDE, "--data", DEMO, "--settings", os.path.join(runtime, "settings.ini"),
                               "--script", "-"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, env=env, text=True)
    reader.stdin.write(script)
    reader.stdin.close()
    try:
        app = None
        for name, _, check in pages:
            line = reader.stdout.readline()
            if not line:
                fail(f"{name}: the reader ended early")
                break
            state = json.loads(line)
            app = app or find_app()
            if app is None:
                fail("the reader does not appear on the accessibility bus")
                break
            check(app, state)
        reader.wait(timeout=HOLD_MS / 1000 * len(pages) + 30)
    finally:
        if reader.poll() is None:
            reader.kill()
        bus.terminate()
    for kind, hit, total in shares:
        print(f"share {kind}: {hit}/{total} = {100 * hit // max(total, 1)}%")
    print(f"{'screen reader: all checks passed' if not failures else f'screen reader: {len(failures)} check(s) failed'}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())

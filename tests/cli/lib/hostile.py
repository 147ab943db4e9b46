#!/usr/bin/env python3
"""Hostile and ordinary requests against a vantrel-serve on 127.0.0.1.
Usage: hostile.py PORT PAGE_OBJECT TABLE_OBJECT OBJECT_COUNT
Every request is bounded by a timeout; prints failures and exits 1 on any."""
import concurrent.futures
import http.client
import json
import socket
import sys

PORT = int(sys.argv[1])
PAGE, TABLE, COUNT = sys.argv[2], sys.argv[3], int(sys.argv[4])
failures = []


def get(path, headers=None):
    c = http.client.HTTPConnection("127.0.0.1", PORT, timeout=10)
    try:
        c.putrequest("GET", path, skip_accept_encoding=True)
        for k, v in (headers or {}).items():
            c.putheader(k, v)
        c.endheaders()
        r = c.getresponse()
        return r.status, dict(r.getheaders()), r.read()
    finally:
        c.close()


def raw(data):
    """Sends bytes as they are; answers the status line's code (0 when the server just closed)."""
    with socket.create_connection(("127.0.0.1", PORT), timeout=10) as s:
        s.sendall(data)
        reply = b""
        try:
            while b"\r\n" not in reply:
                chunk = s.recv(4096)
                if not chunk:
                    break
                reply += chunk
        except (ConnectionResetError, socket.timeout):
            pass
    parts = reply.split(b" ", 2)
    return int(parts[1]) if len(parts) > 1 and parts[1].isdigit() else 0


def expect(path, status, what=""):
    try:
        got, headers, body = get(path)
    except Exception as e:  # noqa: BLE001 - any failure is a finding
        failures.append(f"{path}: {e!r}")
        return None, None
    if got != status:
        failures.append(f"{path}: status {got}, expected {status} {what}")
    return headers, body


# Ordinary answers, with their caching headers.
headers, body = expect("/", 200)
if headers:
    etag = headers.get("ETag", "")
    if not etag.startswith('"') or "max-age" not in headers.get("Cache-Control", ""):
        failures.append(f"/: caching headers {headers}")
    status, _, _ = get("/", {"If-None-Match": etag})
    if status != 304:
        failures.append(f"If-None-Match: status {status}, expected 304")
for path in ("/index.html", "/search.html", "/contents.html", "/style.css", "/site.js", "/index.json",
             f"/o{TABLE}.html", "/api/index?q=", "/api/index?q=a"):
    expect(path, 200)
_, body = expect(f"/api/page/{PAGE}", 200)
if body is not None:
    page = json.loads(body)
    if page.get("object") != int(PAGE) or not page.get("html"):
        failures.append(f"/api/page/{PAGE}: {body[:200]!r}")
_, body = expect(f"/api/table/{TABLE}", 200)
if body is not None and json.loads(body).get("rowCount", 0) < 2:
    failures.append(f"/api/table/{TABLE}: {body[:200]!r}")
_, body = expect("/api/index?q=", 200)
if body is not None:
    d = json.loads(body)
    if d.get("row") != -1 or not 0 < len(d.get("rows", [])) <= 50:
        failures.append(f"/api/index?q=: {body[:200]!r}")
_, body = expect("/api/index?q=%C3%A9", 200)

# Indexes out of range, negative, huge, not numbers.
for path, status in ((f"/api/page/{COUNT + 6}", 404), (f"/api/page/{COUNT + 5}", 200), ("/api/page/-1", 400),
                     ("/api/page/4294967295", 404), ("/api/page/4294967296", 400),
                     ("/api/page/99999999999999999999999", 400), ("/api/page/1e3", 400), ("/api/page/", 400),
                     ("/api/page/0x10", 400), (f"/api/table/{COUNT}", 404), ("/api/table/0", 404),
                     ("/api/table/-5", 400), (f"/o{COUNT + 100}.html", 404), ("/o-1.html", 404),
                     ("/o99999999999999999999.html", 404), ("/api/search?q=x", 503), ("/api/nothing", 404)):
    expect(path, status)
# Path traversal, plain and encoded.
for path in ("/../../etc/passwd", "/..%2f..%2fetc%2fpasswd", "/%2e%2e/%2e%2e/etc/passwd", "/o1.html/../../x",
             "/.%2e/etc/passwd", "/%00", "/index.html%00.txt", "/api/page/1%00", "//etc/passwd",
             "/style.css/", "/.hidden", "/a/b/c"):
    try:
        status, _, body = get(path)
        if not 400 <= status < 500:
            failures.append(f"{path}: status {status}")
        if b"root:" in body:
            failures.append(f"{path}: answered a system file")
    except Exception as e:  # noqa: BLE001
        failures.append(f"{path}: {e!r}")
# Malformed percent-encoding, long query strings, bad UTF-8 in the query.
for path, status in (("/api/index?q=%", 200), ("/api/index?q=%zz", 200), ("/api/index?q=%C3", 400),
                     ("/api/index?q=%FF%FE", 400), ("/api/index?q=" + "a" * 600, 400),
                     ("/api/index?q=" + "%41" * 300, 200)):
    expect(path, status)
status = raw(b"GET /api/index?q=" + b"x" * 20000 + b" HTTP/1.1\r\nHost: a\r\n\r\n")
if not 400 <= status < 500 and status != 0:
    failures.append(f"a 20000-byte request line: status {status}")
for request in (b"GARBAGE\r\n\r\n", b"GET\r\n\r\n", b"GET / HTTP/1.1\r\nHost: a\r\nX: " + b"y" * 20000 + b"\r\n\r\n",
                b"POST /api/index HTTP/1.1\r\nHost: a\r\nContent-Length: 99999999\r\n\r\nabc",
                b"DELETE /index.html HTTP/1.1\r\nHost: a\r\n\r\n"):
    status = raw(request)
    if not (400 <= status < 500 or status == 0):
        failures.append(f"{request[:30]!r}: status {status}")

# Many connections at once, each with a few requests.
def burst(i):
    paths = ("/", f"/o{TABLE}.html", "/api/index?q=b", f"/api/page/{i % (COUNT + 6)}")
    return [get(p)[0] for p in paths]


with concurrent.futures.ThreadPoolExecutor(max_workers=64) as pool:
    try:
        results = list(pool.map(burst, range(128), timeout=60))
        bad = [s for r in results for s in r if s not in (200, 404)]
        if bad:
            failures.append(f"burst: statuses {sorted(set(bad))}")
    except Exception as e:  # noqa: BLE001
        failures.append(f"burst: {e!r}")

# Still answering after all that.
expect("/", 200, "after the hostile requests")
for f in failures:
    print("FAIL:", f)
print(f"hostile requests: {len(failures)} failure(s)")
sys.exit(1 if failures else 0)

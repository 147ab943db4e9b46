#!/usr/bin/env python3
"""Steady GET requests through a proxy on 127.0.0.1 until a stop file exists.
Usage: steady_client.py PORT STOP_FILE OUT_JSON PATH...
Four threads, each on its own keep-alive connection (a new one after any
error), ask for the paths in turn. Writes every answer as
[start, end, status, etag] (status 0: no answer) to OUT_JSON."""
import http.client
import json
import os
import sys
import threading
import time

PORT, STOP, OUT, PATHS = int(sys.argv[1]), sys.argv[2], sys.argv[3], sys.argv[4:]
results = []
lock = threading.Lock()
deadline = time.time() + 60  # never runs away, whatever the caller does


def worker(n):
    conn = None
    i = n
    mine = []
    while not os.path.exists(STOP) and time.time() < deadline:
        path = PATHS[i % len(PATHS)]
        i += 1
        start = time.time()
        status, etag = 0, ""
        try:
            if conn is None:
                conn = http.client.HTTPConnection("127.0.0.1", PORT, timeout=10)
            conn.request("GET", path)
            r = conn.getresponse()
            r.read()
            status, etag = r.status, r.getheader("ETag", "")
        except Exception:
            conn = None
        mine.append([start, time.time(), status, etag])
        time.sleep(0.002)
    with lock:
        results.extend(mine)


threads = [threading.Thread(target=worker, args=(n,)) for n in range(4)]
for t in threads:
    t.start()
for t in threads:
    t.join()
with open(OUT, "w") as f:
    json.dump(results, f)

#!/usr/bin/env python3
"""Load on the web catalogue: CLIENTS clients with a connection each (kept
alive) send REQUESTS requests in all; prints requests per second, the
median and the 99th percentile of the answer time, and the answers that
were not 200.

    web_load.py URL CLIENTS REQUESTS PATH [PATH...]

Each request takes the next PATH in turn (several PATHs: different searches,
which the server cannot answer from the results it keeps)."""
import http.client
import sys
import threading
import time
import urllib.parse


def main():
    url, clients, requests = sys.argv[1], int(sys.argv[2]), int(sys.argv[3])
    paths = sys.argv[4:]
    parts = urllib.parse.urlsplit(url)
    times, failures, lock = [], [], threading.Lock()
    counter = iter(range(requests))

    def client():
        conn = http.client.HTTPConnection(parts.hostname, parts.port, timeout=60)
        while True:
            with lock:
                n = next(counter, None)
            if n is None:
                break
            path = paths[n % len(paths)]
            start = time.perf_counter()
            try:
                conn.request("GET", path)
                response = conn.getresponse()
                response.read()
                status = response.status
            except Exception as e:  # a dropped connection is counted, then reopened
                status = repr(e)
                conn.close()
                conn = http.client.HTTPConnection(parts.hostname, parts.port, timeout=60)
            elapsed = time.perf_counter() - start
            with lock:
                times.append(elapsed)
                if status != 200:
                    failures.append(status)
        conn.close()

    threads = [threading.Thread(target=client) for _ in range(clients)]
    began = time.perf_counter()
    for t in threads:
        t.start()
    for t in threads:
        t.join()
    wall = time.perf_counter() - began
    times.sort()
    p = lambda q: times[min(len(times) - 1, int(q * len(times)))] * 1000
    print(f"{len(times)} requests, {clients} clients, {wall:.1f} s: {len(times) / wall:.0f} requests/s, "
          f"median {p(0.5):.1f} ms, p99 {p(0.99):.1f} ms, max {times[-1] * 1000:.1f} ms, not 200: {len(failures)}")
    return 1 if failures or len(times) != requests else 0


if __name__ == "__main__":
    sys.exit(main())

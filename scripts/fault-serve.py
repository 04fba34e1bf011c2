#!/usr/bin/python3
"""A fault run against one tolvex serve: random and mutated requests, then a normal one.

  scripts/fault-serve.py [--requests 20000] [--tolvex build/tolvex] [--seed N]

Bodies are the examples (XML, their JSON forms, their encoded texts) and the server's own
pictures and PDFs, mutated (bytes flipped, cut, repeated, inserted) or replaced by noise; with
random types, options, headers, methods and paths, and some requests that are not HTTP at all.
Fails unless: the server never dies, no answer is a 5xx other than 503, every failure is in the
one JSON shape, and a normal request still answers at the end.
"""

import argparse
import http.client
import json
import os
import random
import re
import socket
import subprocess
import sys
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
PATHS = ["/v1/encode", "/v1/pictures", "/v1/check", "/v1/decode", "/v1/read", "/healthz", "/readyz", "/metrics",
         "/openapi.json", "/", "/v1/", "/v1/encode/x", "/%00", "/..%2f..%2fetc/passwd", "//v1/check"]
TYPES = ["application/xml", "application/json", "text/plain", "image/png", "image/jpeg", "application/pdf",
         "text/xml; charset=utf-8", "application/octet-stream", "multipart/form-data; boundary=x", "", "x/y"]
OPTIONS = {"format": ["png", "svg", "pdf", "gif", ""], "size": ["1", "300", "8000", "8001", "-1", "1e3", "abc"],
           "logo": ["true", "false", "yes"], "placement": ["bottom", "top", "left", "right", "middle"],
           "colour": ["dark", "medium", "light", "gray", "red"], "frame": ["true", "false", "0"],
           "file": ["/etc/passwd"], "logoDir": ["/tmp"]}


def start(tolvex):
    server = subprocess.Popen([tolvex, "serve", "--listen=127.0.0.1:0", "--quiet", f"--logo-dir={ROOT}/logo"],
                              stderr=subprocess.PIPE, text=True)
    match = re.search(r"127\.0\.0\.1:(\d+)/", server.stderr.readline())
    if not match:
        sys.exit("fault-serve: the server did not start")
    return server, int(match.group(1))


def request(port, method, path, body=b"", headers=None, timeout=30):
    connection = http.client.HTTPConnection("127.0.0.1", port, timeout=timeout)
    try:
        connection.request(method, path, body=body, headers=headers or {})
        response = connection.getresponse()
        return response.status, response.getheader("Content-Type", ""), response.read()
    finally:
        connection.close()


def materials(port):
    bodies = {"xml": [], "json": [], "text": [], "png": [], "pdf": [], "svg": []}
    for name in sorted(os.listdir(os.path.join(ROOT, "examples"))):
        if not name.endswith(".xml"):
            continue
        with open(os.path.join(ROOT, "examples", name), "rb") as f:
            xml = f.read()
        bodies["xml"].append(xml)
        text = json.loads(request(port, "POST", "/v1/encode", xml, {"Content-Type": "application/xml"})[2])["text"]
        bodies["text"].append(text.encode())
        bodies["json"].append(request(port, "POST", "/v1/decode", text.encode(), {"Content-Type": "text/plain"})[2])
        for kind in ("png", "pdf", "svg"):
            bodies[kind].append(request(port, "POST", f"/v1/pictures?format={kind}", xml,
                                        {"Content-Type": "application/xml"})[2])
    return bodies


def mutate(rng, data):
    data = bytearray(data)
    for _ in range(rng.randint(1, 8)):
        if not data:
            data += bytes([rng.randrange(256)])
            continue
        at = rng.randrange(len(data))
        kind = rng.randrange(6)
        if kind == 0:
            data[at] = rng.randrange(256)
        elif kind == 1:
            del data[at:at + rng.randint(1, 64)]
        elif kind == 2:
            data[at:at] = bytes(rng.randrange(256) for _ in range(rng.randint(1, 16)))
        elif kind == 3:
            data[at:at] = data[at:at + rng.randint(1, 256)] * rng.randint(1, 8)
        elif kind == 4:
            data = data[:at]
        else:
            data[at:at] = rng.choice([b"<", b">", b"&#0;", b"]]>", b"{", b"}", b"\"", b"\\u0000", b"&lt;", b"\xff\xfe"])
    return bytes(data)


def one(rng, port, bodies, tally, lock):
    roll = rng.random()
    if roll < 0.03:  # not HTTP, or HTTP broken at the request line
        line = rng.choice([b"\x16\x03\x01\x02\x00", b"GET\r\n\r\n", b"POST /v1/check HTTP/9.9\r\n\r\n",
                           b"GET /" + b"a" * rng.randint(8000, 20000) + b" HTTP/1.1\r\n\r\n",
                           bytes(rng.randrange(256) for _ in range(rng.randint(1, 300)))])
        with socket.create_connection(("127.0.0.1", port), timeout=10) as s:
            s.sendall(line + b"\r\n\r\n")
            answer = b""
            try:
                while True:  # until closed, or the whole answer is there
                    piece = s.recv(65536)
                    answer += piece
                    head, _, body = answer.partition(b"\r\n\r\n")
                    length = re.search(rb"Content-Length: (\d+)", head)
                    if not piece or (length and len(body) >= int(length.group(1))):
                        break
            except (socket.timeout, ConnectionResetError):
                pass
        status = int(answer[9:12]) if answer.startswith(b"HTTP/1.1 ") else 0
        check(status, answer.split(b"\r\n\r\n", 1)[-1] if status else b"", "raw", tally, lock)
        return
    path = rng.choice(PATHS[:5]) if rng.random() < 0.85 else rng.choice(PATHS)
    # Mostly the kind of body the path takes, so that the mutations reach the readers.
    fitting = ["png", "pdf"] if path == "/v1/read" else ["text"] if path == "/v1/decode" else ["xml", "json", "text"]
    kind = rng.choice(fitting if rng.random() < 0.8 else list(bodies))
    body = rng.choice(bodies[kind])
    if rng.random() < 0.85:
        body = mutate(rng, body)
    if rng.random() < 0.05:
        body = os.urandom(rng.randint(0, 5000))
    if rng.random() < 0.005:
        body = body * (2 + (1 << 20) // max(len(body), 1))  # past the 1 MiB bound
    query = "&".join(f"{k}={rng.choice(v)}" for k, v in rng.sample(sorted(OPTIONS.items()), rng.randint(0, 4)))
    headers = {"Content-Type": rng.choice(TYPES) if rng.random() < 0.3 else
               {"xml": "application/xml", "json": "application/json", "text": "text/plain", "png": "image/png",
                "pdf": "application/pdf", "svg": "application/xml"}[kind]}
    if rng.random() < 0.2:
        headers["Accept"] = rng.choice(["application/xml", "text/plain", "*/*", "application/json", "\x01"])
    if rng.random() < 0.1:
        headers["X-" + str(rng.randrange(1000))] = "v" * rng.randint(0, 9000)
    if rng.random() < 0.05:
        headers["Authorization"] = rng.choice(["Bearer ", "Bearer x", "Basic abc"])
    method = "POST" if rng.random() < 0.9 else rng.choice(["GET", "PUT", "DELETE", "PATCH", "OPTIONS"])
    try:
        status, _, answer = request(port, method, path + ("?" + query if query else ""), body, headers)
    except (ConnectionError, http.client.HTTPException, socket.timeout) as error:
        with lock:
            tally["connection errors"] = tally.get("connection errors", 0) + 1
            tally.setdefault("examples", []).append(f"{method} {path}: {error!r}")
        return
    check(status, answer, path, tally, lock)


def check(status, answer, path, tally, lock):
    with lock:
        tally[status] = tally.get(status, 0) + 1
        if status >= 500 and status != 503:
            tally.setdefault("bad", []).append(f"{status} for {path}: {answer[:200]!r}")
        if status >= 400:
            try:
                shape = json.loads(answer)
                error = shape["error"]
                assert isinstance(shape["diagnostics"], list)
                assert all(isinstance(error[m], str) for m in ("name", "message", "detail", "errorLine"))
                assert isinstance(error["code"], int)
            except Exception:  # noqa: BLE001 - any deviation from the shape is the finding
                tally.setdefault("bad", []).append(f"{status} for {path} not in the shape: {answer[:200]!r}")


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--requests", type=int, default=20000)
    parser.add_argument("--tolvex", default=os.path.join(ROOT, "build", "tolvex"))
    parser.add_argument("--seed", type=int, default=24)
    parser.add_argument("--threads", type=int, default=4)
    arguments = parser.parse_args()
    for name in ("http_proxy", "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "all_proxy", "ALL_PROXY"):
        os.environ.pop(name, None)

    server, port = start(arguments.tolvex)
    started = time.monotonic()
    tally, lock = {}, threading.Lock()
    try:
        bodies = materials(port)
        per_thread = arguments.requests // arguments.threads

        def run(index):
            rng = random.Random(arguments.seed * 1000 + index)
            for _ in range(per_thread):
                one(rng, port, bodies, tally, lock)

        threads = [threading.Thread(target=run, args=(i,)) for i in range(arguments.threads)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        alive = server.poll() is None
        status, _, body = request(port, "POST", "/v1/encode", bodies["xml"][0], {"Content-Type": "application/xml"})
        still_answers = status == 200 and b'"text"' in body
    finally:
        server.terminate()
        code = server.wait(timeout=30)
    statuses = {k: v for k, v in sorted(tally.items(), key=lambda item: str(item[0])) if isinstance(k, int)}
    print(f"fault-serve: {per_thread * arguments.threads} requests in {time.monotonic() - started:.0f} s; "
          f"statuses {statuses}; connection errors {tally.get('connection errors', 0)}")
    for line in tally.get("examples", [])[:5]:
        print("fault-serve: connection error:", line)
    bad = tally.get("bad", [])
    for line in bad[:20]:
        print("fault-serve: FAIL", line)
    print(f"fault-serve: server alive after the run: {alive}; a normal request answers: {still_answers}; "
          f"exit status after SIGTERM: {code}")
    return 0 if alive and still_answers and not bad and code == 0 else 1


if __name__ == "__main__":
    sys.exit(main())

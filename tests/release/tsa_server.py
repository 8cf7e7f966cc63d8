"""A time-stamp authority for the signing test, on 127.0.0.1 only.

    tsa_server.py <folder> [lifetime seconds]

<folder> holds tsa.pem (a certificate with extendedKeyUsage critical,
timeStamping), tsa.key, ca.pem (its issuer, sent along in the reply) and
ts.cnf (the `openssl ts` configuration). The server takes a free port, prints
"port <n>" as its first line, and answers each POST with `openssl ts -reply`
for the RFC 3161 request in its body. POST /garbage answers 200 with bytes
that are no time-stamp reply, as a broken or misconfigured authority would;
POST /then-garbage answers its first request properly and garbage after
that, an authority that fails between two requests.

It stops on SIGTERM, when its standard input closes (the test that started
it is gone) and by itself after its lifetime, so no server outlives a test
for long, whatever happened to the test.
"""
import http.server
import signal
import subprocess
import sys
import tempfile
import threading
from pathlib import Path

GARBAGE = b"<html><body>502 Bad Gateway</body></html>\n" * 4
MAX_REQUEST = 64 * 1024  # an RFC 3161 request is a few hundred bytes


class Authority(http.server.BaseHTTPRequestHandler):
    folder: Path
    served = set()  # the paths that have had a proper reply

    def do_POST(self):
        length = int(self.headers.get("Content-Length") or 0)
        if not 0 < length <= MAX_REQUEST:
            return self.answer(400, b"", "text/plain")
        query = self.rfile.read(length)
        if self.path == "/garbage" or (self.path == "/then-garbage" and self.path in self.served):
            return self.answer(200, GARBAGE, "application/timestamp-reply")
        self.served.add(self.path)
        with tempfile.TemporaryDirectory() as scratch:
            request, reply = Path(scratch, "request.tsq"), Path(scratch, "reply.tsr")
            request.write_bytes(query)
            f = self.folder
            made = subprocess.run(
                ["openssl", "ts", "-reply", "-config", f / "ts.cnf", "-queryfile", request,
                 "-signer", f / "tsa.pem", "-inkey", f / "tsa.key", "-chain", f / "ca.pem", "-out", reply],
                cwd=f, capture_output=True, timeout=30)
            if made.returncode != 0 or not reply.exists():
                sys.stderr.buffer.write(made.stderr)
                return self.answer(500, b"", "text/plain")
            self.answer(200, reply.read_bytes(), "application/timestamp-reply")

    def answer(self, status, body, content_type):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, format, *args):
        sys.stderr.write("tsa: " + format % args + "\n")


def main():
    Authority.folder = Path(sys.argv[1]).resolve()
    lifetime = float(sys.argv[2]) if len(sys.argv) > 2 else 900
    server = http.server.HTTPServer(("127.0.0.1", 0), Authority)
    server.timeout = 1
    stop = threading.Event()
    signal.signal(signal.SIGTERM, lambda *_: stop.set())
    threading.Thread(target=lambda: (sys.stdin.read(), stop.set()), daemon=True).start()
    timer = threading.Timer(lifetime, stop.set)
    timer.daemon = True
    timer.start()
    print(f"port {server.server_address[1]}", flush=True)
    try:
        while not stop.is_set():
            server.handle_request()
    finally:
        server.server_close()


if __name__ == "__main__":
    main()

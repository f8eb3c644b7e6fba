#!/usr/bin/env python3
"""A stand-in for Open-Meteo's forecast API on 127.0.0.1, for the tests.

The first segment of the path picks the answer: /ok/v1/forecast?... gives
data/weather/ok.json, /too_many/v1/forecast gives HTTP 429, /hang accepts
and never answers, and so on (ANSWERS below). Run alone, it prints its port
on the first line of standard output and serves until standard input closes;
the tests that are Python start it in a thread with start().
"""
import http.server
import os
import select
import sys
import threading

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "data", "weather")
JSON = "application/json; charset=utf-8"

# scenario: (status, content type, file in DATA or bytes)
ANSWERS = {
    "ok": (200, JSON, "ok.json"),
    "mountain": (200, JSON, "mountain.json"),
    "bad_request": (400, JSON, "bad_request.json"),
    "too_many": (429, JSON, "too_many.json"),
    "server_error": (503, "text/plain", b"Service Unavailable\n"),
    "html": (200, "text/html; charset=utf-8", "html.html"),
    "html_as_json": (200, JSON, "html.html"),
    "truncated": (200, JSON, "truncated.json"),
    "malformed": (200, JSON, "malformed.json"),
    "missing_temperature": (200, JSON, "missing_temperature.json"),
    "missing_humidity": (200, JSON, "missing_humidity.json"),
    "missing_pressure": (200, JSON, "missing_pressure.json"),
    "missing_pressure_msl": (200, JSON, "missing_pressure_msl.json"),
    "missing_time": (200, JSON, "missing_time.json"),
    "temperature_out_of_range": (200, JSON, "temperature_out_of_range.json"),
    "humidity_out_of_range": (200, JSON, "humidity_out_of_range.json"),
    "pressure_out_of_range": (200, JSON, "pressure_out_of_range.json"),
    "pressure_in_inhg": (200, JSON, "pressure_in_inhg.json"),
    "huge": (200, JSON, b"[" + b"0," * 100000 + b"0]"),
}

# How long a hanging answer holds the connection at most, so that the
# server always stops by itself.
HANG_S = 30


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):  # quiet: the tests read their own output
        pass

    def send(self, status, ctype, body, extra=()):
        self.send_response(status)
        self.send_header("Content-Type", ctype)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def do_GET(self):
        scenario, _, rest = self.path.lstrip("/").partition("/")
        host, port = self.server.server_address[:2]
        if scenario == "hang":
            # Accepted, read, never answered: wait until the client gives up.
            select.select([self.connection], [], [], HANG_S)
            self.close_connection = True
            return
        if scenario == "redirect_off_host":
            where = "http://127.0.0.2:%d/ok/%s" % (port, rest)
            return self.send(302, "text/plain", b"moved\n", [("Location", where)])
        if scenario == "redirect_same_host":
            return self.send(301, "text/plain", b"moved\n", [("Location", "/ok/" + rest)])
        answer = ANSWERS.get(scenario)
        if answer is None:
            return self.send(404, "text/plain", b"not found\n")
        status, ctype, body = answer
        if isinstance(body, str):
            with open(os.path.join(DATA, body), "rb") as f:
                body = f.read()
        self.send(status, ctype, body)


class Server(http.server.ThreadingHTTPServer):
    daemon_threads = True


def start():
    """A server on a free port of 127.0.0.1, serving in a thread."""
    server = Server(("127.0.0.1", 0), Handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


if __name__ == "__main__":
    server = start()
    print(server.server_address[1], flush=True)
    sys.stdin.read()
    server.shutdown()

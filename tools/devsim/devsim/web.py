# SPDX-License-Identifier: MIT
"""HTTP transport of the device's web server.

Requests are read by hand so that every byte the client sends is seen: the
head, Content-Length bytes of body, and whatever else arrives shortly after
(the client's login request carries two bytes more than it declares).
Every reply is HTTP/1.0 and the connection is closed after it.
"""

import socket
import socketserver
import threading
import time
from dataclasses import dataclass

from . import pages

HEAD_END = b"\r\n\r\n"
HEAD_LIMIT = 64 * 1024
BODY_LIMIT = 1024 * 1024
READ_TIMEOUT = 10.0   # for the head and the declared body together
LINGER = 0.1          # how long to wait for bytes beyond the declared body
SEND_TIMEOUT = 30.0   # a client that stops reading for this long is dropped
CHUNK = 64 * 1024
POLL_INTERVAL = 0.2   # how often the serving thread looks for a stop request

_REASONS = {200: "OK", 404: "Not Found", 500: "Internal Server Error"}


@dataclass
class Request:
    method: str
    path: str
    version: str
    headers: list
    body: bytes       # every byte after the blank line
    declared: bytes   # the first Content-Length bytes of body (all of it without the header)

    def header(self, name):
        """Value of the first header called name, compared case-insensitively."""
        wanted = name.lower()
        return next((value for key, value in self.headers if key.lower() == wanted), None)


def _chunks(sock, deadline):
    """Yields what the client sends until it closes, an error or the deadline."""
    while (remaining := deadline - time.monotonic()) > 0:
        sock.settimeout(remaining)
        try:
            chunk = sock.recv(CHUNK)
        except OSError:
            return
        if not chunk:
            return
        yield chunk


def _receive_until(sock, buf, deadline, enough):
    """Appends received bytes to buf until enough(buf), end of stream or deadline."""
    if enough(buf):
        return
    for chunk in _chunks(sock, deadline):
        buf += chunk
        if enough(buf):
            return


def _parse_head(head):
    lines = head.decode("latin-1").split("\r\n")
    method, path, version = (lines[0].split(" ", 2) + ["", ""])[:3]
    headers = []
    for line in lines[1:]:
        name, sep, value = line.partition(":")
        if sep:
            headers.append([name.strip(), value.strip()])
    return method, path, version, headers


def _content_length(request):
    text = request.header("Content-Length")
    if text is None or not text.isdigit():
        return None
    return min(int(text), BODY_LIMIT)


def read_request(sock):
    """Reads one request; returns (all bytes received, Request or None if the
    head never completed)."""
    buf = bytearray()
    deadline = time.monotonic() + READ_TIMEOUT
    _receive_until(sock, buf, deadline, lambda b: HEAD_END in b or len(b) > HEAD_LIMIT)
    head_end = buf.find(HEAD_END)
    if head_end < 0:
        return bytes(buf), None
    start = head_end + len(HEAD_END)
    request = Request(*_parse_head(bytes(buf[:head_end])), body=b"", declared=b"")
    length = _content_length(request)
    if length is not None:
        _receive_until(sock, buf, deadline, lambda b: len(b) - start >= length)
    _receive_until(sock, buf, time.monotonic() + LINGER, lambda b: False)
    request.body = bytes(buf[start:])
    request.declared = request.body if length is None else request.body[:length]
    return bytes(buf), request


def _head(status, length):
    return (f"HTTP/1.0 {status} {_REASONS[status]}\r\n"
            "Content-Type: text/html\r\n"
            f"Content-Length: {length}\r\n\r\n").encode("ascii")


def send(sock, status, body):
    """Sends a complete reply; a client gone away is not an error."""
    sock.settimeout(SEND_TIMEOUT)
    try:
        sock.sendall(_head(status, len(body)) + body)
    except OSError:
        pass


def stream_filler(sock, size):
    """Sends a 200 reply with size bytes of filler, one chunk at a time, so that
    even hundreds of megabytes never sit in memory.  Stops when the client closes."""
    chunk = pages.filler(CHUNK)
    sock.settimeout(SEND_TIMEOUT)
    try:
        sock.sendall(_head(200, size))
        for offset in range(0, size, CHUNK):
            sock.sendall(chunk[:size - offset])
    except OSError:
        pass


def wait_for_close(sock, limit):
    """Keeps the connection open without answering until the client closes it
    or limit seconds have passed; anything the client sends is discarded."""
    for _ in _chunks(sock, time.monotonic() + limit):
        pass


class _ConnectionHandler(socketserver.BaseRequestHandler):
    def handle(self):
        self.server.serve_connection(self.request)


class WebServer(socketserver.ThreadingTCPServer):
    """Listens at address and runs serve_connection(sock) for each connection
    in a thread of its own; the connection is closed when it returns."""

    allow_reuse_address = True
    daemon_threads = True

    def __init__(self, address, serve_connection):
        self.address_family = socket.AF_INET6 if ":" in address[0] else socket.AF_INET
        self.serve_connection = serve_connection
        super().__init__(address, _ConnectionHandler)


class WebService:
    """The web server on a fixed address, which can stop listening for a
    while (a restarting device) and listen again on the same port."""

    def __init__(self, host, port, serve_connection):
        self._host = host
        self._serve_connection = serve_connection
        self._server = None
        self._lock = threading.Lock()
        self.port = port
        self.start()

    def start(self):
        with self._lock:
            try:
                server = WebServer((self._host, self.port), self._serve_connection)
            except OSError as err:
                raise OSError(err.errno,
                              f"cannot listen on web port {self._host} {self.port}: {err.strerror}") from None
            self.port = server.server_address[1]
            threading.Thread(target=server.serve_forever, args=(POLL_INTERVAL,), name="web", daemon=True).start()
            self._server = server

    def stop(self):
        """Closes the listening socket; connections already accepted go on."""
        with self._lock:
            if self._server is not None:
                self._server.shutdown()
                self._server.server_close()
                self._server = None

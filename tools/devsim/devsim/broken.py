# SPDX-License-Identifier: MIT
"""Replies that break HTTP on purpose: a head cut short, a body that trickles,
and scripted raw bytes that end in a close, a reset or a stall."""

import fcntl
import socket
import struct
import termios
import time

from . import web

CUT_HEADERS = b"HTTP/1.0 200 OK\r\nContent-Ty"
DRIP_LENGTH = 1_000_000
DRIP_HEAD = (b"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: %d\r\n\r\n" % DRIP_LENGTH)
DRIP_INTERVAL = 1.0      # seconds between two body bytes unless the reply names another
ALPHABET = b"abcdefghijklmnopqrstuvwxyz"
RAW_CHUNK = ALPHABET * 2520   # a multiple of 26 long, so every chunk starts with 'a'
STALL_LIMIT = 120.0
DRAIN_LIMIT = 2.0        # how long a reset waits for the bytes before it to leave
DRAIN_POLL = 0.01


def cut_headers(sock):
    """Sends the start of a reply head and nothing more."""
    sock.settimeout(web.SEND_TIMEOUT)
    try:
        sock.sendall(CUT_HEADERS)
    except OSError:
        pass


def _client_closed_within(sock, seconds):
    """Waits up to seconds; True as soon as the client closes or resets the
    connection.  Whatever it sends meanwhile is discarded."""
    deadline = time.monotonic() + seconds
    while (remaining := deadline - time.monotonic()) > 0:
        sock.settimeout(remaining)
        try:
            if not sock.recv(4096):
                return True
        except TimeoutError:
            return False
        except OSError:
            return True
    return False


def drip(sock, interval):
    """Announces a body of DRIP_LENGTH bytes and sends it one letter every
    interval seconds, until the client goes away."""
    sock.settimeout(web.SEND_TIMEOUT)
    try:
        sock.sendall(DRIP_HEAD)
        for index in range(DRIP_LENGTH):
            if _client_closed_within(sock, interval):
                return
            sock.settimeout(web.SEND_TIMEOUT)
            sock.sendall(ALPHABET[index % 26:index % 26 + 1])
    except OSError:
        pass


def _wait_until_sent(sock, limit):
    """Waits until the kernel has handed every queued byte to the client, so
    that a reset does not discard them; gives up after limit seconds."""
    deadline = time.monotonic() + limit
    queued = struct.pack("i", 0)
    while time.monotonic() < deadline:
        if struct.unpack("i", fcntl.ioctl(sock.fileno(), termios.TIOCOUTQ, queued))[0] == 0:
            return
        time.sleep(DRAIN_POLL)


def reset(sock):
    """Closes the connection with SO_LINGER 0: the client gets a reset, not
    an orderly end."""
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    sock.close()


def raw(sock, script):
    """Sends script.data, then script.filler bytes of the alphabet over and
    over, then ends as script.then says.  Stops quietly when the client goes away."""
    sock.settimeout(web.SEND_TIMEOUT)
    try:
        sock.sendall(script.data)
        for offset in range(0, script.filler, len(RAW_CHUNK)):
            sock.sendall(RAW_CHUNK[:script.filler - offset])
    except OSError:
        return
    if script.then == "reset":
        _wait_until_sent(sock, DRAIN_LIMIT)
        reset(sock)
    elif script.then == "stall":
        web.wait_for_close(sock, STALL_LIMIT)

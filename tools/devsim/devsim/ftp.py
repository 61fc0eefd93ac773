# SPDX-License-Identifier: MIT
"""The device's FTP server in download mode, with scripted faults.

It runs on a pyftpdlib IO loop in a thread of its own.  The listening socket
is bound when the simulator starts, so the port is known and held from the
beginning, but it only starts listening here, when download mode begins.
"""

import os
import socket
import threading
import warnings
from dataclasses import dataclass

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer

from .ftp_data import DeviceDTPHandler, TransferActiveDTP
from .ftp_faults import FAULT_LIMIT

POLL_INTERVAL = 0.2
STOP_TIMEOUT = 5.0
PERMISSIONS = "elradfmwMT"
GREETING_421 = "421 Too many connections, try again later."


def reserve_port(host, port):
    """A socket bound to the FTP port but not listening: the port is taken,
    and connections to it are refused until download mode."""
    sock = socket.socket(socket.AF_INET6 if ":" in host else socket.AF_INET, socket.SOCK_STREAM)
    sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    try:
        sock.bind((host, port))
    except OSError as err:
        sock.close()
        raise OSError(err.errno, f"cannot take FTP port {host} {port}: {err.strerror}") from None
    return sock


class _DeviceFTPHandler(FTPHandler):
    """Control connection: records every command and every transfer outcome,
    and plays the session faults."""

    dtp_handler = DeviceDTPHandler
    use_sendfile = False          # a stalled download must pass through send()
    auth_failed_timeout = 0.1
    banner = "FTP server ready."
    transcript = None             # transcript, faults, allow_passive and on_firmware_session_end are set by FtpService
    faults = None
    allow_passive = False
    on_firmware_session_end = None   # called when a session that stored the firmware ends
    firmware_stored = False
    _port_target = None           # (ip, port) of the last PORT/EPRT, connected to at the transfer

    def handle(self):
        if not self.faults.greeting_421:
            super().handle()
            return
        self.transcript.record(proto="ftp", event="greeting-421")
        self.respond(GREETING_421)
        self.close_when_done()

    def close(self):
        ending = not self._closed
        super().close()
        if ending and self.firmware_stored and self.on_firmware_session_end is not None:
            self.on_firmware_session_end()

    def record_firmware_stored(self):
        self.firmware_stored = True

    def pre_process_command(self, line, cmd, arg):
        self.transcript.record(proto="ftp", cmd=cmd, arg=arg)
        super().pre_process_command(line, cmd, arg)

    def record_file_event(self, event, path, **details):
        self.transcript.record(proto="ftp", event=event, file=os.path.basename(path), **details)

    # Active mode: PORT and EPRT are checked by the base class, which then asks
    # active_dtp for the connection; the device answers at once and connects
    # only when a transfer command has queued something to move.
    def active_dtp(self, ip, port, _channel):
        self._port_target = (ip, port)
        self.respond("200 PORT command successful.")

    def ftp_PASV(self, line):
        if not self.allow_passive:
            self.respond("502 Passive mode not supported.")
            return
        super().ftp_PASV(line)

    def ftp_EPSV(self, line):
        if not self.allow_passive:
            self.respond("502 Passive mode not supported.")
            return
        super().ftp_EPSV(line)

    def _shutdown_connecting_dtp(self):
        super()._shutdown_connecting_dtp()
        self._port_target = None

    def process_command(self, cmd, *args, **kwargs):
        super().process_command(cmd, *args, **kwargs)
        if self._closed or self._port_target is None:
            return
        if self._in_dtp_queue is not None or self._out_dtp_queue is not None:
            ip, port = self._port_target
            self._port_target = None
            self._dtp_connector = TransferActiveDTP(ip, port, self)

    def ftp_STOR(self, file, mode="w"):
        if "no-data-connection" in self.faults.session:
            return self._withhold_data_connection(file)
        if self.faults.stor_fault(os.path.basename(file)) != "refuse":
            return super().ftp_STOR(file, mode)
        self.record_file_event("refused", file)
        if self.data_channel is not None:
            self.data_channel.close()
        self.respond("552 Requested file action aborted: storage full.")
        return None

    def ftp_RETR(self, file):
        if "no-data-connection" in self.faults.session:
            return self._withhold_data_connection(file)
        if self.faults.retr_fault(os.path.basename(file)) == "late-425":
            return self._late_425(file)
        return super().ftp_RETR(file)

    def _withhold_data_connection(self, file):
        """Promises the transfer and then neither makes the data connection
        nor answers again; the session ends when the client gives up."""
        self.record_file_event("no-data-connection", file)
        self.respond("150 Opening data connection.")
        self.call_later(FAULT_LIMIT, self.close)

    def _late_425(self, file):
        """Promises the transfer, then, without any data connection, reports
        after a delay that it could not open one; the session goes on. Like a
        device that handles one command at a time, it reads no further
        command until the 425 is out: a client that moves on sooner finds
        the 425 waiting as the reply to its next command."""
        self.record_file_event("late-425", file)
        self.respond("150 Opening data connection.")
        self._hold_commands()
        self.call_later(self.faults.late_reply_delay, self._give_up_data_connection)

    def _hold_commands(self):
        self.ioloop.modify(self._fileno, 0)
        self._wanted_io_events = 0

    def _give_up_data_connection(self):
        self._shutdown_connecting_dtp()
        if self.data_channel is not None:
            self.data_channel.close()
        self.respond("425 Can't open data connection.")
        if not self._closed:
            self.ioloop.modify(self._fileno, self.ioloop.READ)
            self._wanted_io_events = self.ioloop.READ

    def ftp_QUIT(self, line):
        if "quit-unanswered" not in self.faults.session:
            return super().ftp_QUIT(line)
        self.transcript.record(proto="ftp", event="quit-unanswered")
        self.call_later(FAULT_LIMIT, self.close)
        return None

    # Logins are recorded before the reply, unlike pyftpdlib's on_login callbacks.
    def handle_auth_success(self, home, password, msg_login):
        self.transcript.record(proto="ftp", event="login", user=self.username)
        super().handle_auth_success(home, password, msg_login)

    def handle_auth_failed(self, msg, password):
        self.transcript.record(proto="ftp", event="login-refused", user=self.username)
        super().handle_auth_failed(msg, password)


class _RefusingAuthorizer(DummyAuthorizer):
    def validate_authentication(self, username, password, handler):
        raise AuthenticationFailed("Login refused.")


def _authorizer(root, refuse_login, user):
    """Anonymous access and, if user is a (name, password) pair, that account,
    both with read and write access to root."""
    authorizer = _RefusingAuthorizer() if refuse_login else DummyAuthorizer()
    with warnings.catch_warnings():
        # pyftpdlib warns about anonymous write access; the device grants exactly that.
        warnings.simplefilter("ignore", RuntimeWarning)
        authorizer.add_anonymous(root, perm=PERMISSIONS)
    if user is not None:
        authorizer.add_user(user[0], user[1], root, perm=PERMISSIONS)
    return authorizer


@dataclass
class FtpOptions:
    """How the FTP server behaves, apart from its faults."""
    user: tuple = None          # (name, password) of an account besides anonymous
    throttle: int = None        # bytes per second of a data transfer, either way
    allow_passive: bool = False


class FtpService:
    """The FTP server on an already bound socket, started on demand and
    stopped again when the device leaves download mode."""

    def __init__(self, sock, root, faults, transcript, options):
        self._sock = sock
        self._handler = type("DeviceFTPHandler", (_DeviceFTPHandler,), {
            "authorizer": _authorizer(root, faults.refuse_login, options.user),
            "dtp_handler": type("DeviceDTP", (DeviceDTPHandler,), {"rate": options.throttle}),
            "faults": faults,
            "transcript": transcript,
            "allow_passive": options.allow_passive,
        })
        self._stop = None
        self._thread = None

    def call_when_firmware_session_ends(self, callback):
        """callback() runs on the server's thread whenever a control connection
        that stored the firmware closes."""
        self._handler.on_firmware_session_end = staticmethod(callback)

    def start(self):
        server = FTPServer(self._sock, self._handler, ioloop=IOLoop())
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._serve, args=(server, self._stop), name="ftp", daemon=True)
        self._thread.start()

    @staticmethod
    def _serve(server, stop):
        while not stop.is_set():
            server.ioloop.loop(POLL_INTERVAL, blocking=False)
        server.close_all()

    def stop(self):
        """Closes every FTP connection and the listening socket."""
        if self._thread is not None:
            self._stop.set()
            self._thread.join(STOP_TIMEOUT)
            self._thread = None

    def stop_and_hold_port(self):
        """Stops serving but takes the port again without listening, so that
        connections are refused until the server starts once more."""
        host, port = self._sock.getsockname()[:2]
        self.stop()
        self._sock = reserve_port(host, port)

    def close(self):
        self.stop()
        self._sock.close()

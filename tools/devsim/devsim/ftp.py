"""The device's FTP server in download mode, with scripted faults.

It runs on a pyftpdlib IO loop in a thread of its own.  The listening socket
is bound when the simulator starts, so the port is known and held from the
beginning, but it only starts listening here, when download mode begins.
"""

import hashlib
import logging
import os
import threading
import warnings
from dataclasses import dataclass, field

from pyftpdlib.authorizers import AuthenticationFailed, DummyAuthorizer
from pyftpdlib.handlers import DTPHandler, FTPHandler
from pyftpdlib.ioloop import IOLoop
from pyftpdlib.servers import FTPServer

STOR_FAULTS = ("refuse", "drop", "stall")
RETR_FAULTS = ("stall",)
STALL_LIMIT = 120.0   # a stalled transfer is aborted after this many seconds
STALL_AFTER = 1024    # bytes of a download sent before it stalls
POLL_INTERVAL = 0.2
STOP_TIMEOUT = 5.0
ANONYMOUS_PERMS = "elradfmwMT"

_log = logging.getLogger(__name__)


@dataclass(frozen=True)
class TransferFault:
    kind: str
    filename: str = None   # None: every file

    def applies_to(self, name):
        return self.filename is None or self.filename == name


def parse_fault(text, kinds):
    """TransferFault for KIND[:FILENAME]; ValueError if KIND is not in kinds."""
    kind, _, filename = text.partition(":")
    if kind not in kinds:
        raise ValueError(f"unknown fault {kind!r} (known: {', '.join(kinds)})")
    return TransferFault(kind, filename or None)


@dataclass
class FtpFaults:
    refuse_login: bool = False
    stor: list = field(default_factory=list)
    retr: list = field(default_factory=list)


def _fault_for(faults, name):
    """Kind of the first fault that applies to the remote file name, or None."""
    return next((fault.kind for fault in faults if fault.applies_to(name)), None)


def _size_and_sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as file:
        for block in iter(lambda: file.read(1024 * 1024), b""):
            digest.update(block)
    return os.path.getsize(path), digest.hexdigest()


class _DeviceDTPHandler(DTPHandler):
    """Data connection that can drop or stall a file transfer part-way."""

    _stalled = False

    def _fault(self):
        if self.file_obj is None:
            return None
        faults = self.cmd_channel.faults
        name = os.path.basename(self.file_obj.name)
        return _fault_for(faults.stor if self.receive else faults.retr, name)

    def handle_read(self):
        super().handle_read()
        if self._closed or self._stalled:
            return
        fault = self._fault()
        if fault == "drop":
            self._drop()
        elif fault == "stall":
            self._stall()

    # The IO loop calls handle_read_event, which the base class binds to its own handle_read.
    handle_read_event = handle_read

    def send(self, data):
        if self._fault() != "stall":
            return super().send(data)
        if self._stalled:
            return 0
        room = STALL_AFTER - self.tot_bytes_sent
        if room <= 0:
            self._stall()
            return 0
        return super().send(data[:room])

    def close(self):
        if not self._closed and self.file_obj is not None:
            self.file_obj.close()
            self._record_outcome()
        super().close()

    def _record_outcome(self):
        """Records how the transfer ended.  The base class replies to the client
        before its own callbacks run; recording here, before that reply, means a
        client that has the reply also finds the record."""
        channel, path = self.cmd_channel, self.file_obj.name
        if not self.transfer_finished:
            channel.record_file_event("incomplete", path, direction="upload" if self.receive else "download",
                                      transferred=self.get_transmitted_bytes())
        elif self.receive:
            size, sha256 = _size_and_sha256(path)
            channel.record_file_event("stored", path, size=size, sha256=sha256)
        else:
            channel.record_file_event("sent", path, size=os.path.getsize(path))

    def _drop(self):
        """Closes data and control connection at once, without a reply."""
        channel = self.cmd_channel
        channel.record_file_event("dropped", self.file_obj.name)
        self.close()
        channel.close()

    def _stall(self):
        """Stops reading and writing; the transfer is aborted after STALL_LIMIT,
        or earlier if the client resets the connection."""
        self._stalled = True
        self.modify_ioloop_events(0)
        self.call_later(STALL_LIMIT, self._give_up)
        self.cmd_channel.record_file_event("stalled", self.file_obj.name)

    def _give_up(self):
        self._resp = ("426 Data connection stalled; transfer aborted.", _log.info)
        self.close()


class _DeviceFTPHandler(FTPHandler):
    """Control connection: records every command and every transfer outcome."""

    dtp_handler = _DeviceDTPHandler
    use_sendfile = False          # a stalled download must pass through send()
    auth_failed_timeout = 0.1
    banner = "FTP server ready."
    transcript = None             # transcript and faults are set by FtpService
    faults = None

    def pre_process_command(self, line, cmd, arg):
        self.transcript.record(proto="ftp", cmd=cmd, arg=arg)
        super().pre_process_command(line, cmd, arg)

    def record_file_event(self, event, path, **details):
        self.transcript.record(proto="ftp", event=event, file=os.path.basename(path), **details)

    def ftp_STOR(self, file, mode="w"):
        if _fault_for(self.faults.stor, os.path.basename(file)) != "refuse":
            return super().ftp_STOR(file, mode)
        self.record_file_event("refused", file)
        if self.data_channel is not None:
            self.data_channel.close()
        self.respond("552 Requested file action aborted: storage full.")
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


def _authorizer(root, refuse_login):
    authorizer = _RefusingAuthorizer() if refuse_login else DummyAuthorizer()
    with warnings.catch_warnings():
        # pyftpdlib warns about anonymous write access; the device grants exactly that.
        warnings.simplefilter("ignore", RuntimeWarning)
        authorizer.add_anonymous(root, perm=ANONYMOUS_PERMS)
    return authorizer


class FtpService:
    """The FTP server on an already bound socket, started on demand."""

    def __init__(self, sock, root, faults, transcript):
        self._sock = sock
        self._handler = type("DeviceFTPHandler", (_DeviceFTPHandler,), {
            "authorizer": _authorizer(root, faults.refuse_login),
            "faults": faults,
            "transcript": transcript,
        })
        self._stop = threading.Event()
        self._thread = None

    def start(self):
        server = FTPServer(self._sock, self._handler, ioloop=IOLoop())
        self._thread = threading.Thread(target=self._serve, args=(server,), name="ftp", daemon=True)
        self._thread.start()

    def _serve(self, server):
        while not self._stop.is_set():
            server.ioloop.loop(POLL_INTERVAL, blocking=False)
        server.close_all()

    def stop(self):
        self._stop.set()
        if self._thread is not None:
            self._thread.join(STOP_TIMEOUT)

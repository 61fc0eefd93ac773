# SPDX-License-Identifier: MIT
"""The device's FTP data connections: made only when a transfer needs one,
and able to drop or stall a transfer part-way."""

import hashlib
import logging
import os
import signal
import socket

from pyftpdlib.handlers import ActiveDTP, DTPHandler
from pyftpdlib.ioloop import timer

from .ftp_faults import FAULT_LIMIT

UPLOAD_BREAKS = ("drop", "stall")
FIRMWARE_NAME = "fw512000.bin"   # the upload after which the device restarts
PACED_CHUNKS_PER_SECOND = 8      # a throttled transfer moves at most rate / 8 bytes at a time

_log = logging.getLogger(__name__)


def _size_and_sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as file:
        for block in iter(lambda: file.read(1024 * 1024), b""):
            digest.update(block)
    return os.path.getsize(path), digest.hexdigest()


class TransferActiveDTP(ActiveDTP):
    """Connection to the client's data port, opened when a transfer command
    needs it rather than at PORT, as the device does.  PORT has been answered
    already, so connecting sends no reply of its own."""

    def handle_connect(self):
        self.del_channel()
        if self._idler is not None and not self._idler.cancelled:
            self._idler.cancel()
        channel = self.cmd_channel
        if not channel.connected:
            self.close()
            return
        error = self.socket.getsockopt(socket.SOL_SOCKET, socket.SO_ERROR)
        if error != 0:
            raise OSError(error, os.strerror(error))
        channel.data_channel = channel.dtp_handler(self.socket, channel)
        channel._on_dtp_connection()


class DeviceDTPHandler(DTPHandler):
    """Data connection that can drop or stall a file transfer part-way, and
    moves no more than rate bytes a second (None: as fast as it can)."""

    rate = None
    _stalled = False
    _pause = None

    def __init__(self, sock, cmd_channel):
        super().__init__(sock, cmd_channel)
        if self.rate:
            chunk = max(1, min(self.ac_in_buffer_size, self.rate // PACED_CHUNKS_PER_SECOND))
            self.ac_in_buffer_size = self.ac_out_buffer_size = chunk

    def _pace(self):
        """Leaves the IO loop until the bytes moved so far are due at rate."""
        if not self.rate or self._closed:
            return
        delay = self._start_time + self.get_transmitted_bytes() / self.rate - timer()
        if delay > 0:
            self.del_channel()
            self._pause = self.call_later(delay, self._resume)

    def _resume(self):
        self._pause = None
        if not self._closed and not self._stalled:
            self.add_channel(events=self.ioloop.READ if self.receive else self.ioloop.WRITE)

    def _fault(self):
        if self.file_obj is None:
            return None
        faults = self.cmd_channel.faults
        name = os.path.basename(self.file_obj.name)
        return faults.stor_fault(name) if self.receive else faults.retr_fault(name)

    def _upload_break_at(self):
        """(applies, byte count): whether a drop or stall fault applies to this
        upload, and after how many bytes it strikes (None: after the first read)."""
        return self._fault() in UPLOAD_BREAKS, self.cmd_channel.faults.fault_after

    def _receive_limit(self):
        """Bytes this upload may bring before a fault strikes; None: no limit."""
        applies, limit = self._upload_break_at()
        limits = [limit] if applies and limit is not None else []
        if self.receive and self.cmd_channel.faults.crash_after is not None:
            limits.append(self.cmd_channel.faults.crash_after)
        return min(limits, default=None)

    def recv(self, buffer_size):
        limit = self._receive_limit()
        if limit is not None:
            buffer_size = max(1, min(buffer_size, limit - self.tot_bytes_received))
        chunk = super().recv(buffer_size)
        self._pace()
        return chunk

    def handle_read(self):
        super().handle_read()
        if self._closed or self._stalled:
            return
        crash_after = self.cmd_channel.faults.crash_after
        if crash_after is not None and self.tot_bytes_received >= crash_after:
            self._crash()
        applies, limit = self._upload_break_at()
        if not applies or (limit is not None and self.tot_bytes_received < limit):
            return
        if self._fault() == "drop":
            self._drop()
        else:
            self._stall()

    # The IO loop calls handle_read_event, which the base class binds to its own handle_read.
    handle_read_event = handle_read

    def send(self, data):
        if self._fault() == "stall":
            if self._stalled:
                return 0
            room = self.cmd_channel.faults.retr_stall_after() - self.tot_bytes_sent
            if room <= 0:
                self._stall()
                return 0
            data = data[:room]
        sent = super().send(data)
        self._pace()
        return sent

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
            if os.path.basename(path) == FIRMWARE_NAME:
                channel.record_firmware_stored()
        else:
            channel.record_file_event("sent", path, size=os.path.getsize(path))

    def _crash(self):
        """Kills the whole simulator, as a device dying mid-upload; what was
        received reaches the file first."""
        self.file_obj.flush()
        self.cmd_channel.record_file_event("crash", self.file_obj.name, received=self.tot_bytes_received)
        os.kill(os.getpid(), signal.SIGKILL)

    def _drop(self):
        """Closes data and control connection at once, without a reply."""
        channel = self.cmd_channel
        channel.record_file_event("dropped", self.file_obj.name)
        self.close()
        channel.close()

    def _stall(self):
        """Stops reading and writing; the transfer is aborted after FAULT_LIMIT,
        or earlier if the client resets the connection."""
        self._stalled = True
        if self._pause is not None:
            self._pause.cancel()
        self.modify_ioloop_events(0)
        self.call_later(FAULT_LIMIT, self._give_up)
        self.cmd_channel.record_file_event("stalled", self.file_obj.name)

    def _give_up(self):
        self._resp = ("426 Data connection stalled; transfer aborted.", _log.info)
        self.close()

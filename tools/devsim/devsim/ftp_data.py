"""The device's FTP data connections: made only when a transfer needs one,
and able to drop or stall a transfer part-way."""

import hashlib
import logging
import os
import socket

from pyftpdlib.handlers import ActiveDTP, DTPHandler

from .ftp_faults import FAULT_LIMIT

UPLOAD_BREAKS = ("drop", "stall")

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
    """Data connection that can drop or stall a file transfer part-way."""

    _stalled = False

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

    def recv(self, buffer_size):
        applies, limit = self._upload_break_at()
        if applies and limit is not None:
            buffer_size = max(1, min(buffer_size, limit - self.tot_bytes_received))
        return super().recv(buffer_size)

    def handle_read(self):
        super().handle_read()
        if self._closed or self._stalled:
            return
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
        if self._fault() != "stall":
            return super().send(data)
        if self._stalled:
            return 0
        room = self.cmd_channel.faults.retr_stall_after() - self.tot_bytes_sent
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
        """Stops reading and writing; the transfer is aborted after FAULT_LIMIT,
        or earlier if the client resets the connection."""
        self._stalled = True
        self.modify_ioloop_events(0)
        self.call_later(FAULT_LIMIT, self._give_up)
        self.cmd_channel.record_file_event("stalled", self.file_obj.name)

    def _give_up(self):
        self._resp = ("426 Data connection stalled; transfer aborted.", _log.info)
        self.close()

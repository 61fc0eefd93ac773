# SPDX-License-Identifier: MIT
"""The device restarting after a firmware upload: it leaves download mode,
its web server is away for a while, and it comes back with the new version."""

import threading
import time


class Restarter:
    def __init__(self, device, web, transcript, downtime, version_after):
        self._device = device
        self._web = web
        self._transcript = transcript
        self._downtime = downtime
        self._version_after = version_after   # None: the version before
        self._lock = threading.Lock()
        self._restarting = False

    def firmware_session_ended(self):
        """Called on the FTP server's thread when a session that stored the
        firmware has closed; the restart runs in a thread of its own, since
        it stops that very server."""
        with self._lock:
            if self._restarting:
                return
            self._restarting = True
        threading.Thread(target=self._restart, name="restart", daemon=True).start()

    def _restart(self):
        """Both ports refuse connections once the record 'restart' is written;
        the web port answers again right after 'back'."""
        self._web.stop()
        version = self._device.settings.firmware_version if self._version_after is None else self._version_after
        self._device.restart(version)
        self._transcript.record(event="restart")
        time.sleep(self._downtime)
        self._transcript.record(event="back", version=version)
        self._web.start()
        with self._lock:
            self._restarting = False

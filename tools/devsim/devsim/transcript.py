# SPDX-License-Identifier: MIT
"""JSON-lines log of everything the simulated device receives and does."""

import base64
import json
import threading


def b64(data):
    """Base64 text of raw bytes, as stored in transcript records."""
    return base64.b64encode(data).decode("ascii")


class Transcript:
    """Writes one JSON object per line and flushes each line at once,
    so that a test can read the file while the simulator keeps running.
    Without a path the records are dropped."""

    def __init__(self, path):
        self._file = open(path, "w", encoding="ascii") if path else None
        self._lock = threading.Lock()

    def __enter__(self):
        return self

    def __exit__(self, *exc_info):
        self.close()

    def record(self, **fields):
        line = json.dumps(fields) + "\n"
        with self._lock:
            if self._file is not None:
                self._file.write(line)
                self._file.flush()

    def close(self):
        """Stops recording; connections still winding down record nothing."""
        with self._lock:
            if self._file is not None:
                self._file.close()
                self._file = None

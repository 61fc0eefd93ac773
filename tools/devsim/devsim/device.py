# SPDX-License-Identifier: MIT
"""The simulated modem: routes each web request, applies the scripted reply,
and switches into firmware download mode."""

import os
import threading
import time
from dataclasses import dataclass

from . import broken, pages, replies, web
from .transcript import b64

ROUTES = {
    ("POST", "/enter.htm"): "enter",
    ("GET", "/stat1.htm"): "stat1",
    ("POST", "/maintena.htm"): "maintena",
}
DOWNLOAD_MODE_FORM = b"B3=Enter+Firmware+Download+Mode"
PASSWORD_FIELD = b"Password="
SUBMIT_FIELD = b"&Enter=Submit"
PROFILE_NAME = "prof.bin"
PROFILE_SIZE = 4096
SILENT_LIMIT = 120.0


@dataclass
class Settings:
    password: bytes
    firmware_version: str
    language: str
    ftp_root: str
    has_profile: bool
    distracting_status: bool = False
    profile_tag: bytes = b""     # leads the profile, to tell several devices' profiles apart
    unreachable_first: int = 0   # connections reset at once, without a reply, before the first served


def submitted_password(form):
    """The password in a login form 'Password=<pw>&Enter=Submit'.  The client
    does not encode the password, so it is everything between the leading
    field name and the last submit field.  None if the form has another shape."""
    end = form.rfind(SUBMIT_FIELD)
    if not form.startswith(PASSWORD_FIELD) or end < len(PASSWORD_FIELD):
        return None
    return form[len(PASSWORD_FIELD):end]


def password_field(form):
    """The value of a form's leading Password= field: as submitted_password
    for a login form, else everything after the field name; None without one."""
    if not form.startswith(PASSWORD_FIELD):
        return None
    submitted = submitted_password(form)
    return form[len(PASSWORD_FIELD):] if submitted is None else submitted


def profile_bytes(tag=b""):
    """The content of the profile the device keeps for download: tag, then
    fixed bytes up to PROFILE_SIZE."""
    return (tag + bytes((index * 31 + 7) % 256 for index in range(PROFILE_SIZE)))[:PROFILE_SIZE]


def _http_record(request, raw, reply):
    return {
        "proto": "http",
        "method": request.method,
        "path": request.path,
        "version": request.version,
        "raw_b64": b64(raw),
        "headers": request.headers,
        "body_b64": b64(request.body),
        "reply": str(reply),
    }


class Device:
    def __init__(self, settings, reply_table, transcript, ftp):
        self.settings = settings
        self.reply_table = reply_table
        self.transcript = transcript
        self.ftp = ftp                     # None: download mode starts no FTP server
        self.in_download_mode = False
        self._logins = 0
        self._last_login_password = b""
        self._connections = 0
        self._download_mode_answered = []
        self._lock = threading.Lock()

    def call_when_download_mode_answered(self, callback):
        """callback() runs each time download mode has begun: once the reply
        to the form that began it has been sent, or at once for a device that
        starts in download mode (start_in_download_mode)."""
        self._download_mode_answered.append(callback)

    def serve_connection(self, sock):
        if self._unreachable_still():
            self.transcript.record(proto="http", event="unreachable")
            broken.reset(sock)
            return
        raw, request = web.read_request(sock)
        if request is None:
            self.transcript.record(proto="http", event="incomplete-request", raw_b64=b64(raw))
            return
        page = ROUTES.get((request.method, request.path.split("?")[0]))
        reply = self._reply_for(page, request)
        self.transcript.record(**_http_record(request, raw, reply))
        self._answer(sock, request, page, reply)

    def _unreachable_still(self):
        """Counts the connection; whether it is one of the first
        unreachable_first, which get no reply."""
        with self._lock:
            self._connections += 1
            return self._connections <= self.settings.unreachable_first

    def _reply_for(self, page, request):
        if page == "enter":
            with self._lock:
                self._logins += 1
                self._last_login_password = password_field(request.declared) or b""
                return self.reply_table.for_login(self._logins)
        return self.reply_table.for_page(page)

    def _answer(self, sock, request, page, reply):
        if reply.kind == "close":
            return
        if reply.kind == "silent":
            web.wait_for_close(sock, SILENT_LIMIT)
            return
        if reply.kind == "slow":
            time.sleep(reply.value)
        began = (page == "maintena" and request.declared.rstrip(b"\r\n") == DOWNLOAD_MODE_FORM
                 and self.enter_download_mode())
        self._send_reply(sock, request, page, reply)
        if began:
            self._tell_download_mode_answered()

    def _send_reply(self, sock, request, page, reply):
        if page is None:
            web.send(sock, 404, pages.not_found())
        elif reply.kind == "huge":
            web.stream_filler(sock, reply.value)
        elif reply.kind == "cut-headers":
            broken.cut_headers(sock)
        elif reply.kind == "drip":
            broken.drip(sock, broken.DRIP_INTERVAL if reply.value is None else reply.value)
        elif reply.kind == "raw":
            broken.raw(sock, reply.value)
        else:
            status, body = self._reply_body(page, request, reply)
            web.send(sock, status, body)

    def _reply_body(self, page, request, reply):
        if reply.kind == "error-page":
            return 500, pages.server_error()
        if reply.kind == "empty":
            return 200, b""
        if reply.kind == "size":
            return 200, pages.filler(reply.value)
        if reply.kind in replies.MARKED:
            return 200, pages.marked(reply.kind)
        if reply.kind == "echo-password":
            return 200, pages.with_password_input(self._page(page, request, reply), self._echoed_password(request))
        return 200, self._page(page, request, reply)

    def _echoed_password(self, request):
        own = password_field(request.declared)
        if own is not None:
            return own
        with self._lock:
            return self._last_login_password

    def _page(self, page, request, reply):
        if page == "enter":
            return self._login_page(request)
        if page == "stat1":
            return pages.status(self._shown_version(reply), self.settings.distracting_status)
        return pages.maintenance(self.in_download_mode)

    def _login_page(self, request):
        language = self.settings.language
        if submitted_password(request.declared) == self.settings.password:
            return pages.welcome(language)
        return pages.refusal(language)

    def _shown_version(self, reply):
        if reply.kind == "no-version":
            return None
        if reply.kind == "version":
            return reply.value
        return self.settings.firmware_version

    def enter_download_mode(self):
        """Prepares the FTP directory and starts the FTP server, once; whether
        download mode began now."""
        with self._lock:
            if self.in_download_mode:
                return False
            self.in_download_mode = True
            self.transcript.record(event="download-mode")
            self._prepare_profile()
            if self.ftp is not None:
                self.ftp.start()
            return True

    def start_in_download_mode(self):
        if self.enter_download_mode():
            self._tell_download_mode_answered()

    def _tell_download_mode_answered(self):
        for callback in self._download_mode_answered:
            callback()

    def restart(self, version):
        """Leaves download mode, as a restart does: the FTP server stops and
        refuses connections, and the status page shows version from now on."""
        with self._lock:
            if self.in_download_mode and self.ftp is not None:
                self.ftp.stop_and_hold_port()
            self.in_download_mode = False
            self.settings.firmware_version = version

    def _prepare_profile(self):
        path = os.path.join(self.settings.ftp_root, PROFILE_NAME)
        if self.settings.has_profile:
            if not os.path.exists(path):
                with open(path, "wb") as file:
                    file.write(profile_bytes(self.settings.profile_tag))
        elif os.path.exists(path):
            os.remove(path)

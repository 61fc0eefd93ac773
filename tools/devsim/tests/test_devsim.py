# SPDX-License-Identifier: MIT
"""Black-box tests: each case starts the real simulator on free loopback ports
and talks to it over raw sockets and ftplib, as the upgrade client does."""

import base64
import contextlib
import ftplib
import hashlib
import io
import json
import os
import shutil
import signal
import socket
import subprocess
import tempfile
import time
import unittest
from pathlib import Path

SCRIPT = Path(__file__).resolve().parents[1] / "ndxu-devsim"
START_TIMEOUT = 10.0
SHORT = 0.3          # how long a case waits for something that must not happen
MARKS = (b"wrong password", b"Kennwort ist falsch", b"Operation failed")
DOWNLOAD_MODE_FORM = b"B3=Enter+Firmware+Download+Mode"


def receive_all(sock):
    chunks = []
    while chunk := sock.recv(65536):
        chunks.append(chunk)
    return b"".join(chunks)


def b64(data):
    return base64.b64encode(data).decode("ascii")


def filler(start, count):
    """The letters a raw reply streams: byte i is chr(ord('a') + i % 26)."""
    return bytes(ord("a") + i % 26 for i in range(start, start + count))


def wait_until(condition, timeout=5.0):
    deadline = time.monotonic() + timeout
    while not (result := condition()):
        if time.monotonic() > deadline:
            raise AssertionError("condition not met in time")
        time.sleep(0.02)
    return result


def parse_response(raw):
    head, _, body = raw.partition(b"\r\n\r\n")
    lines = head.decode("ascii").split("\r\n")
    headers = dict((name.lower(), value.strip()) for name, _, value in (line.partition(":") for line in lines[1:]))
    return int(lines[0].split(" ")[1]), headers, body


def post(path, body, port, extra=b""):
    """A request shaped like the client's: HTTP/1.0, Content-Length of body,
    then body and any extra bytes the client sends beyond it."""
    return (b"POST %s HTTP/1.0\r\nHost: 127.0.0.1:%d\r\nUser-Agent: ndxu-upgrade\r\n"
            b"Referer: http://127.0.0.1%s\r\nContent-Type: application/x-www-form-urlencoded\r\n"
            b"Content-Length: %d\r\n\r\n" % (path, port, path, len(body))) + body + extra


class Simulator:
    """A running ndxu-devsim with its own temporary directory."""

    def __init__(self, options, prepare=None):
        self.dir = Path(tempfile.mkdtemp(prefix="devsim-test-"))
        self.ftp_root = self.dir / "ftp"
        self.transcript = self.dir / "transcript.jsonl"
        self.port_file = self.dir / "ports.json"
        if prepare:
            prepare(self)
        self._stderr = open(self.dir / "stderr.txt", "wb")
        self.process = subprocess.Popen(
            [str(SCRIPT), "--http-port", "0", "--ftp-port", "0", "--port-file", str(self.port_file),
             "--transcript", str(self.transcript), "--ftp-root", str(self.ftp_root), "--lifetime", "60",
             *options],
            stdout=subprocess.PIPE, stderr=self._stderr)
        self.ports = self._wait_for_port_file()
        self.http_port = self.ports.get("http_port")
        self.ftp_port = self.ports.get("ftp_port")

    def _wait_for_port_file(self):
        deadline = time.monotonic() + START_TIMEOUT
        while not self.port_file.exists():
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise AssertionError("simulator did not get ready: " + self.stderr())
            time.sleep(0.02)
        return json.loads(self.port_file.read_text())

    def stderr(self):
        return (self.dir / "stderr.txt").read_text(errors="replace")

    def stop(self):
        """Terminates the simulator; returns (exit status, stdout)."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        stdout, _ = self.process.communicate(timeout=10)
        self._stderr.close()
        shutil.rmtree(self.dir, ignore_errors=True)
        return self.process.returncode, stdout.decode()

    def exchange(self, data, timeout=5.0):
        with socket.create_connection(("127.0.0.1", self.http_port), timeout=timeout) as sock:
            sock.sendall(data)
            return receive_all(sock)

    def request(self, data):
        return parse_response(self.exchange(data))

    def login(self, password):
        body = b"Password=" + password + b"&Enter=Submit"
        return self.request(post(b"/enter.htm", body, self.http_port, extra=b"\r\n"))

    def status_page(self):
        return self.request(b"GET /stat1.htm HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n")

    def maintenance(self, form=DOWNLOAD_MODE_FORM):
        return self.request(post(b"/maintena.htm", form, self.http_port))

    def ftp(self, timeout=5.0, user="anonymous", password="ndxu@"):
        client = ftplib.FTP()
        client.connect("127.0.0.1", self.ftp_port, timeout=timeout)
        client.set_pasv(False)
        try:
            client.login(user, password)
        except ftplib.Error:
            client.close()
            raise
        return client

    def ftp_accepts_connections(self):
        try:
            socket.create_connection(("127.0.0.1", self.ftp_port), timeout=2).close()
        except ConnectionRefusedError:
            return False
        return True

    def records(self):
        return [json.loads(line) for line in self.transcript.read_text().splitlines()]

    def device(self, index):
        """A view of the index-th of several devices, for the helpers above."""
        view = Simulator.__new__(Simulator)
        view.__dict__.update(self.__dict__, http_port=self.ports["devices"][index]["http_port"],
                             ftp_port=self.ports["devices"][index]["ftp_port"],
                             ftp_root=self.ftp_root / f"device-{index}",
                             transcript=self.transcript.with_suffix(f".{index}.jsonl"))
        return view

    def ftp_events(self, event):
        return [r for r in self.records() if r.get("proto") == "ftp" and r.get("event") == event]


def web_refuses(sim):
    try:
        socket.create_connection(("127.0.0.1", sim.http_port), timeout=2).close()
    except ConnectionRefusedError:
        return True
    return False


class SimulatorCase(unittest.TestCase):
    def start(self, *options, prepare=None):
        simulator = Simulator(options, prepare)
        self.addCleanup(simulator.stop)
        return simulator

    def assertNoMarks(self, body):
        for mark in MARKS:
            self.assertNotIn(mark, body)


class LoginTest(SimulatorCase):
    def test_empty_password_is_the_default(self):
        sim = self.start()
        status, _, body = sim.login(b"")
        self.assertEqual(status, 200)
        self.assertNoMarks(body)
        self.assertIn(b"wrong password", sim.login(b"guess")[2])

    def test_password_is_taken_verbatim_between_the_fields(self):
        password = "p&w=1+2%41 x&Enter=Submit"
        sim = self.start("--password", password)
        self.assertNoMarks(sim.login(password.encode())[2])
        for wrong in (b"p&w=1+2%41 x", b"p%26w%3D1%2B2%2541+x", b"p&w=1 2A x&Enter=Submit"):
            with self.subTest(wrong=wrong):
                self.assertIn(b"wrong password", sim.login(wrong)[2])

    def test_german_refusal(self):
        sim = self.start("--language", "de", "--password", "geheim")
        body = sim.login(b"falsch")[2]
        self.assertIn(b"Kennwort ist falsch", body)
        self.assertNotIn(b"wrong password", body)
        self.assertNoMarks(sim.login(b"geheim")[2])

    def test_every_byte_is_recorded_including_those_beyond_content_length(self):
        sim = self.start("--password", "pw")
        body = b"Password=pw&Enter=Submit"
        sent = post(b"/enter.htm", body, sim.http_port)
        with socket.create_connection(("127.0.0.1", sim.http_port), timeout=5) as sock:
            sock.sendall(sent)
            time.sleep(0.03)
            sock.sendall(b"\r\n")
            self.assertNoMarks(parse_response(receive_all(sock))[2])
        sent += b"\r\n"
        [record] = [r for r in sim.records() if r.get("proto") == "http"]
        self.assertEqual((record["method"], record["path"], record["version"]), ("POST", "/enter.htm", "HTTP/1.0"))
        self.assertEqual(base64.b64decode(record["raw_b64"]), sent)
        self.assertEqual(base64.b64decode(record["body_b64"]), body + b"\r\n")
        self.assertIn(["User-Agent", "ndxu-upgrade"], record["headers"])
        self.assertIn(["Content-Length", str(len(body))], record["headers"])

    def test_waits_for_a_late_body_announced_in_a_lowercase_header(self):
        sim = self.start("--password", "late")
        body = b"Password=late&Enter=Submit"
        with socket.create_connection(("127.0.0.1", sim.http_port), timeout=5) as sock:
            sock.sendall(b"POST /enter.htm HTTP/1.0\r\ncontent-length: %d\r\n\r\n" % len(body))
            time.sleep(0.4)
            sock.sendall(body)
            status, _, page = parse_response(receive_all(sock))
        self.assertEqual(status, 200)
        self.assertNoMarks(page)


class PagesTest(SimulatorCase):
    def test_status_page_shows_the_firmware_version(self):
        sim = self.start()
        self.assertIn(b"Firmware Version: 5.0.3", sim.status_page()[2])

    def test_no_page_contains_the_version_mark_unless_the_version_has_it(self):
        sim = self.start("--firmware-version", "4.2.7")
        status, headers, body = sim.status_page()
        self.assertEqual((status, headers["content-type"]), (200, "text/html"))
        self.assertEqual(int(headers["content-length"]), len(body))
        self.assertIn(b"4.2.7", body)
        pages = [body, sim.login(b"")[2], sim.login(b"bad")[2], sim.maintenance(b"B1=Other")[2],
                 sim.maintenance()[2], sim.request(b"GET /nothing.htm HTTP/1.0\r\n\r\n")[2]]
        for page in pages:
            self.assertNotIn(b"5.", page)

    def test_distracting_status_page(self):
        body = self.start("--status-page", "distracting").status_page()[2]
        positions = [body.find(text) for text in
                     (b"Bootloader 4.5.1", b"Uptime 15.0 days", b"Built 2015.3.7", b"Firmware Version: 5.0.3")]
        self.assertNotIn(-1, positions)
        self.assertEqual(positions, sorted(positions))

    def test_scripted_version_text(self):
        self.assertNotIn(b"5.", self.start("--reply", "stat1=no-version").status_page()[2])
        self.assertIn(b"5.9.1-beta", self.start("--reply", "stat1=version=5.9.1-beta").status_page()[2])

    def test_unknown_pages_and_methods_get_404(self):
        sim = self.start()
        self.assertEqual(sim.request(b"GET /other.htm HTTP/1.0\r\n\r\n")[0], 404)
        self.assertEqual(sim.request(b"GET /enter.htm HTTP/1.0\r\n\r\n")[0], 404)


class ReplyKindTest(SimulatorCase):
    def test_marked_pages_replace_the_judgement(self):
        expected = {
            "wrong-password": ([b"wrong password"], [b"Operation failed", b"Kennwort ist falsch"]),
            "kennwort": ([b"Kennwort ist falsch"], [b"wrong password", b"Operation failed"]),
            "operation-failed": ([b"Operation failed"], [b"wrong password", b"Kennwort ist falsch"]),
            "both-marks": ([b"wrong password", b"Operation failed"], [b"Kennwort ist falsch"]),
            "capital-refusal": ([b"WRONG PASSWORD"], list(MARKS)),
        }
        for kind, (present, absent) in expected.items():
            with self.subTest(kind=kind):
                body = self.start("--reply", f"enter={kind}").login(b"")[2]
                for mark in present:
                    self.assertIn(mark, body)
                for mark in absent:
                    self.assertNotIn(mark, body)

    def test_first_and_second_login_are_scripted_separately(self):
        sim = self.start("--reply", "enter1=wrong-password", "--reply", "enter2=operation-failed")
        self.assertIn(b"wrong password", sim.login(b"")[2])
        self.assertIn(b"Operation failed", sim.login(b"")[2])
        self.assertNoMarks(sim.login(b"")[2])

    def test_body_sizes(self):
        sim = self.start("--reply", "enter=empty", "--reply", "stat1=size=100000")
        status, headers, body = sim.login(b"")
        self.assertEqual((status, headers["content-length"], body), (200, "0", b""))
        status, headers, body = sim.status_page()
        self.assertEqual((status, headers["content-length"], len(body)), (200, "100000", 100000))
        self.assertNoMarks(body)
        self.assertNotIn(b"5.", body)

    def test_huge_body_is_streamed_and_may_be_abandoned(self):
        size = 3 * 1024 ** 3
        sim = self.start("--reply", f"stat1=huge={size}")
        with socket.create_connection(("127.0.0.1", sim.http_port), timeout=5) as sock:
            sock.sendall(b"GET /stat1.htm HTTP/1.0\r\n\r\n")
            head = sock.recv(1024 ** 2)
            self.assertIn(b"\r\nContent-Length: %d\r\n" % size, head)
            received = len(head)
            while received < 50 * 1024 ** 2:
                received += len(sock.recv(1024 ** 2))
            status = Path(f"/proc/{sim.process.pid}/status").read_text()
        rss_kib = int(status.split("VmRSS:")[1].split()[0])
        self.assertLess(rss_kib, 200 * 1024)
        self.assertEqual(sim.login(b"")[0], 200)

    def test_huge_body_arrives_complete(self):
        size = 64 * 1024 ** 2 + 7
        status, headers, body = self.start("--reply", f"stat1=huge={size}").status_page()
        self.assertEqual((status, int(headers["content-length"]), len(body)), (200, size, size))

    def test_silent_keeps_the_connection_open_without_a_reply(self):
        sim = self.start("--reply", "stat1=silent")
        with socket.create_connection(("127.0.0.1", sim.http_port), timeout=0.5) as sock:
            sock.sendall(b"GET /stat1.htm HTTP/1.0\r\n\r\n")
            with self.assertRaises(socket.timeout):
                sock.recv(1)
        self.assertEqual([r.get("path") for r in sim.records()], ["/stat1.htm"])

    def test_close_without_reply(self):
        sim = self.start("--reply", "enter=close")
        self.assertEqual(sim.exchange(post(b"/enter.htm", b"Password=&Enter=Submit", sim.http_port)), b"")
        self.assertEqual(sim.records()[0]["reply"], "close")

    def test_slow_reply(self):
        sim = self.start("--reply", "stat1=slow=0.6")
        began = time.monotonic()
        status, _, body = sim.status_page()
        self.assertGreaterEqual(time.monotonic() - began, 0.6)
        self.assertIn(b"Firmware Version: 5.0.3", body)

    def test_error_page(self):
        status, _, body = self.start("--reply", "stat1=error-page").status_page()
        self.assertEqual(status, 500)
        self.assertTrue(body)

    def test_malformed_options_are_usage_errors(self):
        cases = [
            (["--reply", "enter=bogus"], b"unknown reply kind"),
            (["--reply", "stat1=raw:later:0:"], b"THEN must be one of"),
            (["--reply", "stat1=raw:close:many:"], b"bad value"),
            (["--reply", "stat1=raw:close:0:!!"], b"bad base64"),
            (["--reply", "stat1=raw:close:0"], b"expected raw:THEN:FILLER:BASE64"),
            (["--ftp-fault", "hang"], b"unknown FTP fault"),
            (["--retr-fault", "late-426"], b"unknown fault"),
            (["--fault-after", "0"], b"must be positive"),
            (["--ftp-user", "anonymous:x"], b"NAME other than anonymous"),
            (["--late-reply-delay", "-1"], b"between 0 and 3600"),
            (["--unreachable-first", "-1"], b"must not be negative"),
            (["--download-mode-web", "maybe"], b"invalid choice"),
        ]
        for options, message in cases:
            with self.subTest(options=options):
                result = subprocess.run([str(SCRIPT), *options], capture_output=True, timeout=10)
                self.assertEqual(result.returncode, 2)
                self.assertIn(message, result.stderr)


STAT1 = b"GET /stat1.htm HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n"
RAW_HEAD = b"HTTP/1.0 200 OK\r\nContent-Length: 5\r\n\r\nhel"


def read_until_error(sock):
    """Every byte received, and the error that ended the stream (None: a clean close)."""
    received = bytearray()
    try:
        while chunk := sock.recv(65536):
            received += chunk
    except OSError as err:
        return bytes(received), type(err)
    return bytes(received), None


class BrokenReplyTest(SimulatorCase):
    def test_bytes_and_endings_of_broken_replies(self):
        cases = [
            # reply option, bytes the client receives, error that ends them
            ("stat1=cut-headers", b"HTTP/1.0 200 OK\r\nContent-Ty", None),
            (f"stat1=raw:close:0:{b64(RAW_HEAD)}", RAW_HEAD, None),
            (f"stat1=raw:close:100:{b64(RAW_HEAD)}", RAW_HEAD + filler(0, 100), None),
            ("stat1=raw:close:0:", b"", None),
            (f"stat1=raw:reset:30:{b64(RAW_HEAD)}", RAW_HEAD + filler(0, 30), ConnectionResetError),
            (f"stat1=raw:stall:3:{b64(RAW_HEAD)}", RAW_HEAD + filler(0, 3), TimeoutError),
        ]
        for option, expected, error in cases:
            with self.subTest(option=option):
                sim = self.start("--reply", option)
                with socket.create_connection(("127.0.0.1", sim.http_port), timeout=1.0) as sock:
                    sock.sendall(STAT1)
                    self.assertEqual(read_until_error(sock), (expected, error))
                self.assertEqual(sim.records()[0]["reply"], option.partition("=")[2])

    def test_first_connections_are_reset_without_a_reply(self):
        sim = self.start("--unreachable-first", "2")
        for _ in range(2):
            with socket.create_connection(("127.0.0.1", sim.http_port), timeout=1.0) as sock:
                with contextlib.suppress(OSError):   # the reset may come before the request is sent
                    sock.sendall(STAT1)
                self.assertEqual(read_until_error(sock), (b"", ConnectionResetError))
        self.assertIn(b"Firmware Version: 5.0.3", sim.status_page()[2])
        self.assertEqual(sim.login(b"")[0], 200)
        self.assertEqual([r.get("event", r.get("path")) for r in sim.records()],
                         ["unreachable", "unreachable", "/stat1.htm", "/enter.htm"])

    def test_large_raw_filler_is_streamed_and_may_be_abandoned(self):
        sim = self.start("--reply", f"stat1=raw:close:200000000:{b64(b'X')}")
        with socket.create_connection(("127.0.0.1", sim.http_port), timeout=5) as sock:
            sock.sendall(STAT1)
            received = bytearray()
            while len(received) < 3 * 1024 ** 2:
                received += sock.recv(1024 ** 2)
        self.assertEqual(bytes(received), b"X" + filler(0, len(received) - 1))
        self.assertEqual(sim.login(b"")[0], 200)

    def test_drip_sends_one_letter_per_interval(self):
        sim = self.start("--reply", "stat1=drip=0.1", "--reply", "enter=drip")
        with socket.create_connection(("127.0.0.1", sim.http_port), timeout=5) as sock:
            sock.sendall(STAT1)
            began = time.monotonic()
            head = b""
            while b"\r\n\r\n" not in head:
                head += sock.recv(1)
            body = b"".join(sock.recv(1) for _ in range(5))
            elapsed = time.monotonic() - began
        self.assertEqual(head, b"HTTP/1.0 200 OK\r\nContent-Type: text/html\r\nContent-Length: 1000000\r\n\r\n")
        self.assertTrue(body.isalpha(), body)
        self.assertGreaterEqual(elapsed, 0.45)
        with socket.create_connection(("127.0.0.1", sim.http_port), timeout=SHORT) as sock:
            sock.sendall(post(b"/enter.htm", b"Password=&Enter=Submit", sim.http_port))
            head = sock.recv(1024)
            self.assertTrue(head.endswith(b"\r\n\r\n"), head)
            with self.assertRaises(TimeoutError):   # the default interval is a whole second
                sock.recv(1)
            self.assertEqual(sim.request(b"GET /other.htm HTTP/1.0\r\n\r\n")[0], 404)

    def test_echoed_password(self):
        cases = [
            # options, requests before the checked one, checked request, echoed value, refused
            (["--reply", "enter=echo-password", "--password", "pw"], [], ("login", b"5.0 & x"), b"5.0 & x", True),
            (["--reply", "enter=echo-password", "--password", "pw"], [], ("login", b"pw"), b"pw", False),
            (["--reply", "stat1=echo-password"], [b"first", b"sec ret"], ("status", None), b"sec ret", False),
            (["--reply", "stat1=echo-password"], [], ("status", None), b"", False),
            (["--reply", "maintena=echo-password"], [b"old"], ("maintenance", b"Password=new"), b"new", False),
        ]
        for options, logins, (kind, value), echoed, refused in cases:
            with self.subTest(options=options, checked=kind, value=value):
                sim = self.start(*options)
                for password in logins:
                    sim.login(password)
                body = {"login": lambda: sim.login(value)[2], "status": lambda: sim.status_page()[2],
                        "maintenance": lambda: sim.maintenance(value)[2]}[kind]()
                self.assertIn(b'<input type="password" name="Password" value="%s">' % echoed, body)
                self.assertEqual(b"wrong password" in body, refused)
                if kind == "status":
                    self.assertIn(b"Firmware Version: 5.0.3", body)


class DownloadModeTest(SimulatorCase):
    def test_ftp_listens_only_after_the_download_mode_form(self):
        sim = self.start()
        self.assertFalse(sim.ftp_accepts_connections())
        self.assertNoMarks(sim.maintenance(b"B1=Reboot")[2])
        self.assertFalse(sim.ftp_accepts_connections())
        self.assertNotIn({"event": "download-mode"}, sim.records())
        status, _, body = sim.maintenance()
        self.assertEqual(status, 200)
        self.assertIn(b"download mode", body)
        self.assertIn({"event": "download-mode"}, sim.records())
        sim.ftp().quit()

    def test_web_server_in_download_mode(self):
        cases = [
            # options, how download mode begins, whether the web port answers in it
            ([], "form", True),
            (["--download-mode-web", "on"], "start", True),
            (["--download-mode-web", "off"], "form", False),
            (["--download-mode-web", "off"], "start", False),
        ]
        for options, begins, answers in cases:
            with self.subTest(options=options, begins=begins):
                sim = self.start(*options, *(["--download-mode"] if begins == "start" else []))
                if begins == "form":
                    self.assertIn(b"Firmware Version: 5.0.3", sim.status_page()[2])
                    self.assertIn(b"download mode", sim.maintenance()[2])   # the form is still answered
                self.assertEqual(web_refuses(sim), not answers)
                client = sim.ftp()
                client.storbinary("STOR fw.bin", io.BytesIO(b"in download mode"))
                client.quit()
                self.assertEqual(sim.ftp_events("login"), [{"proto": "ftp", "event": "login", "user": "anonymous"}])
                if answers:
                    self.assertEqual(sim.status_page()[0], 200)

    def test_upload_is_stored_byte_exact(self):
        sim = self.start()
        sim.maintenance()
        firmware = os.urandom(300_000)
        client = sim.ftp()
        self.assertTrue(client.storbinary("STOR fw512000.bin", io.BytesIO(firmware)).startswith("226"))
        self.assertEqual(sim.ftp_events("stored"), [{
            "proto": "ftp", "event": "stored", "file": "fw512000.bin",
            "size": len(firmware), "sha256": hashlib.sha256(firmware).hexdigest()}])
        client.quit()
        self.assertEqual((sim.ftp_root / "fw512000.bin").read_bytes(), firmware)
        commands = [(r["cmd"], r["arg"]) for r in sim.records() if "cmd" in r]
        self.assertIn(("PASS", "ndxu@"), commands)
        self.assertTrue(any(cmd == "PORT" and arg.startswith("127,0,0,1,") for cmd, arg in commands))

    def test_profile_is_created_for_download(self):
        sim = self.start()
        sim.maintenance()
        data = io.BytesIO()
        client = sim.ftp()
        client.retrbinary("RETR prof.bin", data.write)
        client.quit()
        self.assertEqual(len(data.getvalue()), 4096)
        self.assertEqual(data.getvalue(), (sim.ftp_root / "prof.bin").read_bytes())
        self.assertEqual(sim.ftp_events("sent")[0]["file"], "prof.bin")

    def test_existing_profile_is_kept(self):
        def prepare(sim):
            sim.ftp_root.mkdir()
            (sim.ftp_root / "prof.bin").write_bytes(b"saved settings")
        sim = self.start(prepare=prepare)
        sim.maintenance()
        data = io.BytesIO()
        client = sim.ftp()
        client.retrbinary("RETR prof.bin", data.write)
        client.quit()
        self.assertEqual(data.getvalue(), b"saved settings")

    def test_no_profile_answers_550(self):
        def prepare(sim):
            sim.ftp_root.mkdir()
            (sim.ftp_root / "prof.bin").write_bytes(b"stale")
        sim = self.start("--no-profile", prepare=prepare)
        sim.maintenance()
        client = sim.ftp()
        with self.assertRaisesRegex(ftplib.error_perm, "^550"):
            client.retrbinary("RETR prof.bin", lambda _: None)
        client.quit()

    def test_maintenance_faults_decide_whether_download_mode_starts(self):
        switched = self.start("--reply", "maintena=error-page")
        self.assertEqual(switched.maintenance()[0], 500)
        self.assertTrue(switched.ftp_accepts_connections())
        closed = self.start("--reply", "maintena=close")
        self.assertEqual(closed.exchange(post(b"/maintena.htm", DOWNLOAD_MODE_FORM, closed.http_port)), b"")
        self.assertFalse(closed.ftp_accepts_connections())
        cut = self.start("--reply", "maintena=cut-headers")
        self.assertTrue(cut.exchange(post(b"/maintena.htm", DOWNLOAD_MODE_FORM, cut.http_port)).endswith(b"Content-Ty"))
        self.assertTrue(cut.ftp_accepts_connections())

    def test_starting_in_download_mode(self):
        sim = self.start("--download-mode")
        self.assertIn({"event": "download-mode"}, sim.records())
        self.assertIn(b"download mode", sim.maintenance(b"B1=Other")[2])
        sim.ftp().quit()

    def test_named_ftp_account(self):
        sim = self.start("--download-mode", "--ftp-user", "device:se:cret")
        client = sim.ftp(user="device", password="se:cret")
        client.storbinary("STOR fw.bin", io.BytesIO(b"firmware"))
        client.quit()
        self.assertEqual((sim.ftp_root / "fw.bin").read_bytes(), b"firmware")
        with self.assertRaisesRegex(ftplib.error_perm, "^530"):
            sim.ftp(user="device", password="wrong")
        self.assertEqual([e["user"] for e in sim.ftp_events("login")], ["device"])

    def test_greeting_421(self):
        sim = self.start("--download-mode", "--ftp", "greeting-421")
        with socket.create_connection(("127.0.0.1", sim.ftp_port), timeout=5) as sock:
            self.assertEqual(receive_all(sock), b"421 Too many connections, try again later.\r\n")
        self.assertEqual(sim.ftp_events("greeting-421"), [{"proto": "ftp", "event": "greeting-421"}])

    def test_ftp_off(self):
        sim = self.start("--ftp", "off")
        sim.maintenance()
        self.assertIn({"event": "download-mode"}, sim.records())
        self.assertFalse(sim.ftp_accepts_connections())

    def test_refused_login(self):
        sim = self.start("--ftp", "refuse-login")
        sim.maintenance()
        with self.assertRaisesRegex(ftplib.error_perm, "^530"):
            sim.ftp()
        self.assertEqual(sim.ftp_events("login-refused")[0]["user"], "anonymous")


class TransferFaultTest(SimulatorCase):
    def download_mode(self, *options):
        sim = self.start(*options)
        sim.maintenance()
        return sim

    def test_refuse_only_the_named_file(self):
        sim = self.download_mode("--stor-fault", "refuse:boot.bin")
        client = sim.ftp()
        with self.assertRaisesRegex(ftplib.error_perm, "^552"):
            client.storbinary("STOR boot.bin", io.BytesIO(b"boot"))
        client.storbinary("STOR fw.bin", io.BytesIO(b"firmware"))
        client.quit()
        self.assertEqual(sorted(os.listdir(sim.ftp_root)), ["fw.bin", "prof.bin"])
        self.assertEqual([e["file"] for e in sim.ftp_events("refused")], ["boot.bin"])

    def test_drop_closes_both_connections_mid_upload(self):
        sim = self.download_mode("--stor-fault", "drop")
        firmware = os.urandom(4 * 1024 ** 2)
        client = sim.ftp()
        with self.assertRaises((OSError, EOFError, ftplib.Error)):
            client.storbinary("STOR fw.bin", io.BytesIO(firmware))
        with self.assertRaises((OSError, EOFError)):
            client.voidcmd("NOOP")
        client.close()
        stored = (sim.ftp_root / "fw.bin").stat().st_size
        self.assertLess(stored, len(firmware))
        self.assertEqual(len(sim.ftp_events("dropped")), 1)
        [incomplete] = sim.ftp_events("incomplete")
        self.assertEqual((incomplete["direction"], incomplete["transferred"]), ("upload", stored))
        self.assertFalse(sim.ftp_events("stored"))

    def test_stalled_upload(self):
        sim = self.download_mode("--stor-fault", "stall")
        client = sim.ftp(timeout=1.0)
        with self.assertRaises(socket.timeout):
            client.storbinary("STOR fw.bin", io.BytesIO(bytes(64 * 1024 ** 2)))
        client.close()
        self.assertEqual(len(sim.ftp_events("stalled")), 1)

    def test_stalled_profile_download(self):
        sim = self.download_mode("--retr-fault", "stall")
        received = bytearray()
        client = sim.ftp(timeout=1.0)
        with self.assertRaises(socket.timeout):
            client.retrbinary("RETR prof.bin", received.extend)
        client.close()
        self.assertTrue(0 < len(received) < 4096)
        self.assertEqual(sim.ftp_events("stalled")[0]["file"], "prof.bin")

    def test_fault_after_sets_where_drop_and_stall_strike(self):
        cases = [
            # options, command, bytes the client offers, event, bytes transferred when it strikes
            (["--stor-fault", "drop", "--fault-after", "100000"], "STOR fw.bin", 4 * 1024 ** 2, "dropped", 100000),
            (["--stor-fault", "stall", "--fault-after", "70001"], "STOR fw.bin", 64 * 1024 ** 2, "stalled", 70001),
            (["--retr-fault", "stall", "--fault-after", "3000"], "RETR prof.bin", 4096, "stalled", 3000),
        ]
        for options, command, size, event, transferred in cases:
            with self.subTest(options=options):
                sim = self.download_mode(*options)
                client = sim.ftp(timeout=1.0)
                received = bytearray()
                with self.assertRaises((OSError, EOFError, ftplib.Error)):
                    if command.startswith("STOR"):
                        client.storbinary(command, io.BytesIO(bytes(size)))
                    else:
                        client.retrbinary(command, received.extend)
                client.close()
                self.assertEqual(len(sim.ftp_events(event)), 1)
                [incomplete] = wait_until(lambda: sim.ftp_events("incomplete"))
                self.assertEqual(incomplete["transferred"], transferred)
                if command.startswith("STOR"):
                    self.assertEqual((sim.ftp_root / "fw.bin").stat().st_size, transferred)
                else:
                    self.assertEqual(len(received), transferred)


class SessionFaultTest(SimulatorCase):
    """Faults of the control connection: replies promised and never given, or given late."""

    def download_mode(self, *options):
        return self.start("--download-mode", *options)

    def test_data_connection_never_opened(self):
        passive = ["--allow-passive"]
        cases = [
            # options, passive mode, command, event, final reply after the delay (None: never)
            (["--ftp-fault", "no-data-connection"], False, "RETR prof.bin", "no-data-connection", None),
            (["--ftp-fault", "no-data-connection"], False, "STOR fw.bin", "no-data-connection", None),
            (["--ftp-fault", "no-data-connection", *passive], True, "RETR prof.bin", "no-data-connection", None),
            (["--retr-fault", "late-425:prof.bin", "--late-reply-delay", "0.5"], False, "RETR prof.bin", "late-425",
             "425 Can't open data connection."),
        ]
        for options, passive_mode, command, event, final in cases:
            with self.subTest(options=options, command=command):
                sim = self.download_mode(*options)
                client = sim.ftp()
                if passive_mode:
                    data = socket.create_connection(client.makepasv(), timeout=SHORT)
                else:
                    listener = client.makeport()
                began = time.monotonic()
                self.assertEqual(client.sendcmd(command), "150 Opening data connection.")
                self.assertEqual(sim.ftp_events(event), [{"proto": "ftp", "event": event, "file": command[5:]}])
                if passive_mode:
                    with self.assertRaises(TimeoutError):   # connected, but nothing moves
                        data.recv(1)
                    data.close()
                else:
                    listener.settimeout(SHORT)
                    with self.assertRaises(TimeoutError):
                        listener.accept()
                    listener.close()
                if final is None:
                    client.sock.settimeout(SHORT)
                    with self.assertRaises(TimeoutError):
                        client.getresp()
                    client.close()
                    continue
                with self.assertRaisesRegex(ftplib.error_temp, "^" + final):
                    client.getresp()
                self.assertGreaterEqual(time.monotonic() - began, 0.5)
                client.storbinary("STOR fw.bin", io.BytesIO(b"after the fault"))
                client.quit()
                self.assertEqual((sim.ftp_root / "fw.bin").read_bytes(), b"after the fault")

    def test_late_425_answers_before_the_next_command(self):
        sim = self.download_mode("--retr-fault", "late-425:prof.bin", "--late-reply-delay", "0.5")
        client = sim.ftp()
        client.sendcmd("TYPE I")
        client.sendport("127.0.0.1", 40999)
        self.assertEqual(client.sendcmd("RETR prof.bin")[:3], "150")
        client.putcmd("NOOP")   # sent at once, as a client that gave up on the data connection does
        self.assertEqual(client.getline()[:3], "425")
        self.assertEqual(client.getresp()[:3], "200")
        client.quit()

    def test_late_425_only_for_the_named_file(self):
        sim = self.download_mode("--retr-fault", "late-425:other.bin")
        data = io.BytesIO()
        client = sim.ftp()
        client.retrbinary("RETR prof.bin", data.write)
        client.quit()
        self.assertEqual(len(data.getvalue()), 4096)
        self.assertFalse(sim.ftp_events("late-425"))

    def test_quit_unanswered(self):
        sim = self.download_mode("--ftp-fault", "quit-unanswered")
        client = sim.ftp(timeout=SHORT)
        client.putcmd("QUIT")
        with self.assertRaises(TimeoutError):
            client.sock.recv(1)
        self.assertEqual(client.voidcmd("NOOP")[:3], "200")   # still open and serving
        client.close()
        self.assertEqual(sim.ftp_events("quit-unanswered"), [{"proto": "ftp", "event": "quit-unanswered"}])


class TransferModeTest(SimulatorCase):
    def test_passive_mode_only_on_request(self):
        refused = self.start("--download-mode").ftp()
        for command in ("PASV", "EPSV"):
            with self.subTest(command=command):
                with self.assertRaisesRegex(ftplib.error_perm, "^502 Passive mode not supported"):
                    refused.sendcmd(command)
        refused.quit()
        sim = self.start("--download-mode", "--allow-passive")
        client = sim.ftp()
        client.set_pasv(True)
        self.assertEqual(client.makepasv()[0], "127.0.0.1")
        client.storbinary("STOR fw.bin", io.BytesIO(b"passive upload"))
        data = io.BytesIO()
        client.retrbinary("RETR fw.bin", data.write)
        client.quit()
        self.assertEqual(data.getvalue(), b"passive upload")

    def test_throttled_transfers_both_ways(self):
        rate, size = 400_000, 400_000
        sim = self.start("--download-mode", "--throttle", str(rate))
        firmware = os.urandom(size)
        client = sim.ftp()
        began = time.monotonic()
        client.storbinary("STOR fw.bin", io.BytesIO(firmware))
        uploaded = time.monotonic()
        data = io.BytesIO()
        client.retrbinary("RETR fw.bin", data.write)
        downloaded = time.monotonic()
        client.quit()
        self.assertEqual(data.getvalue(), firmware)
        self.assertGreaterEqual(uploaded - began, size / rate)
        self.assertGreaterEqual(downloaded - uploaded, size / rate)


class RestartTest(SimulatorCase):
    """The device restarts once the firmware is stored and its FTP session is over."""

    def test_restart_after_firmware_upload(self):
        cases = [
            # options, uploaded name, how the session ends, version after the restart (None: no restart)
            (["--version-after", "5.1.0"], "fw512000.bin", "quit", "5.1.0"),
            ([], "fw512000.bin", "close", "5.0.3"),
            (["--ftp-fault", "quit-unanswered"], "fw512000.bin", "quit", "5.0.3"),
            ([], "other.bin", "quit", None),
            (["--download-mode-web", "off"], "fw512000.bin", "close", "5.0.3"),
        ]
        for options, name, ending, version in cases:
            with self.subTest(options=options, name=name, ending=ending):
                sim = self.start("--restart-after-upload", "0.5", *options)
                sim.maintenance()
                client = sim.ftp(timeout=SHORT)
                client.storbinary(f"STOR {name}", io.BytesIO(b"firmware image"))
                if "--download-mode-web" in options:
                    self.assertTrue(web_refuses(sim))
                else:
                    self.assertIn(b"Firmware Version: 5.0.3", sim.status_page()[2])   # nothing before the end
                if ending == "quit":
                    client.putcmd("QUIT")
                    with contextlib.suppress(OSError, EOFError):
                        client.getresp()
                client.close()
                if version is None:
                    time.sleep(SHORT)
                    self.assertFalse([r for r in sim.records() if r.get("event") in ("restart", "back")])
                    self.assertTrue(sim.ftp_accepts_connections())
                    continue
                wait_until(lambda: {"event": "restart"} in sim.records())
                down = time.monotonic()
                self.assertTrue(web_refuses(sim))
                self.assertFalse(sim.ftp_accepts_connections())
                wait_until(lambda: {"event": "back", "version": version} in sim.records())
                self.assertGreaterEqual(time.monotonic() - down, 0.4)
                self.assertIn(b"Firmware Version: %s" % version.encode(), sim.status_page()[2])
                self.assertFalse(sim.ftp_accepts_connections())
                sim.maintenance()
                sim.ftp().close()


def free_port_run(count):
    """The first of count consecutive ports that are free right now."""
    while True:
        with socket.socket() as probe:
            probe.bind(("127.0.0.1", 0))
            base = probe.getsockname()[1]
        if base + count > 65535:
            continue
        try:
            with contextlib.ExitStack() as stack:
                for port in range(base, base + count):
                    stack.enter_context(socket.socket()).bind(("127.0.0.1", port))
        except OSError:
            continue
        return base


class DevicesTest(SimulatorCase):
    def test_devices_are_independent(self):
        sim = self.start("--devices", "3")
        devices = [sim.device(index) for index in range(3)]
        self.assertEqual(set(sim.ports), {"devices", "pid"})
        self.assertEqual(len({port for d in devices for port in (d.http_port, d.ftp_port)}), 6)
        devices[1].maintenance()
        self.assertEqual([d.ftp_accepts_connections() for d in devices], [False, True, False])
        client = devices[1].ftp()
        profile = io.BytesIO()
        client.retrbinary("RETR prof.bin", profile.write)
        client.storbinary("STOR fw.bin", io.BytesIO(b"for device 1"))
        client.quit()
        self.assertEqual(len(profile.getvalue()), 4096)
        self.assertTrue(profile.getvalue().startswith(b"ndxu-devsim device 1 web port %d\n" % devices[1].http_port))
        self.assertEqual((sim.ftp_root / "device-1" / "fw.bin").read_bytes(), b"for device 1")
        self.assertEqual([{"event": "download-mode"} in d.records() for d in devices], [False, True, False])
        self.assertEqual([len(d.ftp_events("stored")) for d in devices], [0, 1, 0])
        _, stdout = sim.stop()
        self.assertEqual(stdout, "ndxu-devsim ready http=%s ftp=%s\n" % (
            ",".join(str(d.http_port) for d in devices), ",".join(str(d.ftp_port) for d in devices)))

    def test_consecutive_ports_from_the_given_ones(self):
        http, ftp = free_port_run(2), free_port_run(2)
        sim = self.start("--devices", "2", "--http-port", str(http), "--ftp-port", str(ftp), "--download-mode")
        self.assertEqual(sim.ports["devices"], [{"host": "127.0.0.1", "http_port": http, "ftp_port": ftp},
                                                {"host": "127.0.0.1", "http_port": http + 1, "ftp_port": ftp + 1}])
        self.assertEqual(sim.device(1).status_page()[0], 200)
        sim.device(1).ftp().quit()

    def test_consecutive_hosts(self):
        sim = self.start("--devices", "3", "--host", "127.0.0.5", "--consecutive-hosts")
        hosts = [device["host"] for device in sim.ports["devices"]]
        self.assertEqual(hosts, ["127.0.0.5", "127.0.0.6", "127.0.0.7"])
        with socket.create_connection(("127.0.0.6", sim.ports["devices"][1]["http_port"]), timeout=5) as sock:
            sock.sendall(b"GET /stat1.htm HTTP/1.0\r\n\r\n")
            self.assertEqual(parse_response(receive_all(sock))[0], 200)
        with self.assertRaises(OSError):
            socket.create_connection(("127.0.0.5", sim.ports["devices"][1]["http_port"]), timeout=2).close()
        _, stdout = sim.stop()
        self.assertTrue(stdout.rstrip().endswith(" hosts=127.0.0.5,127.0.0.6,127.0.0.7"), stdout)

    def test_options_for_one_device(self):
        sim = self.start("--devices", "3", "--password", "secret", "--reply", "stat1=version=5.2.0",
                         "--for-device", "1:--password=other --reply stat1=version='5.9 beta'",
                         "--for-device", "2:--firmware-version 4.1.1 --unreachable-first 1",
                         "--for-device", "0:--download-mode-web off")
        with socket.create_connection(("127.0.0.1", sim.device(2).http_port), timeout=1.0) as sock:
            self.assertEqual(read_until_error(sock), (b"", ConnectionResetError))
        welcomed = [MARKS[0] not in sim.device(index).login(b"secret")[2] for index in range(3)]
        self.assertEqual(welcomed, [True, False, True])
        sim.device(0).maintenance()
        sim.device(1).maintenance()
        self.assertEqual(sim.device(1).status_page()[0], 200)
        with self.assertRaises(ConnectionRefusedError):
            socket.create_connection(("127.0.0.1", sim.device(0).http_port), timeout=2).close()
        sim.device(0).ftp().quit()
        self.assertNotIn(MARKS[0], sim.device(1).login(b"other")[2])
        self.assertIn(b"Firmware Version: 5.9 beta", sim.device(1).status_page()[2])
        self.assertIn(b"Firmware Version: 5.2.0", sim.device(2).status_page()[2])

    def test_options_for_one_device_are_checked(self):
        for entry, complaint in (("3:--password=x", b"there is no device 3"),
                                 ("1:--http-port 9000", b"--http-port applies to the whole simulator"),
                                 ("one:--password=x", b"expected I:OPTIONS")):
            with self.subTest(entry=entry):
                result = subprocess.run([str(SCRIPT), "--devices", "3", "--lifetime", "5", "--for-device", entry],
                                        capture_output=True, timeout=10)
                self.assertEqual(result.returncode, 2)
                self.assertIn(complaint, result.stderr)

    def test_crash_during_upload(self):
        sim = self.start("--download-mode", "--crash-during-upload", "100000")
        client = sim.ftp()
        with self.assertRaises((OSError, EOFError, ftplib.Error)):
            client.storbinary("STOR fw512000.bin", io.BytesIO(bytes(1024 ** 2)))
        client.close()
        self.assertEqual(sim.process.wait(timeout=5), -signal.SIGKILL)
        self.assertEqual(sim.ftp_events("crash"), [{"proto": "ftp", "event": "crash", "file": "fw512000.bin",
                                                    "received": 100000}])
        self.assertEqual((sim.ftp_root / "fw512000.bin").stat().st_size, 100000)


class CommandLineTest(SimulatorCase):
    def test_refuses_a_host_that_is_not_loopback(self):
        result = subprocess.run([str(SCRIPT), "--host", "10.0.0.1", "--lifetime", "5"],
                                capture_output=True, timeout=10)
        self.assertEqual(result.returncode, 2)
        self.assertIn(b"not a loopback address", result.stderr)

    def test_ready_announcements_and_clean_exit(self):
        pidfile = Path(tempfile.mkdtemp(prefix="devsim-test-")) / "sim.pid"
        self.addCleanup(shutil.rmtree, pidfile.parent)
        sim = Simulator(["--pidfile", str(pidfile)])
        self.assertEqual(sim.ports["pid"], sim.process.pid)
        self.assertEqual(pidfile.read_text().strip(), str(sim.process.pid))
        self.assertEqual(sim.status_page()[0], 200)
        status, stdout = sim.stop()
        self.assertEqual(status, 0)
        self.assertEqual(stdout, f"ndxu-devsim ready http={sim.http_port} ftp={sim.ftp_port}\n")
        self.assertFalse(pidfile.exists())

    def test_exits_by_itself_after_its_lifetime(self):
        sim = self.start("--lifetime", "0.5")
        self.assertEqual(sim.process.wait(timeout=10), 0)

    def test_exits_when_its_parent_dies(self):
        port_file = Path(tempfile.mkdtemp(prefix="devsim-test-")) / "ports.json"
        self.addCleanup(shutil.rmtree, port_file.parent)
        parent = subprocess.Popen(
            ["/usr/bin/python3", "-c", "import subprocess, sys, time\n"
             "subprocess.Popen(sys.argv[1:], stdout=subprocess.DEVNULL)\n"
             "time.sleep(60)\n",
             str(SCRIPT), "--http-port", "0", "--ftp-port", "0", "--lifetime", "60", "--port-file", str(port_file)])
        self.addCleanup(parent.wait)
        self.addCleanup(parent.kill)
        wait_until(port_file.exists)
        stat = Path(f"/proc/{json.loads(port_file.read_text())['pid']}/stat")
        self.assertTrue(stat.exists())
        parent.kill()

        def gone():
            try:
                return stat.read_text().rpartition(")")[2].split()[0] == "Z"
            except FileNotFoundError:
                return True
        wait_until(gone, timeout=5.0)


if __name__ == "__main__":
    unittest.main()

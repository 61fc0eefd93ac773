"""Black-box tests: each case starts the real simulator on free loopback ports
and talks to it over raw sockets and ftplib, as the upgrade client does."""

import base64
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
MARKS = (b"wrong password", b"Kennwort ist falsch", b"Operation failed")
DOWNLOAD_MODE_FORM = b"B3=Enter+Firmware+Download+Mode"


def receive_all(sock):
    chunks = []
    while chunk := sock.recv(65536):
        chunks.append(chunk)
    return b"".join(chunks)


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
        self.http_port = self.ports["http_port"]
        self.ftp_port = self.ports["ftp_port"]

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

    def ftp(self, timeout=5.0):
        client = ftplib.FTP()
        client.connect("127.0.0.1", self.ftp_port, timeout=timeout)
        client.set_pasv(False)
        try:
            client.login("anonymous", "ndxu@")
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

    def ftp_events(self, event):
        return [r for r in self.records() if r.get("proto") == "ftp" and r.get("event") == event]


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

    def test_unknown_kind_is_a_usage_error(self):
        result = subprocess.run([str(SCRIPT), "--reply", "enter=bogus"], capture_output=True, timeout=10)
        self.assertEqual(result.returncode, 2)
        self.assertIn(b"unknown reply kind", result.stderr)


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


if __name__ == "__main__":
    unittest.main()
